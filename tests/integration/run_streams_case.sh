#!/bin/sh
# Like run_case.sh, but with standard output and standard error checked
# apart, for what must reach one stream and not only the other: each
# pattern is matched over that stream's lines joined by '|'.
#   run_streams_case.sh RUNNER EXPECTED_EXIT STDOUT_PATTERN STDERR_PATTERN [runner arguments...]
runner="$1"; expected="$2"; out_pattern="$3"; err_pattern="$4"; shift 4
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES=60 \
  "$runner" "$@" >"$scratch/out" 2>"$scratch/err"
status=$?
echo "== standard output"; cat "$scratch/out"
echo "== standard error"; cat "$scratch/err"
if [ "$status" -ne "$expected" ]; then
  echo "run_streams_case: exit code $status, expected $expected" >&2
  exit 1
fi
# An empty stream is one empty line, which "^$" matches.
matches() { printf '%s\n' "$(tr '\n' '|' <"$1")" | grep -Eq -- "$2"; }
if ! matches "$scratch/out" "$out_pattern"; then
  echo "run_streams_case: standard output does not match: $out_pattern" >&2
  exit 1
fi
if ! matches "$scratch/err" "$err_pattern"; then
  echo "run_streams_case: standard error does not match: $err_pattern" >&2
  exit 1
fi
