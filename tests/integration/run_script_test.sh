#!/bin/sh
# scripts/run.sh hands its arguments to the runner: a first argument that is
# a switch plays the demo with every argument as a switch; any other first
# argument names the package; --help and -h are answered by run.sh itself.
# run.sh is copied into a scratch tree whose install script, cmake and
# runner are stand-ins, so nothing is installed or built and the stand-in
# runner prints the arguments it was given.
#   run_script_test.sh PATH/TO/scripts/run.sh
set -eu
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/scripts" "$scratch/build/src" "$scratch/bin"
cp "$1" "$scratch/scripts/run.sh"
# Each stand-in notes in the log that it ran.
log="$scratch/ran.log"
printf '#!/bin/sh\necho install-deps >> "%s"\n' "$log" > "$scratch/scripts/install-deps.sh"
printf '#!/bin/sh\necho cmake >> "%s"\n' "$log" > "$scratch/bin/cmake"
printf '#!/bin/sh\necho "runner: $*"\n' > "$scratch/build/src/bwrun"
chmod +x "$scratch/scripts/run.sh" "$scratch/scripts/install-deps.sh" "$scratch/bin/cmake" "$scratch/build/src/bwrun"

expect() {
  expected="$1"; shift
  got="$(PATH="$scratch/bin:$PATH" DISPLAY=:0 "$scratch/scripts/run.sh" "$@" | grep '^runner: ')"
  if [ "$got" != "runner: $expected" ]; then
    echo "run.sh $*: got '$got', expected 'runner: $expected'" >&2
    exit 1
  fi
}
demo="$scratch/build/examples/demo/demo.win"
expect "-game $demo" 
expect "-game $demo -debug" -debug
expect "-game $demo -noaudio -output log.txt" -noaudio -output log.txt
expect "-game game.win" game.win
expect "-game game.win -debug -noerrors" game.win -debug -noerrors
echo "run.sh passes its arguments on"

# Its help is its own: on standard output, status 0, and nothing installed,
# built or played first.
for switch in --help -h; do
  rm -f "$log"
  help="$(PATH="$scratch/bin:$PATH" DISPLAY=:0 "$scratch/scripts/run.sh" "$switch" 2>&1 >/dev/null)" || {
    echo "run.sh $switch: exit status $?" >&2; exit 1; }
  if [ -n "$help" ]; then
    echo "run.sh $switch: wrote to standard error: $help" >&2
    exit 1
  fi
  help="$(PATH="$scratch/bin:$PATH" DISPLAY=:0 "$scratch/scripts/run.sh" "$switch")"
  case "$help" in
    "Usage: scripts/run.sh [PACKAGE] [runner switches...]"*) ;;
    *) echo "run.sh $switch: no usage on standard output: $help" >&2; exit 1 ;;
  esac
  if [ -e "$log" ]; then
    echo "run.sh $switch ran $(tr '\n' ' ' < "$log")before its help" >&2
    exit 1
  fi
done
echo "run.sh answers --help itself"
