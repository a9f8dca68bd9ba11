#!/bin/sh
# A game that holds a file open waits (WAIT: the package's create code
# says which): in sleep(60000), for a started program with
# execute_program(..., true), or in game code that loops and never returns
# to the frame. It is sent SIGNAL once it says it is about to wait (for a
# program, once the program is up). The wait gives way: the game ends in
# order (exit 0, its game end event run, the held file in place) within
# seconds, not the minute or the forever it would have waited. A program
# waited for is left running, the player's, never a zombie.
#   wait_signal_case.sh RUNNER PACKAGE WAIT SIGNAL [runner switches...]
runner="$1"; package="$2"; wait="$3"; signal="$4"; shift 4
scratch="$(mktemp -d)"
pid=""; program=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; [ -z "$program" ] || kill "$program" 2>/dev/null; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM
export XDG_DATA_HOME="$scratch" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
fail() { cat "$scratch/out"; echo "wait_signal_case: $*" >&2; exit 1; }
# Polls every 0.05 s for what the test must see, up to TWENTIETHS of them.
#   wait_for CONDITION MESSAGE TWENTIETHS
wait_for() { n=0; until eval "$1"; do n=$((n + 1)); [ "$n" -le "$3" ] || fail "$2"; sleep 0.05; done; }

# The program says who it is, then takes its time as a person's would.
mkdir "$scratch/bin"
printf '#!/bin/sh\necho $$ >"%s/program_pid"\nexec sleep 60\n' "$scratch" >"$scratch/bin/bw_waited_program"
chmod +x "$scratch/bin/bw_waited_program"
export PATH="$scratch/bin:$PATH"

# The signals start as they would from a terminal, whatever ctest's own
# dispositions are (a background job of a script ignores INT).
env --default-signal=HUP,INT,TERM "$runner" -game "$package" -noerrors "$@" "$wait" >"$scratch/out" 2>&1 &
pid=$!
wait_for 'grep -q "about to wait: $wait" "$scratch/out"' "the game never came to the wait" 600
if [ "$wait" = program ]; then
  wait_for '[ -s "$scratch/program_pid" ]' "the program never started" 600
  program="$(cat "$scratch/program_pid")"
fi
kill "-$signal" "$pid"
sent=$(date +%s%N)
# One second is what the runner owes; the rest is room for a loaded machine.
wait_for '! kill -0 "$pid" 2>/dev/null' "SIG$signal did not end the runner inside the $wait wait" 100
echo "the runner ended $((($(date +%s%N) - sent) / 1000000)) ms after SIG$signal"
wait "$pid"
status=$?
pid=""

[ "$status" -eq 0 ] || fail "exit code $status, expected 0"
held="$(printf 'written while held\r\nthe game end event ran')"
[ "$(cat "$scratch/waits/held.txt")" = "$held" ] || fail "held.txt holds: $(cat "$scratch/waits/held.txt")"
grep -Eq "ERROR!!!|ended on an error" "$scratch/out" && fail "the game reported an error: it did not end in order"
if [ -n "$program" ]; then
  state="$(sed 's/.*) //' "/proc/$program/stat" 2>/dev/null | cut -c1)"
  [ -n "$state" ] && [ "$state" != Z ] || fail "the program waited for was not left running (state '$state')"
fi
cat "$scratch/out"
