#!/usr/bin/env bash
# Builds the Debian package from the build tree given as $1, checks what it installs, unpacks
# it into a scratch root and runs the packaged binary from there.
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' > "$work/contents"
for expected in ./usr/bin/qvmin ./usr/bin/qvmin-restore ./usr/share/man/man1/qvmin.1 ./usr/share/qvmin/javascript.txt \
                ./usr/share/qvmin/common.txt ./usr/share/qvmin/node.txt ./usr/share/qvmin/browser.txt; do
  grep -qx "$expected" "$work/contents" || { echo "the package lacks $expected"; cat "$work/contents"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = qvmin ] || { echo "wrong package name"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/qvmin" '/?' > "$work/usage.out"
grep -q '^USAGE:$' "$work/usage.out" || { echo "the packaged binary does not print its usage"; exit 1; }
"$work/root/usr/bin/qvmin-restore" '/?' | grep -q '^USAGE:$' || { echo "the packaged qvmin-restore does not run"; exit 1; }
man -l "$work/root/usr/share/man/man1/qvmin.1" > /dev/null 2>&1 || { echo "the manual page does not open"; exit 1; }
echo "package: $(basename "$deb") installs both binaries, the manual page and $(grep -c '^./usr/share/qvmin/.*\.txt$' "$work/contents") exclusion lists"
