#!/usr/bin/env bash
# Runs the qvmin given as $1 (built without sanitizers) on the example project under valgrind:
# no memory errors and no leaks.
set -euo pipefail
qvmin=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root/examples"
valgrind --quiet --error-exitcode=9 --leak-check=full --show-leak-kinds=all --errors-for-leak-kinds=all \
  "$qvmin" /sflfp files.txt /kelfp page-names.txt /ofp "$work/app.min.js" /oktfp "$work/translation.txt" \
  /syntax modern > "$work/out.txt"
grep -q "4 source files successfully pseudo-compiled!" "$work/out.txt"
echo "valgrind: the example run is clean"
