#!/bin/sh
# Plays a list of runs, each a game of its own, from both package forms: a
# run is a project folder under PACKAGES and, after a colon, the game's last
# command-line argument (none when empty). Files in a project's run/ folder
# are copied beside its packages, into the game's own folder. Prints
# "== RUN FORM exit STATUS" and the game's output for each run; all of it,
# lines joined by '|', must match PATTERN. The clock is virtual and a game
# ends after 60 frames.
#   runs_case.sh BWPACK RUNNER PACKAGES OUT "RUN..." PATTERN [runner arguments...]
bwpack="$1"; runner="$2"; packages="$3"; out="$4"; runs="$5"; pattern="$6"; shift 6
rm -rf "$out" && mkdir -p "$out" || exit 1
said=""
for run in $runs; do
  project="${run%%:*}"; argument="${run#*:}"
  for form in text bytecode; do
    game="$out/$project/$form"
    if [ ! -f "$game/game.win" ]; then
      mkdir -p "$game" && "$bwpack" "$packages/$project" -o "$game/game.win" --form "$form" || exit 1
      if [ -d "$packages/$project/run" ]; then
        cp "$packages/$project"/run/* "$game/" || exit 1
      fi
    fi
    # shellcheck disable=SC2086 # an empty argument is none
    output="$(SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_VIRTUAL_CLOCK=1 BW_TEST_FRAMES=60 \
      XDG_DATA_HOME="$game/data" "$runner" -game "$game/game.win" -noerrors "$@" $argument 2>&1)"
    status=$?
    said="$said== $run $form exit $status
$output
"
  done
done
printf '%s' "$said"
if ! printf '%s' "$said" | tr '\n' '|' | grep -Eq -- "$pattern"; then
  echo "runs_case: output does not match: $pattern" >&2
  exit 1
fi
