#!/bin/sh
# A game fetches from its own web server addresses that hold spaces and
# letters past ASCII (in the path and in the query), posts to one, loads a
# sprite from one, and fetches one already escaped: the server must hear
# each request escaped, escapes already there kept, and the game must get
# every reply with the address as it gave it.
#   web_address_case.sh RUNNER PACKAGE SERVER IMAGE
runner="$1"; package="$2"; server="$3"; image="$4"
. "$(dirname "$0")/background_runs.sh"

fail() {
  echo "--- server"; cat "$scratch/server.out"; echo "--- game"; cat "$scratch/game.out"
  echo "web_address_case: $*" >&2
  exit 1
}
ended() { [ ! -r "/proc/$1/stat" ] || [ "$(cut -d' ' -f3 "/proc/$1/stat")" = Z ]; }
# Waits up to 30 s.
wait_for() { n=0; until eval "$1"; do n=$((n + 1)); [ "$n" -le 300 ] || fail "$2"; sleep 0.1; done; }

"$server" "$image" >"$scratch/server.out" 2>&1 &
pids="$!"
wait_for 'grep -q "^port " "$scratch/server.out"' "the server never started"
port="$(sed -n 's/^port //p' "$scratch/server.out")"
"$runner" -game "$package" -noerrors "$port" >"$scratch/game.out" 2>&1 &
game=$!
pids="$pids $game"
wait_for 'ended $game' "the game never had all its replies"
wait "$game" || fail "the game ended with $?"

heard() { grep -qxF -- "$1" "$scratch/server.out" || fail "the server did not hear: $1"; }
heard "GET /score?name=Zo%C3%AB%20Smith&city=%D0%9A%D0%B8%D1%97%D0%B2%20%CE%91%CE%B8%CE%AE%CE%BD%CE%B1%20%E6%9D%B1%E4%BA%AC&score=12 "
heard "POST /save%20game name=Zoë Smith"
heard "GET /my%20sprite.png "
heard "GET /already%20escaped/100%25 "
base="http://127.0.0.1:$port"
got() { grep -qxF -- "$1" "$scratch/game.out" || fail "the game did not get: $1"; }
got "http $base/score?name=Zoë Smith&city=Київ Αθήνα 東京&score=12 200 0 ok"
got "http $base/save game 200 0 ok"
got "image $base/my sprite.png 200 0 frames 1 width 32"
got "http $base/already%20escaped/100% 200 0 ok"
cat "$scratch/server.out" "$scratch/game.out"
