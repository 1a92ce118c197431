#!/usr/bin/env bash
# Installs the npm packages pinned in a test folder's package.json and package-lock.json into
# build/npm/<name>, on first use and again only when the lock file changes, and prints the
# node_modules folder. Tests that start at once wait for one another's install.
#
#   modules=$(bash tests/support/npm_packages.sh tests/equivalence)
set -euo pipefail
folder="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
dest="$root/build/npm/$(basename "$folder")"
mkdir -p "$dest"

exec 9>"$dest/.install-lock"
flock 9
digest="$(sha256sum "$folder/package-lock.json" | cut -d' ' -f1)"
if [ "$(cat "$dest/.lock-sha256" 2>/dev/null)" != "$digest" ]; then
  echo "installing the npm packages pinned in ${folder#"$root"/}/package-lock.json into $dest" >&2
  rm -f "$dest/.lock-sha256"
  cp "$folder/package.json" "$folder/package-lock.json" "$dest/"
  (cd "$dest" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >&2)
  echo "$digest" > "$dest/.lock-sha256"
fi
flock -u 9
echo "$dest/node_modules"
