# Sourced by the benchmarks that play a project of bench/ packed by bwpack:
# builds bwrun and bwpack into the build folder unless BWRUN and BWPACK name
# other binaries (a build of an earlier commit), and sets bwrun, bwpack and
# work (a scratch folder removed at exit) for the caller.
#   root=... build=...; . "$root/bench/packed_game.sh"
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
if [ -z "${BWRUN:-}" ] || [ -z "${BWPACK:-}" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DBW_TESTS=OFF >/dev/null
  cmake --build "$build" -j3 --target bwrun bwpack >/dev/null
fi
bwrun="${BWRUN:-$build/src/bwrun}"
bwpack="${BWPACK:-$build/tools/bwpack/bwpack}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
