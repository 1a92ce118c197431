#!/usr/bin/env bash
# Minifies an example project with the qvmin given as $1 and checks that the minified page prints
# exactly what the original sources print when run under node, its button included.
#   $2 = modern (default): examples/, one run with /syntax modern and the page's names;
#   $2 = classic: examples/classic/, the classic grammar with the curated lists for browser code.
set -euo pipefail
qvmin=$(realpath "$1")
mode=${2:-modern}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $mode in
  modern)
    project=$root/examples
    options=(/kelfp page-names.txt /syntax modern) ;;
  classic)
    project=$root/examples/classic
    cat "$root"/share/qvmin/{javascript,common,browser}.txt "$project/page-names.txt" > "$work/keep.txt"
    options=(/kelfp "$work/keep.txt") ;;
  *) echo "unknown mode: $mode"; exit 2 ;;
esac
(cd "$project" && "$qvmin" /sflfp files.txt /ofp "$work/app.min.js" /oktfp "$work/translation.txt" \
  "${options[@]}" > "$work/qvmin.out") || { cat "$work/qvmin.out"; exit 1; }

# The original page: the listed sources, one after another.
while IFS= read -r source || [ -n "$source" ]; do
  cat "$project/${source%$'\r'}"
  printf '\n'
done < "$project/files.txt" > "$work/original.js"

# The page's button calls the one name the page keeps.
button="$(head -n 1 "$project/page-names.txt" | tr -d '\r')()"
original=$(node "$root/tests/examples/run_page.js" "$work/original.js" "$button")
minified=$(node "$root/tests/examples/run_page.js" "$work/app.min.js" "$button")
if [ "$original" != "$minified" ]; then
  echo "The minified $mode example prints something else."
  echo "original: $original"
  echo "minified: $minified"
  exit 1
fi
[ -s "$work/translation.txt" ] || { echo "nothing was genericized"; exit 1; }
# The classic output is one line; the modern one keeps a line feed only where a statement may
# end, a small share of the source lines.
lines=$(wc -l < "$work/app.min.js")
source_lines=$(wc -l < "$work/original.js")
if [ "$mode" = classic ]; then
  [ "$lines" -eq 0 ] || { echo "the classic output has line breaks"; exit 1; }
else
  [ $((lines * 4)) -lt "$source_lines" ] || { echo "the output keeps $lines of $source_lines line breaks"; exit 1; }
fi
echo "$mode example: the minified page prints the same $(printf '%s' "$original" | tr -cd ',' | wc -c | awk '{print $1+1}') lines as the original ($lines line feeds kept of $source_lines)"
