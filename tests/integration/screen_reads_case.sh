#!/bin/sh
# The screen_reads game in a window of a virtual X display: every way of
# reading the screen, from the step event after 90 frames in which nothing
# read it, and just after a reset of the window, gets the last frame whole
# (the red room, the green block), as the same reads in the draw event do.
# Extra VAR=VALUE arguments go into the runner's environment
# (SDL_VIDEO_X11_FORCE_EGL=1: a window that keeps its image through swaps,
# so quiet frames are drawn straight into it). With SCREEN_READS_CASE=resize
# the player resizes the window after 90 quiet frames instead, and the step
# after it reads the screen.
#   screen_reads_case.sh RUNNER PACKAGE [VAR=VALUE...]
runner="$1"; package="$2"; shift 2
. "$(dirname "$0")/x_display.sh"
# Both streams go to one file.
show_run() { tail -n 20 "$scratch/out" 2>/dev/null; }
need_tools Xvfb xdotool convert:imagemagick

start_display 640x480

saved="$XDG_DATA_HOME/screen_reads"
pixels() { convert "$saved/$1" -format '%w %h %[pixel:p{10,10}] %[pixel:p{50,40}]' info: 2>&1; }
# draw_getpixel gives BGR colours: red 255, lime 65280.
check_step_reads() {
  grep -qx "step pixels 255 65280" "$scratch/out" || fail "draw_getpixel from the step event: $(grep pixels "$scratch/out")"
  [ "$(pixels step_screen.png)" = "320 240 srgba(255,0,0,1) srgba(0,255,0,1)" ] ||
    fail "screen_save from the step event: $(pixels step_screen.png)"
}

case " $* " in
*" SCREEN_READS_CASE=resize "*)
  env "$@" "$runner" -game "$package" -noerrors >"$scratch/out" 2>&1 &
  pid=$!
  wait_for 'grep -qx ready "$scratch/out"' "the game never said it was ready" 100
  window="$(xdotool search --name '^Screen reads$' | head -n 1)"
  [ -n "$window" ] || fail "no window titled Screen reads"
  xdotool windowsize "$window" 400 300
  wait_for '! kill -0 "$pid" 2>/dev/null' "the game did not end after the resize" 100
  wait "$pid" || fail "the runner failed"
  pid=""
  check_step_reads
  exit 0
  ;;
esac

env "$@" "$runner" -game "$package" -noerrors >"$scratch/out" 2>&1 || fail "the runner failed"
check_step_reads
grep -qx "draw pixels 255 65280" "$scratch/out" || fail "draw_getpixel from the draw event: $(grep pixels "$scratch/out")"
for read in screen part sprite background; do
  cmp -s "$saved/step_$read.png" "$saved/draw_$read.png" ||
    fail "step_$read.png differs from draw_$read.png, saved by the same read in the draw event"
done
cmp -s "$saved/step_resized.png" "$saved/draw_screen.png" ||
  fail "screen_save just after a reset of the window: $(pixels step_resized.png)"

