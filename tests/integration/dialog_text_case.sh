#!/bin/sh
# A game under a virtual X display opens DIALOG (message, question, prompt,
# default, typed, error or async) three times in turn: with a text in
# Cyrillic, Greek and Japanese, with that text reversed, and with as many
# question marks; for "typed" the player types a Cyrillic word, its reverse
# and as many question marks on a Russian keyboard after the field's "Ж".
# Each text must be drawn glyph by glyph: the dialog of the text must look
# unlike the dialog of its reverse, and unlike the one of the marks (the
# look of characters a font lacks).
runner="$1"; package="$2"; dialog="$3"; image_diff="$4"
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xdotool setxkbmap import identify

# The layout stays once setxkbmap, the display's only client, leaves: the
# display does not reset.
start_display 640x480
setxkbmap -layout ru || fail "no Russian keyboard layout"

"$runner" -game "$package" "$dialog" >"$scratch/out" 2>"$scratch/err" &
pid=$!

# A dialog window not answered yet.
answered=" "
next_dialog() {
  for window in $(xdotool search --name '^(Brackwell|Dialog|Code Error\.\.\.)$' 2>/dev/null); do
    case "$answered" in *" $window "*) ;; *) id="$window"; return 0 ;; esac
  done
  return 1
}
# A field's text is compared left of where its cursor blinks.
case "$dialog" in
  typed | default) crop="-crop 48x480+0+0 +repage" ;;
  *) crop="" ;;
esac
# Grabs the window once it shows more than its background and two grabs in
# a row are alike (the frame with the text's glyphs is on the screen).
settled() {
  # shellcheck disable=SC2086  # the crop is a list of arguments
  import -window "$id" $crop "$scratch/grab.png" 2>/dev/null &&
    [ "$(identify -format %k "$scratch/grab.png")" -gt 2 ] &&
    [ -e "$1" ] && "$image_diff" "$scratch/grab.png" "$1" 0 >/dev/null 2>&1 ||
    { mv "$scratch/grab.png" "$1" 2>/dev/null; return 1; }
}

for shown in 1 2 3; do
  wait_for next_dialog "dialog $shown never came up" 100
  xdotool windowfocus --sync "$id" || fail "dialog $shown cannot take the keyboard"
  if [ "$dialog" = typed ]; then
    case "$shown" in
      1) keys="shift+Cyrillic_pe Cyrillic_er Cyrillic_i Cyrillic_ve Cyrillic_ie Cyrillic_te" ;;
      2) keys="Cyrillic_te Cyrillic_ie Cyrillic_ve Cyrillic_i Cyrillic_er shift+Cyrillic_pe" ;;
      3) keys="shift+question shift+question shift+question shift+question shift+question shift+question" ;;
    esac
    # SDL hands a window the keys a moment after X does, and what is typed
    # before that is lost. A held key reaches it when it does: End, which
    # unselects the field's "Ж" (left of the cursor), says keys arrive.
    selected="$scratch/selected$shown.png"
    full_crop="$crop"; crop="-crop 12x480+8+0 +repage"
    wait_for "settled '$selected'" "dialog $shown never settled" 50
    xdotool keydown End
    wait_for '! settled "$selected"' "End never reached dialog $shown" 50
    xdotool keyup End
    crop="$full_crop"
    # shellcheck disable=SC2086  # one key a word
    xdotool key --delay 50 $keys
  fi
  rm -f "$scratch/shot$shown.png"
  wait_for "settled '$scratch/shot$shown.png'" "dialog $shown never settled" 50
  # Enter is held until the dialog is gone: a frame must see it down, and
  # the keys may reach the window only a moment after the press.
  xdotool keydown Return
  wait_for '! xwininfo -id "$id" >/dev/null 2>&1' "Enter did not answer dialog $shown" 50
  xdotool keyup Return
  answered="$answered$id "
done
wait_for '! kill -0 "$pid" 2>/dev/null' "the game did not end after its dialogs" 50
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit code $status"
if [ "$dialog" = typed ]; then
  for word in Привет тевирП '??????'; do
    grep -qxF "answer Ж$word" "$scratch/out" || fail "the field did not get \"$word\" as typed"
  done
fi
"$image_diff" "$scratch/shot1.png" "$scratch/shot2.png" 0 >/dev/null 2>&1
[ $? -eq 1 ] || fail "the text looks like its reverse: not drawn glyph by glyph"
"$image_diff" "$scratch/shot1.png" "$scratch/shot3.png" 0 >/dev/null 2>&1
[ $? -eq 1 ] || fail "the text looks like question marks"
cat "$scratch/out" "$scratch/err"
