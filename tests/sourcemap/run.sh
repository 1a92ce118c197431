#!/usr/bin/env bash
# Installs the pinned npm packages of this folder into build/npm/sourcemap on first use (again
# only when the lock file changes), then runs check.js with the given arguments.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
dest="$root/build/npm/sourcemap"
mkdir -p "$dest"

# Several CTest entries may start at once: one installs, the others wait for it.
exec 9>"$dest/.install-lock"
flock 9
digest="$(sha256sum "$here/package-lock.json" | cut -d' ' -f1)"
if [ "$(cat "$dest/.lock-sha256" 2>/dev/null)" != "$digest" ]; then
  echo "installing the npm packages pinned in tests/sourcemap/package-lock.json into $dest"
  rm -f "$dest/.lock-sha256"
  cp "$here/package.json" "$here/package-lock.json" "$dest/"
  (cd "$dest" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  echo "$digest" > "$dest/.lock-sha256"
fi
flock -u 9

exec node "$here/check.js" --modules "$dest/node_modules" "$@"
