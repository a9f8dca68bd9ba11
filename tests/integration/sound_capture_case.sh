#!/bin/sh
# Plays every project of a group folder, built in both package forms, with
# OpenAL's wave back end writing the mix to a file, then names the tones the
# mix holds in order (wave_tones). Each run prints "== PROJECT FORM", the
# game's output and the tones line; all of it, lines joined by '|', must
# match the pattern. The clock is real, as the mixer's is. Files a game
# opens at run time lie in its project's run/ folder and are copied beside
# its package, into the game's own folder.
#   sound_capture_case.sh BWPACK RUNNER WAVE_TONES GROUP OUT "HZ..." PATTERN [runner arguments...]
bwpack="$1"; runner="$2"; wave_tones="$3"; group="$4"; out="$5"; hz="$6"; pattern="$7"; shift 7
rm -rf "$out" && mkdir -p "$out" || exit 1
said=""
for project in "$group"/*/; do
  name="$(basename "$project")"
  for form in text bytecode; do
    game="$out/${name}_$form"
    mkdir -p "$game" || exit 1
    "$bwpack" "$project" -o "$game/game.win" --form "$form" || exit 1
    if [ -d "$project/run" ]; then
      cp "$project"/run/* "$game/" || exit 1
    fi
    printf '[general]\nchannels = mono\nsample-type = float32\nfrequency = 44100\noutput-limiter = false\n[wave]\nfile = %s\n' \
      "$game/mix.wav" >"$game/alsoft.conf"
    output="$(SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=wave ALSOFT_CONF="$game/alsoft.conf" XDG_DATA_HOME="$game/data" \
      BW_TEST_FRAMES=300 "$runner" -game "$game/game.win" -noerrors "$@" 2>&1)"
    status=$?
    # shellcheck disable=SC2086 # one argument per frequency
    tones="$("$wave_tones" "$game/mix.wav" $hz)"
    said="$said== $name $form
$output
$tones
"
    if [ "$status" -ne 0 ]; then
      printf '%s' "$said"
      echo "sound_capture_case: $name ($form) exited with $status" >&2
      exit 1
    fi
  done
done
printf '%s' "$said"
if ! printf '%s' "$said" | tr '\n' '|' | grep -Eq -- "$pattern"; then
  echo "sound_capture_case: output does not match: $pattern" >&2
  exit 1
fi
