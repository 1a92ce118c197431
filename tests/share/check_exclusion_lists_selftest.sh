#!/usr/bin/env bash
# Feeds check_exclusion_lists.sh broken list directories and a qvmin that misbehaves, and expects a
# failure naming the fault for each; then a good directory, which must pass.
set -euo pipefail
export LC_ALL=C
unset QVMIN_BINARY

check=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/check_exclusion_lists.sh
tmp=$(mktemp -d "${TMPDIR:-/tmp}/qvmin-lists-selftest.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
passed=0
failed=0

# expect NAME MESSAGE_PATTERN LIST_A [LIST_B]: the lists are printf formats.
expect() {
  local name=$1 pattern=$2 dir=$tmp/$1
  mkdir "$dir"
  # shellcheck disable=SC2059
  printf "$3" >"$dir/a.txt"
  # shellcheck disable=SC2059
  if [ $# -ge 4 ]; then printf "$4" >"$dir/b.txt"; fi
  local output status=0
  output=$("$check" "$dir" 2>&1) || status=$?
  if [ "$status" -ne 0 ] && grep -q -- "$pattern" <<<"$output"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name: exit $status, expected /$pattern/, got: $output"
  fi
}

expect leading-digit 'a.txt:2: starts with a digit' 'ab\n1x\n'
expect operator 'a.txt:2: holds a byte .*(0x2E)' 'ab\nx.y\n'
expect space 'a.txt:1: holds a byte .*(0x20)' 'a b\n'
expect tab 'a.txt:1: holds a byte .*(0x09)' 'a\tb\n'
expect at-sign 'a.txt:1: holds a byte .*(0x40)' 'a@b\n'
expect non-ascii 'a.txt:1: holds a byte .*(0xC3)' '\xc3\xa9t\xc3\xa9\n'
expect crlf 'a.txt:1: carriage return' 'ab\r\nx\n'
expect empty-line 'a.txt:2: empty line' 'ab\n\nx\n'
expect no-final-lf 'last line has no line feed' 'a\nb'
expect empty-file 'a.txt: empty' ''
expect repeated '"a" is listed more than once' 'a\na\nb\n'
expect unsorted 'not sorted' 'b\na\n'
expect case-order 'not sorted' 'a\nB\n'
expect built-in 'a.txt:2: var is a built-in keyword' 'a\nvar\n'
expect built-in-dollar 'a.txt:1: \$ is a built-in keyword' '$\n'
expect across-lists '"b" is in more than one list' 'a\nb\n' 'b\nc\n'

# qvmin stand-ins: one that accepts nothing, one that writes nothing, one that genericizes nothing,
# and one that genericizes a listed name (as if it had loaded only part of a.txt).
good=$tmp/good
mkdir "$good"
printf 'Promise\nthen\n' >"$good/a.txt"
printf 'log\n' >"$good/b.txt"
qvmin_expect() {
  local name=$1 pattern=$2 script=$tmp/$1.sh
  printf '#!/usr/bin/env bash\n%s\n' "$3" >"$script"
  chmod +x "$script"
  local output status=0
  output=$(QVMIN_BINARY=$script "$check" "$good" 2>&1) || status=$?
  if [ "$status" -ne 0 ] && grep -q -- "$pattern" <<<"$output"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED $name: exit $status, expected /$pattern/, got: $output"
  fi
}
qvmin_expect qvmin-rejects 'qvmin rejected' 'echo "A duplicate keyword was found!"; exit 1'
qvmin_expect qvmin-silent 'wrote no output files' 'exit 0'
# shellcheck disable=SC2016
qvmin_expect qvmin-passthrough 'did not genericize the unlisted' \
  'cat "$(cat files.txt)" >out.js; : >names.txt'
qvmin_expect qvmin-partial 'genericized listed names: b,then' \
  "printf 'Promise;b;c' >out.js; printf 'b,then\\r\\nc,unlistedProbeName\\r\\n' >names.txt"

if output=$("$check" "$good" 2>&1); then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAILED good lists: $output"
fi

echo "check_exclusion_lists_selftest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
