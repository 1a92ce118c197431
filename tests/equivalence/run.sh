#!/usr/bin/env bash
# Installs the pinned npm packages of this folder on first use, then runs check.js with the given
# arguments.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
modules="$(bash "$here/../support/npm_packages.sh" "$here")"
exec node "$here/check.js" --modules "$modules" "$@"
