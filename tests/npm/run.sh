#!/usr/bin/env bash
# Builds the npm package (preset wasm) and installs the npm packages pinned here on first use,
# then runs one check of tests/npm with both:
#   run.sh CHECK.js [ARGS...]
# A check is skipped (exit 77) when emscripten is missing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
package="$(bash "$here/../support/wasm_package.sh")" || exit $?
modules="$(bash "$here/../support/npm_packages.sh" "$here")"
check="$1"
shift
exec node "$here/$check" --package "$package" --modules "$modules" "$@"
