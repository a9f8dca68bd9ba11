#!/bin/sh
# Plays the bundled demo headless from a recorded input file on the virtual
# clock, then checks what it printed and the screenshot it took (F9 in the
# recording) against tests/golden. BW_UPDATE_GOLDEN=1 rewrites both goldens.
#   run_demo.sh RUNNER PACKAGE PLAYBACK FRAMES IMAGE_DIFF GOLDEN_FOLDER
runner="$1"; package="$2"; playback="$3"; frames="$4"; image_diff="$5"; golden="$6"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The save area (best score, screenshot) goes to a fresh folder each run.
output="$(HOME="$work" XDG_DATA_HOME="$work/data" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null \
  BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES="$frames" "$runner" -game "$package" -playback "$playback" -noerrors 2>&1)"
status=$?
printf '%s\n' "$output"
if [ "$status" -ne 0 ]; then
  echo "run_demo: exit code $status" >&2
  exit 1
fi
# From the start of the game to the frame-rate statistics, less the one
# line that depends on the build (the memory total).
printf '%s\n' "$output" | sed -n '/^Run_Start$/,/^----/p' | grep -v '^Total memory used' >"$work/log.txt"
if [ -n "${BW_UPDATE_GOLDEN:-}" ]; then
  cp "$work/log.txt" "$golden/demo_log.txt"
elif ! diff -u "$golden/demo_log.txt" "$work/log.txt"; then
  echo "run_demo: the log differs from $golden/demo_log.txt" >&2
  exit 1
fi
# Text edges may round differently on another GL driver: 0.5% of the pixels.
"$image_diff" "$work/data/gem_cavern/screenshot.png" "$golden/demo_play.png" 1536
