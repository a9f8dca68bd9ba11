#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-30}"
CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-fuzz" -DBW_FUZZ=ON -DBW_TESTS=OFF
for fuzzer in "$root"/build-fuzz/tests/fuzz/*_fuzz; do
  name="$(basename "$fuzzer")"
  work="$root/build-fuzz/corpus/$name"
  mkdir -p "$work"
  seeds="$root/tests/fuzz/corpus/$name"
  echo "fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "$work" "$seeds" >"$work.log" 2>&1 \
    || { tail -n 60 "$work.log"; exit 1; }
done
