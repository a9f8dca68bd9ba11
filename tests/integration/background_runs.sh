# shellcheck shell=sh
# What the cases that start runners (and servers) in the background share;
# sourced by the case script before anything else:
#   . "$(dirname "$0")/background_runs.sh"
# With own_loopback=1 set before, the case first starts itself again in a
# network namespace of its own, its loopback up, where the system allows
# one, so fixed ports cannot meet another run's. Then it makes the scratch
# folder, the runners' save area; on any exit it kills every process whose
# id the case added to $pids and removes the folder.
if [ "${own_loopback:-}" = 1 ] && [ -z "${BACKGROUND_RUNS_NAMESPACE:-}" ] && unshare -rn ip link set lo up 2>/dev/null; then
  BACKGROUND_RUNS_NAMESPACE=1 exec unshare -rn sh -c 'ip link set lo up && exec sh "$0" "$@"' "$0" "$@"
fi
scratch="$(mktemp -d)"
pids=""
trap 'for pid in $pids; do kill -KILL "$pid" 2>/dev/null; done; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM
export XDG_DATA_HOME="$scratch" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null
