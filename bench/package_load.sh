#!/usr/bin/env bash
# Package-load benchmark: makes a large package with bwpack (12 images of
# noise filling three 4096 x 4096 texture pages, plus bulk code text) and
# prints, for each runner, the time to its first drawn frame and its peak
# resident memory. Give several build trees to compare them in one run
# (for example a tree of main and this one); the first tree's bwpack builds
# the package, which is kept in the work folder for later runs.
#   bench/package_load.sh [build-dir...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[ $# -gt 0 ] || set -- "$root/build-bench"
runners=()
for build in "$@"; do
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBW_TESTS=OFF >/dev/null
  fi
  cmake --build "$build" --target bwrun bwpack >/dev/null
  runners+=("$build/src/bwrun")
done
work="${BW_BENCH_WORK:-${TMPDIR:-/tmp}/bw_package_load}"
mkdir -p "$work"
python3 "$root/bench/package_load.py" "$work" "$1/tools/bwpack/bwpack" "${runners[@]}"
