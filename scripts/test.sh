#!/usr/bin/env bash
# Installs what is needed, builds the runner with warnings as errors and runs
# every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build" -DBW_WARNINGS_AS_ERRORS=ON
cd "$root/build"
ctest --output-on-failure -j "$(nproc)"
