#!/usr/bin/env bash
# Installs what is needed, builds the runner and plays the bundled demo game,
# or the package given as the first argument, with the runner's switches
# after it:
#   scripts/run.sh [path/to/data.win] [runner switches...]
# When the first argument is a switch (it starts with "-"), the demo is
# played with all the arguments as switches: scripts/run.sh -debug
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the game runs offscreen
# for a few seconds instead, to show that it starts and plays.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
say() { echo "run.sh: $*"; }

say "checking the Debian packages the runner needs (missing ones are installed)"
"$root/scripts/install-deps.sh"
if [ -x "$build/src/bwrun" ]; then
  say "building the runner and the demo (only what changed)"
else
  say "building the runner and the demo: the first build takes a few minutes"
fi
# Only the runner and the demo are built; the build tree's other settings
# (the tests in it, say) are left as scripts/test.sh set them.
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target bwrun demo_package
package="$build/examples/demo/demo.win"
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
  package="$1"
  shift
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  frames=300
  say "no display found (DISPLAY and WAYLAND_DISPLAY are unset):" \
      "running $package offscreen for $frames frames (a few seconds), with no window to see."
  export SDL_VIDEODRIVER=offscreen
  export BW_TEST_FRAMES="$frames"
fi
say "playing $package"
exec "$build/src/bwrun" -game "$package" "$@"
