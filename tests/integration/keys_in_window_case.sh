#!/bin/sh
# The keys_in_window game in a window of a virtual X display with a German
# layout: an empty text it puts on the clipboard is text there, and Ctrl+A
# and Ctrl+Z typed on the real keyboard give the characters 1 and 26, which
# keyboard_string does not take. Alt+A is a shortcut: A is pressed, nothing
# typed. Backspace on 1023 characters leaves 1022, and Enter on 1023 leaves
# them all. The plain A and the "@" of AltGr+Q that follow are all the text.
#   keys_in_window_case.sh RUNNER PACKAGE
runner="$1"; package="$2"
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xwininfo xdotool setxkbmap:x11-xkb-utils

# The layout stays once setxkbmap, the display's only client, leaves: the
# display does not reset.
start_display 640x480
setxkbmap -layout de || fail "no German keyboard layout"
"$runner" -game "$package" -noerrors >"$scratch/out" 2>"$scratch/err" &
pid=$!
# The game's window is the only one of its size.
window_id() { xwininfo -root -tree | grep -F " 160x120+" | awk '{ print $1; exit }'; }
wait_for '[ -n "$(window_id)" ]' "the game's window never came up" 100
window="$(window_id)"
# Keys go to the window with the input focus (there is no window manager).
focused() { xdotool windowfocus "$window" 2>/dev/null; [ "$(xdotool getwindowfocus 2>/dev/null)" = "$((window))" ]; }
wait_for focused "the game's window never took the keyboard" 50
said() { grep -qxF "$1" "$scratch/out"; }
# Each key and the line the game says for it.
for step in "ctrl+a:lastchar 1" "ctrl+z:lastchar 26" "alt+a:alt+a types [], lastchar 26" \
  "BackSpace:backspace leaves 1022" "Return:enter leaves 1023 of 1023" "a:lastchar 97" \
  "ISO_Level3_Shift+q:lastchar 64"; do
  xdotool key --delay 0 "${step%%:*}"
  wait_for 'said "${step#*:}"' "${step%%:*} did not give \"${step#*:}\"" 50
done
wait_for '! kill -0 "$pid" 2>/dev/null' "the game did not end on the AltGr character" 50
wait "$pid" || fail "the runner failed"
pid=""
said "empty clipboard text: has text 1, reads []" || fail "an empty text on the clipboard is not text"
said "keyboard_string [a@]" || fail "keyboard_string holds more or less than the characters typed"
