#!/usr/bin/env bash
# qvmin-restore end to end: genericizes a small node program that throws, runs it, and pipes
# its stack trace through qvmin-restore, which must give the functions their names back and
# leave the file paths alone; then again with a source map, which must also give each frame the
# source file, line and column it stands at. Then whole-word replacement and the error cases.
# Arguments: the qvmin binary, the qvmin-restore binary.
set -euo pipefail
qvmin=$(realpath "$1")
restore=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "$@"; exit 1; }

cat > cart.js <<'JS'
function CartTotal(items) { this.items = items; }
CartTotal.prototype.computeTotal = function () {
  var sum = 0;
  for (var index = 0; index < this.items.length; index++) { sum += priceOf(this.items[index]); }
  return sum;
};
function priceOf(item) {
  if (item.price === undefined) { throw new Error('missing price for ' + item.label); }
  return item.price;
}
JS
cat > main.js <<'JS'
function runCheckout() { var cart = new CartTotal([{ label: 'tea', price: 3 }, { label: 'cake' }]); return cart.computeTotal(); }
runCheckout();
JS
printf 'cart.js\nmain.js\n' > files.txt
cat "$root"/share/qvmin/{javascript,common,node}.txt > keep.txt
"$qvmin" /sflfp files.txt /kelfp keep.txt /ofp app.min.js /oktfp names.txt /seed 3 > qvmin.out || { cat qvmin.out; exit 1; }

if node app.min.js 2> trace.txt; then fail "the genericized program did not throw"; fi
grep -q 'runCheckout\|priceOf' trace.txt && fail "the trace already holds the identifiers"
"$restore" /oktfp names.txt < trace.txt > restored.txt || fail "qvmin-restore failed"
for expected in 'Error: missing price for cake' 'at priceOf (' 'at CartTotal.computeTotal (' 'at runCheckout ('; do
  grep -qF "$expected" restored.txt || { cat restored.txt; fail "the restored trace lacks: $expected"; }
done
[ "$(grep -o "$work/app.min.js:1:[0-9]*" trace.txt)" = "$(grep -o "$work/app.min.js:1:[0-9]*" restored.txt)" ] ||
  { cat restored.txt; fail "the file positions changed"; }

# With the map, written beside the output in dist/, every frame of the output names the source
# as the map lists it (relative to the map's folder) and the 1-based line:column of the call
# there: "new" in priceOf, "priceOf" in computeTotal, "computeTotal" in runCheckout, and the
# top-level call.
mkdir dist
"$qvmin" /sflfp files.txt /kelfp keep.txt /ofp dist/app.min.js /oktfp dist/names.txt /smfp dist/app.min.js.map \
  /seed 3 > qvmin.out || { cat qvmin.out; exit 1; }
if node dist/app.min.js 2> dist/trace.txt; then fail "the genericized program did not throw"; fi
"$restore" /oktfp dist/names.txt /smfp dist/app.min.js.map < dist/trace.txt > dist/restored.txt ||
  fail "qvmin-restore /smfp failed"
grep '^    at .*\.js:' dist/restored.txt | grep -v 'node:' > dist/frames.txt || true
cat > dist/expected.txt <<'TRACE'
    at priceOf (../cart.js:8:41)
    at CartTotal.computeTotal (../cart.js:4:68)
    at runCheckout (../main.js:1:113)
    at Object.<anonymous> (../main.js:2:1)
TRACE
diff dist/expected.txt dist/frames.txt || { cat dist/trace.txt dist/restored.txt; fail "the restored frames differ"; }
grep -qF 'Error: missing price for cake' dist/restored.txt || fail "the message did not survive"
# node's own frames and the first line (a position without a column) are left as they were.
[ "$(grep -c 'node:internal' dist/trace.txt)" = "$(grep -c 'node:internal' dist/restored.txt)" ] ||
  fail "node's frames changed"
grep -qx "$work/dist/app.min.js:1" dist/restored.txt || fail "the line-only position changed"
# A file:// URL is a position too, and a position past the output's end stays.
printf 'at B (file://%s/dist/app.min.js:1:175)\nat B (%s/dist/app.min.js:9:1)\n' "$work" "$work" |
  "$restore" /oktfp dist/names.txt /smfp dist/app.min.js.map > dist/url.txt
printf 'at priceOf (../cart.js:8:41)\nat priceOf (%s/dist/app.min.js:9:1)\n' "$work" | cmp -s - dist/url.txt ||
  { cat dist/url.txt; fail "the file URL was not restored"; }

# Whole words only; a run that holds a slash is a path; bytes pass unchanged otherwise.
printf 'B,total\r\nqZ,count\r\n' > two.txt
printf 'B Bx xB $B B_ 1B B.qZ(B) "B" /p/B.js:1:2 C:\\B\r\nqZ\xc3\xa9 \xc3\xa9B B' | "$restore" /OKTFP two.txt > words.txt
printf 'total Bx xB $B B_ 1B total.count(total) "total" /p/B.js:1:2 C:\\B\r\nqZ\xc3\xa9 \xc3\xa9B total' > expected.txt
cmp -s words.txt expected.txt || { od -c words.txt; fail "whole-word replacement differs"; }

# Failures: status 1, the report on standard error, nothing on standard output.
expect_failure() {  # the report, then the arguments
  local report=$1; shift
  if "$restore" "$@" < trace.txt > out.txt 2> err.txt; then fail "qvmin-restore $* succeeded"; fi
  [ ! -s out.txt ] || fail "qvmin-restore $* wrote to standard output"
  grep -qF "$report" err.txt || { cat err.txt; fail "qvmin-restore $* did not report: $report"; }
}
expect_failure '"/oktfp outputKeywordTranslationFilePath" option & parameter must be supplied'
expect_failure 'Invalid parameter: /x' /oktfp names.txt /X y
expect_failure 'Error opening sourceMapFile: missing.map' /oktfp names.txt /smfp missing.map
expect_failure 'An error occured while reading the sourceMapFile: dist' /oktfp names.txt /smfp dist
expect_failure 'The source map is not valid JSON!  (offset: 0)' /oktfp names.txt /smfp names.txt
sed 's/"mappings":"/"mappings":"AA,/' dist/app.min.js.map > broken.map
expect_failure 'The source map'"'"'s mappings are malformed: a segment has 2 or 3 fields!  (line: 1, offset: 2)' \
  /oktfp names.txt /smfp broken.map
expect_failure 'Error opening outputKeywordTranslationFile: missing.txt' /oktfp missing.txt
printf 'B,total\r\nB,other\r\n' > twice.txt
expect_failure 'A duplicate generic name was found!  (line: 2)' /oktfp twice.txt
head -c 4096 "$restore" > garbage.txt
expect_failure 'Error processing outputKeywordTranslationFile: garbage.txt' /oktfp garbage.txt
echo "restore: the stack trace of the genericized program names $(grep -c '^    at ' restored.txt) frames as written"
