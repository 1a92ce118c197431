#!/usr/bin/env bash
# Checks the keyword exclusion lists shipped in share/qvmin/, each on its own and all of them
# concatenated: one identifier per line, LF line ends, sorted, no name twice, none of the built-in
# reserved keywords, no name in two lists. When QVMIN_BINARY names a built qvmin, also runs it with
# each list and with the concatenation over a source that uses every listed name and one unlisted
# name, and checks that it accepts the list, leaves every listed name as it is and replaces the
# unlisted one.
#
# Usage: check_exclusion_lists.sh [LIST_DIR]      (default: share/qvmin of this checkout)
# Exits 1 with a message on the first violation; prints a one-line summary otherwise.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dir=${1:-$root/share/qvmin}
keyword_source=$root/src/tables/keyword_table.cc
keyword_header=$root/src/tables/keyword_table.h

fail() {
  echo "check_exclusion_lists: $*" >&2
  exit 1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/qvmin-lists.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# The built-in keywords: the quoted names of the reserved keyword array, as many as the header
# says there are.
sed -n '/kReservedKeywords\[\] = {/,/^};/p' "$keyword_source" | grep -o '"[^"]*"' | tr -d '"' \
  >"$tmp/builtin"
expected=$(sed -n 's/.*kReservedKeywordCount = \([0-9][0-9]*\);.*/\1/p' "$keyword_header")
found=$(wc -l <"$tmp/builtin")
[ -n "$expected" ] || fail "no kReservedKeywordCount in $keyword_header"
[ "$found" -eq "$expected" ] || fail "read $found built-in keywords from $keyword_source, expected $expected"

shopt -s nullglob
lists=("$dir"/*.txt)
[ "${#lists[@]}" -gt 0 ] || fail "no lists (*.txt) in $dir"

total=0
for list in "${lists[@]}"; do
  [ -s "$list" ] || fail "$list: empty"
  [ "$(tail -c 1 "$list" | od -An -tx1 | tr -d ' ')" = 0a ] || fail "$list: last line has no line feed"

  # Line by line: the first line that is no identifier, with the reason qvmin would give or the
  # byte that it could not see as part of an identifier.
  bad_line=$(awk '
    {
      reason = ""
      if ($0 == "") reason = "empty line"
      else if ($0 ~ /\r/) reason = "carriage return (lines must end with LF alone)"
      else if ($0 ~ /^[0-9]/) reason = "starts with a digit"
      else if ($0 !~ /^[A-Za-z_$][A-Za-z0-9_$]*$/) {
        bad = $0
        gsub(/[A-Za-z0-9_$]/, "", bad)
        reason = sprintf("holds a byte that is no identifier character (0x%02X)", ord[substr(bad, 1, 1)])
      }
      if (reason != "") {
        printf "%d: %s: %s", NR, reason, $0
        exit
      }
    }
    BEGIN { for (i = 1; i < 256; i++) ord[sprintf("%c", i)] = i }' "$list")
  [ -z "$bad_line" ] || fail "$list:$bad_line"

  repeated=$(sort "$list" | uniq -d | head -n 1)
  [ -z "$repeated" ] || fail "$list: \"$repeated\" is listed more than once"
  sort -c "$list" 2>"$tmp/sort" || fail "$list: not sorted by byte value: $(cat "$tmp/sort")"

  clash=$(awk 'NR == FNR { builtin[$0] = 1; next } ($0 in builtin) { printf "%d: %s\n", FNR, $0; exit }' \
    "$tmp/builtin" "$list")
  [ -z "$clash" ] || fail "$list:$clash is a built-in keyword"

  total=$((total + $(wc -l <"$list")))
done

cat "${lists[@]}" >"$tmp/all.txt"
repeated=$(sort "$tmp/all.txt" | uniq -d | head -n 1)
if [ -n "$repeated" ]; then
  fail "\"$repeated\" is in more than one list: $(grep -lx -- "$repeated" "${lists[@]}" | tr '\n' ' ')"
fi

ran=""
# A name in no list: qvmin must replace it, which shows that the run genericizes at all.
probe=unlistedProbeName
if grep -qx -- "$probe" "$tmp/all.txt" "$tmp/builtin"; then fail "the probe name $probe is listed"; fi

ran=""
if [ -n "${QVMIN_BINARY:-}" ]; then
  [ -x "$QVMIN_BINARY" ] || fail "QVMIN_BINARY=$QVMIN_BINARY is not an executable"
  for list in "${lists[@]}" "$tmp/all.txt"; do
    name=$(basename "$list" .txt)
    work=$tmp/run-$name
    mkdir "$work"
    # Every listed name once, as a statement of its own, then the probe: the output is the source
    # with the probe alone replaced, and the translation file pairs the probe with its stand-in.
    paste -s -d ';' "$list" | tr -d '\n' >"$work/kept.js"
    { cat "$work/kept.js"; printf ';%s' "$probe"; } >"$work/source.js"
    echo "$work/source.js" >"$work/files.txt"
    if ! (cd "$work" && "$QVMIN_BINARY" /sflfp files.txt /kelfp "$list" /ofp out.js /oktfp names.txt \
      >"$work/log"); then
      cat "$work/log" >&2
      fail "qvmin rejected $list (its output is above)"
    fi
    if [ ! -f "$work/out.js" ] || [ ! -f "$work/names.txt" ]; then
      fail "qvmin with $list wrote no output files"
    fi
    stand_in=$(sed -n "s/^\([A-Za-z]*\),$probe"$'\r'"\$/\1/p" "$work/names.txt")
    [ -n "$stand_in" ] || fail "qvmin with $list did not genericize the unlisted $probe"
    [ "$(wc -l <"$work/names.txt")" -eq 1 ] ||
      fail "qvmin with $list genericized listed names: $(grep -v ",$probe"$'\r'"\$" "$work/names.txt" | head -n 1)"
    { cat "$work/kept.js"; printf ';%s' "$stand_in"; } >"$work/expected.js"
    cmp -s "$work/expected.js" "$work/out.js" ||
      fail "qvmin with $list changed listed names: $(cmp "$work/expected.js" "$work/out.js" 2>&1 | head -n 1)"
  done
  ran=", accepted and kept by qvmin on their own and together"
fi

echo "exclusion lists: ${#lists[@]} lists, $total names, all valid and disjoint$ran"
