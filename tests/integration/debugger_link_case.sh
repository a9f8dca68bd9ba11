#!/bin/sh
# A debugger attached to the runner over its link (debug_client): steps out
# of a script into its caller, asks for four held states of 6 MB before
# reading any, and evaluates instance_destroy(), which must raise no
# object's destroy event. Played from both package forms on the machine and
# from the bytecode form under -oldexec (the tree interpreter runs what is
# compiled at run time, the evaluations; package code stays on the machine,
# the one engine that holds at a breakpoint). Then a runner held behind a
# debugger that reads none of its replies ends in order on SIGTERM.
# The debugger port is fixed, so the case runs in a network namespace of
# its own where the system allows one.
#   debugger_link_case.sh BWPACK RUNNER PROJECT OUT_DIR CLIENT
bwpack="$1"; runner="$2"; project="$3"; out="$4"; client="$5"
own_loopback=1
. "$(dirname "$0")/background_runs.sh"
export BW_TEST_FRAMES=3000
port=6509
mkdir -p "$out" || exit 1

fail() {
  for said in "$scratch"/*.out; do echo "--- $(basename "$said")"; cat "$said"; done
  echo "debugger_link_case: $*" >&2
  exit 1
}
# Waits up to 30 s for the process to end; its exit code is then in $ended.
wait_end() {
  n=0
  while [ -r "/proc/$1/stat" ] && [ "$(cut -d' ' -f3 "/proc/$1/stat")" != Z ]; do
    n=$((n + 1)); [ "$n" -le 300 ] || fail "$2 did not end"; sleep 0.1
  done
  wait "$1"; ended=$?
}
start_runner() {
  "$runner" -game "$out/$1.win" -noerrors -debug $2 >"$scratch/game.out" 2>&1 &
  runner_pid=$!
  pids="$pids $runner_pid"
}

for form in text bytecode; do
  "$bwpack" "$project" -o "$out/$form.win" --form "$form" >"$scratch/bwpack.out" 2>&1 || fail "the $form build failed"
done
held="held in Script.scr_a
one held state: over 6 MB
four held states asked at once: all whole
evaluated instance_destroy(): 0"
for run in text: bytecode: bytecode:-oldexec; do
  form="${run%%:*}"; engine="${run#*:}"
  start_runner "$form" "$engine"
  "$client" "$port" finish >"$scratch/client.out" 2>&1 || fail "the debugger gave up ($run)"
  wait_end "$runner_pid" "the runner ($run)"
  [ "$ended" = 0 ] || fail "the runner ($run) ended with $ended"
  [ "$(cat "$scratch/client.out")" = "$held
step held in Script.scr_a
step held in Object.o_game.Step.0
step held in Object.o_game.Step.0
step held in Object.o_game.Step.0
step held in Script.p
evaluated scr_finish(): 1
the runner closed the link" ] || fail "the debugger did not meet what it should ($run)"
  grep -q "^o_first's destroy event ran 0 times" "$scratch/game.out" ||
    fail "an evaluation raised an object's destroy event ($run)"
done

start_runner text ""
"$client" "$port" unread >"$scratch/client.out" 2>&1 &
client_pid=$!
pids="$pids $client_pid"
n=0
until grep -q "^four more held states asked" "$scratch/client.out"; do
  n=$((n + 1)); [ "$n" -le 300 ] || fail "the debugger never asked for unread states"; sleep 0.1
done
[ "$(head -n 4 "$scratch/client.out")" = "$held" ] || fail "the debugger did not meet what it should (unread)"
sleep 1
kill -TERM "$runner_pid"
started=$(date +%s)
wait_end "$runner_pid" "the runner held behind an unread debugger, on SIGTERM,"
[ "$ended" = 0 ] || fail "the runner ended with $ended on SIGTERM"
[ $(($(date +%s) - started)) -le 5 ] || fail "the runner took more than 5 s to give way to SIGTERM"
grep -q "^o_first's destroy event ran 0 times" "$scratch/game.out" || fail "the game did not end in order on SIGTERM"
