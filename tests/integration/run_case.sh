#!/bin/sh
# Runs the runner on one package without a display or a sound device and
# checks its exit code and that its output matches a pattern. The clock is
# virtual and the game ends after 60 frames, so a case never waits on time.
#   run_case.sh RUNNER EXPECTED_EXIT PATTERN [runner arguments...]
runner="$1"; expected="$2"; pattern="$3"; shift 3
output="$(SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES=60 "$runner" "$@" 2>&1)"
status=$?
printf '%s\n' "$output"
if [ "$status" -ne "$expected" ]; then
  echo "run_case: exit code $status, expected $expected" >&2
  exit 1
fi
if ! printf '%s\n' "$output" | tr '\n' '|' | grep -Eq -- "$pattern"; then
  echo "run_case: output does not match: $pattern" >&2
  exit 1
fi
