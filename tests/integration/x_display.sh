# shellcheck shell=sh
# What every case that runs the runner in a window of a virtual X display
# of its own shares; sourced by the case script before anything else:
#   . "$(dirname "$0")/x_display.sh"
# It makes the scratch folder (the runner's streams go to "$scratch/out" and
# "$scratch/err") and sets up the runner's environment; on any exit it kills
# the runner whose id is in $pid and the X server, and removes the folder.
# Failures are named after the case script ($case_name, which a case may
# extend).
case_name="$(basename "$0" .sh)"
scratch="$(mktemp -d)"
pid=""; xserver=""
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; [ -z "$xserver" ] || kill "$xserver"; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM

# What the run printed, shown before a failure's message; a case that sends
# both streams to "$scratch/out" redefines it.
show_run() { cat "$scratch/out" "$scratch/err" 2>/dev/null; }
fail() { show_run; echo "$case_name: $*" >&2; exit 1; }
# Polls every 0.1 s for what the test must see, up to TENTHS tenths.
#   wait_for CONDITION MESSAGE TENTHS
wait_for() { n=0; until eval "$1"; do n=$((n + 1)); [ "$n" -le "$3" ] || fail "$2"; sleep 0.1; done; }
# Fails unless every TOOL is on the PATH; PACKAGE names what installs it
# where that is not the tool's own name.
#   need_tools TOOL[:PACKAGE]...
need_tools() {
  for needed in "$@"; do
    tool="${needed%%:*}"; from=it
    [ "$tool" = "$needed" ] || from="${needed#*:}"
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs $from)"
  done
}

export XDG_DATA_HOME="$scratch/data" ALSOFT_DRIVERS=null
# The user's configuration folder lies as deep as one in a clone's build
# tree may, where fontconfig loses blocks of its own (tests/lsan.supp).
export XDG_CONFIG_HOME="$scratch/configuration/folder/as/deep/as/one/in/the/build/tree/of/a/clone/of/the/project/may/lie"
# A sanitizer build must not count as the runner's leak what the libraries
# it links lose on their own under X11 (tests/lsan.supp), also when the
# case runs outside CI. Named after any list the caller named, so that
# this one is used.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/.." && pwd)/lsan.supp:print_suppressions=0"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY

# Starts Xvfb with one screen of SIZE (WIDTHxHEIGHT) and exports its DISPLAY.
# No reset when a client that is the last one leaves (a tool run before the
# runner connects): that would drop what the tool set, such as a keyboard
# layout, and refuse the runner while it lasts.
#   start_display SIZE
start_display() {
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
  xserver=$!
  wait_for '[ -s "$scratch/display" ]' "Xvfb did not start" 50
  export DISPLAY=":$(cat "$scratch/display")"
}
