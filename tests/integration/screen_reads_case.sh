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
. "$(dirname "$0")/x_display.sh"
# Both streams go to one file.
show_run() { tail -n 20 "$scratch/out" 2>/dev/null; }
need_tools Xvfb convert:imagemagick

start_display 640x480

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

