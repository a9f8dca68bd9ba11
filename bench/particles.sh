#!/usr/bin/env bash
# Runs the particle benchmark and, in the same run, the same scene in LOVE
# 11.4's ParticleSystem (installed from Debian when missing; skipped if it
# cannot be), headless, and prints the ratio ours/LOVE of each timing
# (below 1: ours is faster).
#   bench/particles.sh [build-dir] [frames]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
frames="${2:-300}"
export SDL_VIDEODRIVER=offscreen
if ! command -v love >/dev/null; then
  sudo -n true 2>/dev/null && SUDO=sudo || SUDO=
  { DEBIAN_FRONTEND=noninteractive $SUDO apt-get update &&
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y love; } </dev/null >/dev/null || true
fi
cmake -S "$root" -B "$build" -G Ninja -DBW_BENCH=ON -DBW_TESTS=OFF >/dev/null
cmake --build "$build" --target particle_bench >/dev/null
ours="$("$build/bench/particle_bench" "$frames")"
echo "bwrun:"; echo "$ours"
if ! command -v love >/dev/null; then
  echo "LOVE is not installed: no peer figures."
  exit 0
fi
peer="$(love "$root/bench/love/particles" "$frames" 2>/dev/null)"
echo "LOVE 11.4:"; echo "$peer"
echo "ratio bwrun/LOVE (medians):"
for what in update submit raster; do
  a="$(echo "$ours" | awk -v w="$what" '$1 == w { print $6 }')"
  b="$(echo "$peer" | awk -v w="$what" '$1 == w { print $6 }')"
  awk -v w="$what" -v a="$a" -v b="$b" 'BEGIN { printf "%-7s %6.2f\n", w, a / b }'
done
