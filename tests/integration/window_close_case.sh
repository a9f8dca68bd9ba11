#!/bin/sh
# The waits game, holding a file open, shows its window for 20 frames and
# then loops without returning to the frame. The window is closed as a
# window manager closes it (WM_DELETE_WINDOW): the runner must end within
# seconds, exit 0, its game end event run and the held file in place. A
# game closed between frames ends as it always has: its slow game end
# event runs whole. Each run names the mode, then the runner's package and
# switches.
#   window_close_case.sh RUNNER WM_CLOSE TEXT_PACKAGE BYTECODE_PACKAGE
runner="$1"; wm_close="$2"; text="$3"; bytecode="$4"
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xwininfo

start_display 640x480
# The game's window is the only one of its size.
window_id() { xwininfo -root -tree | grep -F " 64x64+" | awk '{ print $1; exit }'; }
for run in "shown_while -game $text" "shown_while -game $bytecode" "shown_while -game $text -oldexec" \
           "shown_sleep -game $text -oldexec" "shown_sleep -game $bytecode" \
           "shown_end -game $bytecode" "shown_end -game $text -oldexec"; do
  loop="${run%% *}"; case_name="window_close_case ($run)"
  rm -rf "$scratch/data"; : >"$scratch/out"
  # shellcheck disable=SC2086 # the run's words are the runner's arguments
  "$runner" ${run#* } -noerrors "$loop" >"$scratch/out" 2>"$scratch/err" &
  pid=$!
  wait_for 'grep -q "about to wait: $loop" "$scratch/out"' "the game never came to its loop" 100
  wait_for '[ -n "$(window_id)" ]' "the game's window never came up" 50
  "$wm_close" "$(window_id)" || fail "the close was not sent"
  sent=$(date +%s%N)
  # One second is what the runner owes; the rest is room for a loaded machine.
  wait_for '! kill -0 "$pid" 2>/dev/null' "closing the window did not end the runner" 50
  echo "$run: the runner ended $((($(date +%s%N) - sent) / 1000000)) ms after the close"
  wait "$pid" || fail "exit code $?, expected 0"
  pid=""
  held="$(printf 'written while held\r\nthe game end event ran')"
  [ "$(cat "$scratch/data/waits/held.txt")" = "$held" ] || fail "held.txt holds: $(cat "$scratch/data/waits/held.txt")"
done
