#!/bin/sh
# Builds one project in both package forms and plays each package: the game
# must say the same whichever form its code travelled in. BW_TEST_PHASE is
# "build" while bwpack runs and "run" while the game plays, so a value taken
# at the build instead of at game start shows. A build says nothing: game
# code that printed there would have run at the build.
#   both_forms_case.sh BWPACK RUNNER PROJECT OUT_DIR PATTERN [runner arguments...]
# The runner must exit with BW_TEST_EXPECTED_EXIT (0 when unset); with
# BW_TEST_ADDRESS_SPACE set, no process of the case may take more than that
# many KB of address space (ulimit -v); the file BW_TEST_BESIDE, when set,
# is copied beside the packages (a library the game loads from its folder).
# A folder BW_TEST_BESIDE is instead copied afresh (modes kept) for each
# form, to hold that form's package and what the run does beside it; the
# runner then starts in its subfolder BW_TEST_START_IN when that is set.
# With BW_TEST_RESTART_PATTERN set, each form starts on a save area of its
# own and plays a second time on what the first start left there; the
# second start's output must match that pattern.
bwpack="$1"; runner="$2"; project="$3"; out="$4"; pattern="$5"; shift 5
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$out" || exit 1
if [ -f "$BW_TEST_BESIDE" ]; then cp "$BW_TEST_BESIDE" "$out/" || exit 1; fi
if [ -n "$BW_TEST_ADDRESS_SPACE" ]; then ulimit -v "$BW_TEST_ADDRESS_SPACE" || exit 1; fi
# A save area of the case's own, fresh each run: the cases of one project on
# the two engines run side by side and would race on a shared one.
rm -rf "$out/save"
export XDG_DATA_HOME="$out/save"
play() {
  expected="$1"; shift
  (cd "${start:-.}" && BW_TEST_PHASE=run "$here/run_case.sh" "$runner" "${BW_TEST_EXPECTED_EXIT:-0}" "$expected" \
    -game "$place/$form.win" -noerrors "$@")
}
for form in text bytecode; do
  place="$out"
  if [ -d "$BW_TEST_BESIDE" ]; then
    place="$out/$form"
    { rm -rf "$place" && cp -pR "$BW_TEST_BESIDE" "$place"; } || exit 1
  fi
  said="$(BW_TEST_PHASE=build "$bwpack" "$project" -o "$place/$form.win" --form "$form" 2>&1)" || { printf '%s\n' "$said"; exit 1; }
  if [ -n "$said" ]; then
    printf 'both_forms_case: the %s build said:\n%s\n' "$form" "$said" >&2
    exit 1
  fi
  start="${BW_TEST_START_IN:+$place/$BW_TEST_START_IN}"
  if [ -n "$BW_TEST_RESTART_PATTERN" ]; then rm -rf "$out/save"; fi
  if ! play "$pattern" "$@"; then
    echo "both_forms_case: the $form form does not match" >&2
    exit 1
  fi
  if [ -n "$BW_TEST_RESTART_PATTERN" ] && ! play "$BW_TEST_RESTART_PATTERN" "$@"; then
    echo "both_forms_case: the $form form does not match after a restart" >&2
    exit 1
  fi
done
