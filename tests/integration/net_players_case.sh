#!/bin/sh
# Two players of one networked game, two runners talking over 127.0.0.1 as
# two people on one machine would, in a network namespace of the case's own
# when the system allows one (else on the machine's loopback, at a port no
# other case uses). The test stops a player with SIGSTOP where a player
# would be busy or slow, and lets it go on with SIGCONT. Every wait is
# bounded.
#   net_players_case.sh RUNNER PACKAGE CASE PORT
# CASE:
#   udp_port_served_once  a second UDP server on a port, in the same game or
#                         another, is refused; the first keeps hearing it
#   full_server_refuses   a join the full server closes at once fails
#   busy_host             a join to a host stopped past the greeting wait
#                         fails, and the host sees the connection gone
#   slow_joiner, slow_host  a player that stops reading neither cuts nor
#                         stalls the other's packets: the flood sender is
#                         the host, or the joiner
#   big_packet            a packet over 4 MiB is refused whole; one of
#                         4 MiB arrives whole
runner="$1"; package="$2"; case="$3"; port="$4"
own_loopback=1
. "$(dirname "$0")/background_runs.sh"
mkdir -p "$scratch/net_players"

fail() {
  for out in "$scratch"/*.out; do echo "--- $(basename "$out")"; cat "$out"; done
  echo "net_players_case $case: $*" >&2
  exit 1
}
# Starts a player in the background; its output goes to NAME.out. Each
# player has a session of its own: a stopped player left in the caller's
# process group would get SIGHUP and SIGCONT from the system should that
# group be orphaned (ctest started from a shell that has exited).
start() {
  setsid "$runner" -game "$package" -noerrors "$2" "$port" >"$scratch/$1.out" 2>&1 &
  eval "$1=\$!"
  pids="$pids $!"
}
# Waits up to 30 s for a line of the player's output.
wait_line() {
  n=0
  until grep -q -- "$2" "$scratch/$1.out"; do
    n=$((n + 1)); [ "$n" -le 300 ] || fail "$1 never said \"$2\""; sleep 0.1
  done
}
# Waits up to 30 s for the player to end; it must end with 0.
wait_end() {
  eval "pid=\$$1"
  n=0
  while [ -r "/proc/$pid/stat" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat")" != Z ]; do
    n=$((n + 1)); [ "$n" -le 300 ] || fail "$1 did not end"; sleep 0.1
  done
  wait "$pid" || fail "$1 ended with $?"
}
has() { grep -q -- "$2" "$scratch/$1.out"; }
lacks() { ! grep -q -- "$2" "$scratch/$1.out"; }

case "$case" in
udp_port_served_once)
  start first udp_twice
  wait_line first "udp servers"
  start other udp_other
  wait_end other
  wait_end first
  has first "udp servers 1 -1" || fail "the same game opened the port twice"
  has first "Error: Can't bind port" || fail "the refused bind was not said"
  has other "udp server -1" || fail "another game opened the port again"
  has other "Error: Can't bind port" || fail "the other game's refused bind was not said"
  has other "sent 0" || fail "the other game's datagram did not go"
  has first "heard from the other game" || fail "the first server no longer hears its port"
  ;;
full_server_refuses)
  start host full_host
  wait_line host "host ready 1"
  start joiner full_joiner
  wait_end joiner
  wait_end host
  has joiner "joins 0 -1 send -1" || fail "a join the full server closed was taken for working"
  [ "$(grep -c "host connect" "$scratch/host.out")" -eq 1 ] || fail "the host did not see exactly one join"
  ;;
busy_host)
  start host busy_host
  wait_line host "host ready 1"
  kill -STOP "$host"
  start joiner busy_joiner
  wait_end joiner
  kill -CONT "$host"
  wait_end host
  has joiner "joined -1" || fail "a join that never got its greeting was taken for working"
  has joiner "send -1" || fail "the failed join still sends"
  has host "host disconnect" || fail "the host never saw the connection gone"
  lacks host "host connect" || fail "the host counted a join the player gave up"
  ;;
slow_joiner|slow_host)
  if [ "$case" = slow_joiner ]; then
    sending=host; reading=joiner; host_mode=flood_host_sends; joiner_mode=flood_joiner_reads
  else
    sending=joiner; reading=host; host_mode=flood_host_reads; joiner_mode=flood_joiner_sends
  fi
  start host $host_mode
  wait_line host "host ready 1"
  start joiner $joiner_mode
  wait_line joiner "joined 0"
  wait_line host "host connect"
  eval "kill -STOP \$$reading"
  touch "$scratch/net_players/go"
  wait_line $sending "refused after"
  eval "kill -CONT \$$reading"
  wait_end $reading
  wait_end $sending
  lacks $sending "cut send" || fail "a packet went out cut"
  sent="$(sed -n 's/^sent \([0-9]*\).*/\1/p' "$scratch/$sending.out")"
  [ -n "$sent" ] && [ "$sent" -gt 0 ] || fail "nothing was sent"
  has $reading "whole $sent broken 0" || fail "the $sent packets sent did not all arrive whole and in order"
  ;;
big_packet)
  start host big_host
  wait_line host "host ready 1"
  start joiner big_joiner
  wait_end host
  wait_end joiner
  has joiner "sends -1 4194316 18" || fail "a packet over 4 MiB was not refused whole"
  has host "got 4194304 1234 5678" || fail "the 4 MiB packet did not arrive whole"
  has host "got after" || fail "the packet after the large one was lost"
  has host "whole 0 broken 0" || fail "a piece arrived as a packet of its own"
  ;;
*)
  fail "no such case"
  ;;
esac
cat "$scratch"/*.out
