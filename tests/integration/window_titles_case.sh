#!/bin/sh
# The window_titles game, started under the locale LOCALE in a window of a
# virtual X display, sets one caption after another; each must reach the
# window whole: _NET_WM_NAME as UTF8_STRING, WM_NAME as STRING when it is
# ASCII and as UTF8_STRING otherwise (read back with xprop). The game moves
# on once the test leaves "seen<n>" in its save area, and ends with a caption
# far too long for a title, which must not end the runner. What the game
# computes (a number as text, string_upper) is the same under any locale.
#   window_titles_case.sh RUNNER PACKAGE LOCALE
runner="$1"; package="$2"; locale="$3"
. "$(dirname "$0")/x_display.sh"
# Both streams go to one file.
show_run() { tail -n 20 "$scratch/out" 2>/dev/null; }
need_tools Xvfb xprop:x11-utils
LC_ALL="$locale" locale 2>&1 >/dev/null | grep -q . && fail "the locale $locale is missing (scripts/install-deps.sh generates it)"

saved="$XDG_DATA_HOME/window_titles"
mkdir -p "$saved"

start_display 640x480

env LANG="$locale" LC_ALL="$locale" "$runner" -game "$package" -noerrors >"$scratch/out" 2>&1 &
pid=$!
# The game's window is the only one of its size.
window_id() { xwininfo -root -tree | grep -F " 160x120+" | awk '{ print $1; exit }'; }
wait_for '[ -n "$(window_id)" ]' "the game's window never came up" 100
window="$(window_id)"
names() { LC_ALL=C.UTF-8 xprop -id "$window" WM_NAME _NET_WM_NAME 2>&1; }
index=0
while IFS= read -r title; do
  type=STRING
  printf '%s' "$title" | LC_ALL=C grep -q '[^ -~]' && type=UTF8_STRING
  expected="$(printf 'WM_NAME(%s) = "%s"\n_NET_WM_NAME(UTF8_STRING) = "%s"' "$type" "$title" "$title")"
  wait_for '[ "$(names)" = "$expected" ]' "caption $index never reached the window whole; it shows:
$(names)
expected:
$expected" 50
  : >"$saved/seen$index"
  index=$((index + 1))
done <<'TITLES'
Игра — уровень 1
—
x—
Ελληνικά: επίπεδο 2
日本語のゲーム
«€ … ™»
Plain title
TITLES
wait_for '! kill -0 "$pid" 2>/dev/null' "the game did not end after its last caption" 50
wait "$pid" || fail "the runner failed"
pid=""
grep -qx "computed 2.50 AäZ" "$scratch/out" || fail "what the game computes changed: $(grep computed "$scratch/out")"
grep -qx "long caption 9000000" "$scratch/out" || fail "a caption of 18 MB did not leave the game whole"
