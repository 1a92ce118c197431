#!/usr/bin/env bash
# Builds the WebAssembly preset (the npm package staged in build/wasm/package) and prints the
# package folder. Tests that start at once wait for one another's build. Exits 77, which CTest
# counts as skipped, when emscripten is not installed.
#
#   package=$(bash tests/support/wasm_package.sh) || exit $?
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
if ! command -v em++ >/dev/null; then
  echo "skipped: emscripten is not installed (apt-get install emscripten); .ci/run installs it" >&2
  exit 77
fi
mkdir -p "$root/build"
exec 9>"$root/build/.wasm-build-lock"
flock 9
log="$root/build/wasm-build.log"
if ! (cd "$root" && cmake --preset wasm && cmake --build --preset wasm) >"$log" 2>&1; then
  tail -40 "$log" >&2
  echo "the wasm preset did not build (log: $log)" >&2
  exit 1
fi
flock -u 9
echo "$root/build/wasm/package"
