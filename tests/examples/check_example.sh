#!/usr/bin/env bash
# Minifies the example project with the qvmin given as $1 and checks that the minified page
# prints exactly what the original sources print when run under node.
set -euo pipefail
qvmin=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat "$root"/share/qvmin/{javascript,common,browser}.txt "$root/examples/page-names.txt" > "$work/keep.txt"
(cd "$root/examples" && "$qvmin" /sflfp files.txt /kelfp "$work/keep.txt" /ofp "$work/app.min.js" \
  /oktfp "$work/translation.txt" > "$work/qvmin.out") || { cat "$work/qvmin.out"; exit 1; }

# The original page: the listed sources, one after another.
while IFS= read -r source || [ -n "$source" ]; do
  cat "$root/examples/${source%$'\r'}"
  printf '\n'
done < "$root/examples/files.txt" > "$work/original.js"

original=$(node "$root/tests/examples/run_page.js" "$work/original.js" 'emptyCart()')
minified=$(node "$root/tests/examples/run_page.js" "$work/app.min.js" 'emptyCart()')
if [ "$original" != "$minified" ]; then
  echo "The minified example prints something else."
  echo "original: $original"
  echo "minified: $minified"
  exit 1
fi
# The run really renamed something, and the output is one line.
[ -s "$work/translation.txt" ] || { echo "nothing was genericized"; exit 1; }
[ "$(wc -l < "$work/app.min.js")" -eq 0 ] || { echo "the output has line breaks"; exit 1; }
echo "example: minified page prints the same $(printf '%s' "$original" | tr -cd ',' | wc -c | awk '{print $1+1}') lines as the original"
