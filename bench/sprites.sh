#!/usr/bin/env bash
# The sprite benchmark: bench/sprites (balls moved and bounced by their BWL
# step events in a 1024 x 768 room) packed by bwpack and run by the runner
# offscreen, and the same scene in LOVE 11.4 (bench/sprites/love) in the
# same run; prints both mean frame times over frames 30 to 300 and the ratio
# ours/LOVE (below 1: ours is faster), for 10,000 and 20,000 balls.
#   bench/sprites.sh [build-dir]
# BWRUN and BWPACK name other binaries (a build of an earlier commit).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
. "$root/bench/packed_game.sh"
"$bwpack" "$root/bench/sprites" -o "$work/sprites.win" >/dev/null
mean() { awk '/^bench mean/ { print $3 }'; }
for count in 10000 20000; do
  ours="$(HOME="$work" XDG_DATA_HOME="$work/data" BENCH_SPRITES=$count "$bwrun" -game "$work/sprites.win" -noerrors 2>&1 | mean)"
  if [ -z "$ours" ]; then
    echo "sprites: the runner gave no frame time for $count sprites" >&2
    exit 1
  fi
  peer=""
  if command -v love >/dev/null; then
    peer="$(love "$root/bench/sprites/love" "$count" "$root/bench/sprites/ball.png" 2>/dev/null | mean)"
  fi
  if [ -n "$peer" ]; then
    awk -v n="$count" -v a="$ours" -v b="$peer" \
      'BEGIN { printf "%6d sprites: bwrun %7.2f ms  LOVE %7.2f ms  ratio %.2f\n", n, a, b, a / b }'
  else
    printf '%6d sprites: bwrun %7.2f ms  (no LOVE figure: is love installed?)\n' "$count" "$ours"
  fi
done
