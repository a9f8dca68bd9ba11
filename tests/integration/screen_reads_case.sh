#!/bin/sh
# The screen_reads game in a window of a virtual X display: every way of
# reading the screen, from the step event after 90 frames in which nothing
# read it, and just after a reset of the window, gets the last frame whole
# (the red room, the green block), as the same reads in the draw event do.
# Extra VAR=VALUE arguments go into the runner's environment
# (SDL_VIDEO_X11_FORCE_EGL=1: a window that keeps its image through swaps,
# so quiet frames are drawn straight into it).
#   screen_reads_case.sh RUNNER PACKAGE [VAR=VALUE...]
runner="$1"; package="$2"; shift 2
scratch="$(mktemp -d)"
xserver=""
trap '[ -z "$xserver" ] || kill "$xserver"; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM
fail() { tail -n 20 "$scratch/out" 2>/dev/null; echo "screen_reads_case: $*" >&2; exit 1; }
command -v Xvfb >/dev/null || fail "Xvfb is missing (scripts/install-deps.sh installs it)"
command -v convert >/dev/null || fail "convert is missing (scripts/install-deps.sh installs imagemagick)"

export XDG_DATA_HOME="$scratch/data" ALSOFT_DRIVERS=null
echo "leak:libdbus-1.so" >"$scratch/leaks"
export LSAN_OPTIONS="suppressions=$scratch/leaks:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY

Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xserver=$!
n=0
until [ -s "$scratch/display" ]; do
  n=$((n + 1)); [ "$n" -le 50 ] || fail "Xvfb did not start"; sleep 0.1
done
export DISPLAY=":$(cat "$scratch/display")"

env "$@" "$runner" -game "$package" -noerrors >"$scratch/out" 2>&1 || fail "the runner failed"
# draw_getpixel gives BGR colours: red 255, lime 65280.
grep -qx "step pixels 255 65280" "$scratch/out" || fail "draw_getpixel from the step event: $(grep pixels "$scratch/out")"
grep -qx "draw pixels 255 65280" "$scratch/out" || fail "draw_getpixel from the draw event: $(grep pixels "$scratch/out")"
saved="$XDG_DATA_HOME/screen_reads"
pixels() { convert "$saved/$1" -format '%w %h %[pixel:p{10,10}] %[pixel:p{50,40}]' info: 2>&1; }
[ "$(pixels step_screen.png)" = "320 240 srgba(255,0,0,1) srgba(0,255,0,1)" ] ||
  fail "screen_save from the step event: $(pixels step_screen.png)"
for read in screen part sprite background; do
  cmp -s "$saved/step_$read.png" "$saved/draw_$read.png" ||
    fail "step_$read.png differs from draw_$read.png, saved by the same read in the draw event"
done
cmp -s "$saved/step_resized.png" "$saved/draw_screen.png" ||
  fail "screen_save just after a reset of the window: $(pixels step_resized.png)"

