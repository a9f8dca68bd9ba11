#!/usr/bin/env bash
# Installs what is needed, builds the runner with warnings as errors and runs
# every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
say() { echo "test.sh: $*"; }

say "checking the Debian packages the runner and its tests need (missing ones are installed)"
"$root/scripts/install-deps.sh"
if [ -x "$build/src/bwrun" ] && [ -d "$build/tests" ]; then
  say "building the runner and the tests (only what changed)"
else
  say "building the runner and the tests: the first build takes several minutes"
fi
"$root/scripts/build.sh" "$build" -DBW_WARNINGS_AS_ERRORS=ON
cd "$build"
say "running the tests ($(nproc) at a time)"
ctest --output-on-failure -j "$(nproc)"
