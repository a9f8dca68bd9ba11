#!/bin/sh
# A game under a virtual X display holds a file open and opens DIALOG
# (message, question, string, integer, chooser or error); once it is up,
# SIGNAL is sent to the runner, or with GROUP to its whole process group as
# Ctrl+C in a terminal does. Every dialog gives way: the error dialog ends
# the game as Abort does (as the headless run, whose default is Abort); any
# other ends it in order as the signal does in play (exit 0, the held file
# in place).
#   dialog_signal_case.sh RUNNER PACKAGE DIALOG SIGNAL [GROUP]
runner="$1"; package="$2"; dialog="$3"; signal="$4"; target="$5"
. "$(dirname "$0")/x_display.sh"
need_tools Xvfb xwininfo

held="$XDG_DATA_HOME/dialog_signals/held.txt"
# A chooser that says it is up and then waits as a person would.
export PATH="$scratch/bin:$PATH"
mkdir -p "$scratch/bin"
printf '#!/bin/sh\n: >"%s/chooser_up"\nexec sleep 20\n' "$scratch" >"$scratch/bin/zenity"
chmod +x "$scratch/bin/zenity"

if [ "$dialog" = error ]; then
  # What Abort does: with no display the error takes its default answer.
  SDL_VIDEODRIVER=offscreen DISPLAY= "$runner" -game "$package" error >"$scratch/reference" 2>"$scratch/reference_err"
  expected=$?
  mv "$held" "$scratch/reference_held" 2>/dev/null
else
  expected=0
  printf "written while held" >"$scratch/reference_held"
fi

start_display 640x480

# The signals start as they would from a terminal, whatever ctest's own
# dispositions are; setsid gives the runner a process group of its own.
setsid env --default-signal=INT,TERM "$runner" -game "$package" "$dialog" >"$scratch/out" 2>"$scratch/err" &
pid=$!
# A window of that title (not class) is on the screen.
shown() { xwininfo -root -tree | grep -q "^ *0x[0-9a-f]* \"$1\":"; }
case "$dialog" in
  chooser) up='[ -e "$scratch/chooser_up" ]' ;;
  error) up='shown "Code Error\.\.\."' ;;
  *) up='shown Brackwell' ;;
esac
wait_for "$up" "the $dialog dialog never came up" 100
if [ "$target" = GROUP ]; then kill "-$signal" "-$pid"; else kill "-$signal" "$pid"; fi
wait_for '! kill -0 "$pid" 2>/dev/null' "SIG$signal did not end the runner while the $dialog dialog was up" 50
wait "$pid"
status=$?
pid=""

[ "$status" -eq "$expected" ] || fail "exit code $status, expected $expected"
cmp -s "$held" "$scratch/reference_held" || fail "held.txt holds: $(cat "$held" 2>&1)"
# The last lines of each stream: the frame rates and how the game ended.
ending() { tail -n 3 "$1"; tail -n 1 "$2"; }
if [ "$dialog" = error ]; then
  [ "$(ending "$scratch/out" "$scratch/err")" = "$(ending "$scratch/reference" "$scratch/reference_err")" ] ||
    fail "the run did not end as Abort does: $(ending "$scratch/reference" "$scratch/reference_err")"
else
  grep -q "ended on an error" "$scratch/err" && fail "the game did not end in order"
fi
cat "$scratch/out" "$scratch/err"
