#!/bin/sh
# A player at a dialog under a virtual X display: the game opens the dialog
# that CASE names (see the table below), the keys of the case reach the
# dialog's window through the X test extension, as a person's typing would,
# and the game must say what the player answered and end. Some cases also
# read the dialog back from the screen: how many lines of text its top part
# shows, or whether a key scrolled it.
#   dialog_window_case.sh RUNNER PACKAGE CASE
runner="$1"; package="$2"; name="$3"
. "$(dirname "$0")/x_display.sh"
case_name="$case_name $name"
need_tools Xvfb xwininfo xdotool import convert

# The table: the game's mode, the window title, then steps run in order:
#   keys:K1,K2   taps the keys with no delay between them (xdotool names)
#   lines:N      the text at the top of the dialog shows N lines
#   new / first  after the previous keys the dialog looks different from
#                every earlier look / as it first looked
# and last the exit code and a line the game must print.
title=Brackwell; code=0
case "$name" in
  # Any length shows, scrolls and is answered; the game goes on.
  long_message)    mode=message_long; steps="keys:Page_Down new keys:Return"; expect="after the dialog" ;;
  long_error)      mode=error_long; title="Code Error..."; steps="keys:ctrl+End new keys:Return"; expect="after the dialog" ;;
  long_prompt)     mode=string_long; steps="keys:Page_Down new keys:Return"; expect="answer x" ;;
  # A message's '#' breaks its line, "\#" shows '#'; CR, LF and CR LF break
  # a line in every form.
  lines_hash)      mode=message_hash; steps="lines:2 keys:Return"; expect="after the dialog" ;;
  lines_escaped)   mode=message_escaped_hash; steps="lines:1 keys:Return"; expect="after the dialog" ;;
  lines_cr)        mode=message_cr; steps="lines:2 keys:Return"; expect="after the dialog" ;;
  lines_lf)        mode=message_lf; steps="lines:2 keys:Return"; expect="after the dialog" ;;
  lines_crlf)      mode=message_crlf; steps="lines:2 keys:Return"; expect="after the dialog" ;;
  lines_question)  mode=question_cr; steps="lines:2 keys:Return"; expect="answer 1" ;;
  lines_prompt)    mode=string_crlf; steps="lines:2 keys:Return"; expect="answer " ;;
  # Every tap counts, however short. The default comes selected, as in a
  # system dialog: End first.
  backspace_taps)  mode=string; steps="keys:End,BackSpace,BackSpace,BackSpace,BackSpace,BackSpace,Return"; expect="answer Anna" ;;
  # Tab moves between the buttons and Space presses the one with the focus.
  tab_to_no)       mode=question; steps="keys:Tab,space"; expect="answer 0" ;;
  tab_around)      mode=question; steps="keys:Tab,Tab,space"; expect="answer 1" ;;
  # get_integer: an emptied field answers 0, Escape keeps the default.
  integer_emptied) mode=integer; steps="keys:BackSpace,Return"; expect="answer 0" ;;
  integer_escape)  mode=integer; steps="keys:BackSpace,Escape"; expect="answer 3" ;;
  # The keys that scroll a long message and the error report.
  scroll_message)  mode=message_numbered
                   steps="keys:Page_Down new keys:Page_Up first keys:Down new keys:Up first keys:ctrl+End new keys:ctrl+Home first keys:Return"
                   expect="after the dialog" ;;
  scroll_error)    mode=error_numbered; title="Code Error..."
                   steps="keys:Page_Down new keys:ctrl+Home first keys:ctrl+End new keys:Escape"
                   expect="after the dialog" ;;
  # The error dialog's Copy and Clear (the focus starts on Ignore).
  error_copy)      mode=error_copy; title="Code Error..."; steps="keys:Tab,space,Escape"; expect="clipboard .*Report to copy.*" ;;
  error_clear)     mode=error_copy; title="Code Error..."
                   steps="keys:Tab,Tab,space lines:0 keys:shift+Tab,space,Escape"; expect="clipboard before" ;;
  # Without Ignore the buttons are Abort, Copy and Clear: three Tabs come
  # back to Abort.
  error_fatal)     mode=error_fatal; title="Code Error..."; steps="keys:Tab,Tab,Tab,space"; code=255
                   expect="opening the error_fatal dialog" ;;
  *) fail "no such case" ;;
esac

start_display 800x600

"$runner" -game "$package" "$mode" >"$scratch/out" 2>"$scratch/err" &
pid=$!
# The dialog's window: a window of that title (not class) on the screen.
window() { xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"$(printf '%s' "$title" | sed 's/\./\\./g')\": .*/\1/p" | head -n 1; }
# A runner that ended (or aborted) has no dialog to wait for.
running() { kill -0 "$pid" 2>/dev/null || fail "the runner ended while its dialog was expected"; }
wait_for 'running && [ -n "$(window)" ]' "the $mode dialog never came up" 100
id="$(window)"
width="$(xwininfo -id "$id" | sed -n 's/^ *Width: //p')"
size="${width}x$(xwininfo -id "$id" | sed -n 's/^ *Height: //p')"

# A look at the dialog once it has settled: two grabs in a row alike.
# import can wait on a window that goes away while it reads it.
grab() { timeout 5 import -window "$id" -depth 8 rgb:"$1" 2>/dev/null; }
looks=0
settled() {
  running && grab "$scratch/a.rgb" && sleep 0.1 && grab "$scratch/b.rgb" && cmp -s "$scratch/a.rgb" "$scratch/b.rgb"
}
look() { wait_for settled "the dialog never settled" 50; }
seen_before() { for seen in "$scratch"/look*.rgb; do cmp -s "$scratch/b.rgb" "$seen" && return 0; done; return 1; }
keep_look() { looks=$((looks + 1)); cp "$scratch/b.rgb" "$scratch/look$looks.rgb"; }
# The rows of the dialog's top 80 pixels that hold light (text) pixels, as
# runs: one run per line of text.
text_lines() {
  convert -size "$size" -depth 8 "rgb:$scratch/b.rgb" -crop "${width}x80+0+0" -colorspace Gray -compress none pgm:- |
    awk -v w="$width" 'NR > 3 { for (i = 1; i <= NF; ++i) { lit = lit || $i > 128; if (++x == w) { runs += lit && !was; was = lit; lit = 0; x = 0 } } }
                        END { print runs + 0 }'
}

look; keep_look
# Keys go to the window with the input focus (there is no window manager).
focused() { xdotool windowfocus "$id" 2>/dev/null; [ "$(xdotool getwindowfocus 2>/dev/null)" = "$((id))" ]; }
wait_for focused "the dialog never took the keyboard" 50
for step in $steps; do
  case "$step" in
    keys:*) xdotool key --delay 0 $(printf '%s' "${step#keys:}" | tr ',' ' ') ;;
    lines:*) look; [ "$(text_lines)" = "${step#lines:}" ] || fail "the dialog shows $(text_lines) lines of text, not ${step#lines:}" ;;
    new) wait_for 'settled && ! seen_before' "the dialog did not change after the keys" 50; keep_look ;;
    first) wait_for 'settled && cmp -s "$scratch/b.rgb" "$scratch/look1.rgb"' "the dialog did not come back to its first look" 50 ;;
  esac
done

wait_for '! kill -0 "$pid" 2>/dev/null' "the game did not end after the dialog was answered" 100
wait "$pid"
status=$?
pid=""
[ "$status" -eq "$code" ] || fail "exit code $status, expected $code"
grep -q "^$expect\$" "$scratch/out" || fail "the game did not print: $expect"
cat "$scratch/out" "$scratch/err"
