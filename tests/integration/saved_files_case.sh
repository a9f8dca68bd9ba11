#!/bin/sh
# A game that holds files open (one to rewrite, one it appends a line to
# each step) is ended from outside by SIGNAL. TERM, INT and HUP (what a
# closing terminal sends) end it in order: exit 0, both files whole, no
# temporary file left. KILL ends it at once: every line appended is there
# all the same, the file held to rewrite keeps what it had (nothing, as it
# was new), and the next start sweeps the temporary file the kill left. A
# file the game itself named like a temporary file is never swept.
# IGNORED_HUP starts the game with SIGHUP ignored, as nohup does: a HUP
# then leaves it playing, and a TERM ends it.
#   saved_files_case.sh RUNNER PACKAGE SIGNAL
runner="$1"; package="$2"; signal="$3"
scratch="$(mktemp -d)"
pid=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM
export XDG_DATA_HOME="$scratch" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1
saves="$scratch/saved_files"
fail() { cat "$scratch/out"; echo "saved_files_case: $*" >&2; exit 1; }
# The signals start as they would from a terminal, whatever ctest's own
# dispositions are (a background job of a script ignores INT).
signals="--default-signal=HUP,INT,TERM"
run() { exec env $signals "$runner" -game "$package" -noerrors "$1" >"$scratch/out" 2>&1; }
play() { (run "$1"); }
if [ "$signal" = IGNORED_HUP ]; then
  signals="--default-signal=INT,TERM --ignore-signal=HUP"
fi
temporaries() { find "$saves" -name '.*\\*-*.tmp' | wc -l; }
# Waits up to 30 s for what the test must see.
wait_for() { n=0; until eval "$1"; do n=$((n + 1)); [ "$n" -le 300 ] || fail "$2"; sleep 0.1; done; }

play lookalike || fail "the look-alike run exited with $?"
run hold &
pid=$!
wait_for 'grep -q "twenty lines" "$scratch/out"' "the game never wrote its lines"
if [ "$signal" = IGNORED_HUP ]; then
  kill -HUP "$pid"
  sleep 1
  kill -0 "$pid" 2>/dev/null || fail "an ignored SIGHUP ended the game"
  signal=TERM
fi
kill "-$signal" "$pid"
wait_for '! kill -0 "$pid" 2>/dev/null' "SIG$signal did not end the game"
wait "$pid"
status=$?
pid=""

i=1
while [ "$i" -le 20 ]; do printf 'line %d\r\n' "$i"; i=$((i + 1)); done >"$scratch/lines"
cmp -s "$saves/log.txt" "$scratch/lines" || fail "lines appended were lost: $(cat "$saves/log.txt")"
if [ "$signal" = KILL ]; then
  [ "$status" -eq 137 ] || fail "exit code $status, expected 137"
  [ -f "$saves/held.txt" ] && [ ! -s "$saves/held.txt" ] || fail "held.txt is not the empty file made at the open"
  [ "$(temporaries)" -eq 1 ] || fail "the kill left $(temporaries) temporary files, expected 1"
else
  [ "$status" -eq 0 ] || fail "exit code $status, expected 0"
  [ "$(cat "$saves/held.txt")" = "written while held" ] || fail "held.txt holds: $(cat "$saves/held.txt")"
  [ "$(temporaries)" -eq 0 ] || fail "temporary files were left behind"
fi

play check || fail "the checking run exited with $?"
grep -q "lookalike kept 1" "$scratch/out" || fail "the game's own file was swept"
[ "$(temporaries)" -eq 0 ] || fail "start-up left a temporary file of an ended process"
cat "$scratch/out"
