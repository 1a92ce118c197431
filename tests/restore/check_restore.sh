#!/usr/bin/env bash
# qvmin-restore end to end: genericizes a small node program that throws, runs it, and pipes
# its stack trace through qvmin-restore, which must give the functions their names back and
# leave the file paths alone. Then whole-word replacement and the error cases.
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
expect_failure 'not available yet' /oktfp names.txt /smfp app.min.js.map
expect_failure 'Error opening outputKeywordTranslationFile: missing.txt' /oktfp missing.txt
printf 'B,total\r\nB,other\r\n' > twice.txt
expect_failure 'A duplicate generic name was found!  (line: 2)' /oktfp twice.txt
head -c 4096 "$restore" > garbage.txt
expect_failure 'Error processing outputKeywordTranslationFile: garbage.txt' /oktfp garbage.txt
echo "restore: the stack trace of the genericized program names $(grep -c '^    at ' restored.txt) frames as written"
