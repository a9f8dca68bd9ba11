#!/usr/bin/env bash
# Installs what is needed, builds the runner and plays a game: usage() below
# says how it is called.
set -euo pipefail
usage() {
  cat <<'TEXT'
Usage: scripts/run.sh [PACKAGE] [runner switches...]
Installs the Debian packages the runner needs (missing ones only), builds the
runner and the demo (only what changed), then plays PACKAGE, or the bundled
demo game, Gem Cavern, when no package is named.
When the first argument is a switch (it starts with "-"), the demo is played
with every argument as a switch:  scripts/run.sh -debug
Without a display (no DISPLAY or WAYLAND_DISPLAY) the game runs offscreen for
a few seconds instead, to show that it starts and plays.
  --help, -h   show this text; nothing is installed, built or played
The runner's own switches: build/src/bwrun --help, or README.md.
TEXT
}
if [ $# -gt 0 ] && { [ "$1" = "--help" ] || [ "$1" = "-h" ]; }; then
  usage
  exit 0
fi
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
