#!/usr/bin/env bash
# The route benchmark: bench/routes (a straight planned route of 150,000
# points and a grid route through a 1,000 x 1,000 grid, each written into a
# path) packed by bwpack and run by the runner; prints the best of three
# times of each in milliseconds.
#   bench/routes.sh [build-dir]
# BWRUN and BWPACK name other binaries (a build of an earlier commit).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-bench}"
. "$root/bench/packed_game.sh"
"$bwpack" "$root/bench/routes" -o "$work/routes.win" >/dev/null
HOME="$work" XDG_DATA_HOME="$work/data" "$bwrun" -game "$work/routes.win" -noerrors 2>&1 | grep '^bench '
