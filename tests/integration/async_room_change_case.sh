#!/bin/sh
# A game changes room from the first of three packets that came in one read
# and from the first of two web replies finished in one pass, each time
# putting a map of its own in place of async_load; the second reply's
# address holds a password. The rest must reach the game once each, in
# the new room, with its maps as it left them, and no password may be
# sent. Played on both engines.
#   async_room_change_case.sh RUNNER PACKAGE SERVER
runner="$1"; package="$2"; server="$3"
scratch="$(mktemp -d)"
export XDG_DATA_HOME="$scratch" SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null BW_TEST_FRAMES=300
"$server" >"$scratch/server.out" 2>&1 &
server_pid=$!
trap 'kill -KILL "$server_pid"; rm -rf "$scratch"' EXIT
trap 'exit 1' HUP INT TERM

fail() { echo "--- game"; cat "$scratch/game.out"; echo "async_room_change_case: $*" >&2; exit 1; }

n=0
until grep -q "^port " "$scratch/server.out"; do
  n=$((n + 1)); [ "$n" -le 300 ] || fail "the server never started"; sleep 0.1
done
port="$(sed -n 's/^port //p' "$scratch/server.out")"
for engine in "" -oldexec; do
  "$runner" -game "$package" -noerrors $engine "$port" >"$scratch/game.out" 2>&1 || fail "the game ended with $?"
  said="$(grep -E '^(packet|reply) ' "$scratch/game.out")"
  [ "$said" = "packet 1 in r0
packet 2 in r1, own map kept
packet 3 in r1, own map kept
reply 1 plain in r1, own map kept
reply 2 plain in r2, own map kept" ] || fail "not every packet and reply came once, in the new room, with the game's map kept (engine ${engine:-machine})"
done
