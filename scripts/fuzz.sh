#!/usr/bin/env bash
# Runs each libFuzzer target for a while. Without a build folder it first
# builds the targets alone with clang; CI names its sanitizer build, which
# holds them already.
#   scripts/fuzz.sh [seconds-per-target] [build folder configured with BW_FUZZ]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
build="${2:-}"
if [ -z "$build" ]; then
  build="$root/build-fuzz"
  CC=clang CXX=clang++ "$root/scripts/build.sh" "$build" -DBW_FUZZ=ON -DBW_TESTS=OFF
fi
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
  name="$(basename "$fuzzer")"
  work="$build/corpus/$name"
  mkdir -p "$work"
  seeds="$root/tests/fuzz/corpus/$name"
  echo "fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "$work" "$seeds" >"$work.log" 2>&1 \
    || { tail -n 60 "$work.log"; exit 1; }
done
