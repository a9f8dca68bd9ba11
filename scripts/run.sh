#!/usr/bin/env bash
# Installs what is needed, builds the runner and plays the bundled demo game,
# or the package given as the first argument.
#   scripts/run.sh [path/to/data.win] [runner options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DBW_TESTS=OFF
if [ $# -gt 0 ]; then
  package="$1"
  shift
  exec "$root/build/src/bwrun" -game "$package" "$@"
fi
exec "$root/build/src/bwrun"
