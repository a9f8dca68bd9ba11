#!/bin/sh
# The hostile-values sweep on one engine: writes the sweep's calls into a
# copy of the hostile_sweep project, builds it in the form given and plays
# it to its end. The game must end normally (no crash, no sanitizer report)
# and say that every batch ran, that objects deleted while their code ran
# let that code go on and ran no event after, that a sprite merged with
# itself doubled its frames and that a grid no memory holds was refused. The run has a network namespace of its own
# where the system gives one, so that nothing a call asks for leaves the
# machine; elsewhere the built-ins that reach the network are left out.
#   hostile_sweep_case.sh MAKE_SWEEP BWPACK RUNNER PROJECT OUT_DIR text|bytecode [runner switches...]
make_sweep="$1"; bwpack="$2"; runner="$3"; project="$4"; out="$5"; form="$6"; shift 6
fail() { echo "hostile_sweep_case: $*" >&2; exit 1; }

rm -rf "$out" && mkdir -p "$out/home" "$out/run" "$out/tmp" && cp -R "$project" "$out/project" || fail "cannot set up $out"
if unshare -rn true 2>/dev/null; then isolate="unshare -rn"; offline=""; else isolate=""; offline="--offline"; fi
"$make_sweep" "$out/project/code/sweep_calls.bwl" $offline || fail "cannot write the sweep's calls"
# A frame a batch (the script's first line counts them), and a few after.
batches="$(sed -n '1s/.* in \([0-9]*\) batches.*/\1/p' "$out/project/code/sweep_calls.bwl")"
[ -n "$batches" ] || fail "the sweep's script does not count its batches"
"$bwpack" "$out/project" -o "$out/sweep.win" --form "$form" || fail "bwpack refused the sweep"

log="$out/run.log"
# Files the calls name land in the run's own folders.
(cd "$out/run" && HOME="$out/home" XDG_DATA_HOME="$out/home" XDG_CONFIG_HOME="$out/home" TMPDIR="$out/tmp" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null \
  BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES=$((batches + 10)) $isolate "$runner" -game "$out/sweep.win" -noerrors "$@") >"$log" 2>&1
status=$?
tail -n 40 "$log"
[ "$status" -eq 0 ] || fail "the runner ended with $status (log: $log)"
for line in "deleted in create: went on, x 1" "deleted in step: went on, y 2" "deleted in a script: went on, x 3" \
    "deleted in execute_string: went on, x 4" "deleted in with: went on 2 times, exists 0" \
    "sprite merged with itself twice: 8 frames" "grid past what memory holds: -1"; do
  grep -qF "$line" "$log" || fail "missing: $line"
done
grep -Eq "^sweep: [0-9]+ calls in [0-9]+ batches; 3 frames after; deleted objects' events run after the delete: 0$" "$log" ||
  fail "the sweep did not run to its end"
