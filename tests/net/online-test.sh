#!/usr/bin/env bash
# Two headless peers of zorbump-sim playing one match online, over real ENet on loopback, through a
# relay of the test's own that delays, jitters, drops, duplicates, corrupts and reorders datagrams,
# and throws in malformed and stale ones. Both machines' traces must be identical to each other and
# to the offline replays of the files --record wrote on both machines. Then: a third machine is
# refused while a match goes on, and joining a port where nobody listens fails within 5 s. The
# session itself is tested at length in-process, over the loopback network (OnlineTest); this is
# the real network's share.
# Usage: tests/net/online-test.sh path/to/zorbump-sim
set -u
sim=$(realpath "${1:?usage: online-test.sh path/to/zorbump-sim}")
here=$(cd "$(dirname "$0")" && pwd)
command -v python3 >/dev/null || { echo "FAIL: python3 is not installed"; exit 1; }
pids=()
. "$here/players.sh"
begin_players_test

# Random held keys for each person: letter-set codes, a new set every few ticks.
random_keys 900 host:11 guest:12

# One match through a relay: NAME DELAY JITTER LOSS DUPLICATE TICKS [relay flags...]
play() {
  local name=$1 delay=$2 jitter=$3 loss=$4 dup=$5 ticks=$6
  shift 6
  local host_port relay_port
  host_port=$(free_port)
  relay_port=$(free_port)
  "$sim" --host "$host_port" --lineup 0/0,1/0,0/1,1/1 --people 0,1 --keys "$work/host-keys.txt" \
    --ticks "$ticks" --trace --record "$work/$name-host.zbr" >"$work/$name-host.txt" 2>"$work/$name-host.err" &
  local host_pid=$!
  pids+=($host_pid)
  python3 "$here/relay.py" "$relay_port" "$host_port" "$delay" "$jitter" "$loss" "$dup" "$@" --seconds 90 \
    >"$work/$name-relay.err" 2>&1 &
  local relay_pid=$!
  pids+=($relay_pid)
  # A busy machine can take a while to start Python: the guest knocks once the relay listens.
  for _ in $(seq 200); do
    grep -q "^relay: listening" "$work/$name-relay.err" && break
    kill -0 "$relay_pid" 2>/dev/null || fail "$name: the relay did not start"
    sleep 0.05
  done
  grep -q "^relay: listening" "$work/$name-relay.err" || fail "$name: the relay did not listen within 10 s"
  "$sim" --join "127.0.0.1:$relay_port" --keys "$work/guest-keys.txt" --ticks "$ticks" --trace \
    --record "$work/$name-guest.zbr" >"$work/$name-guest.txt" 2>"$work/$name-guest.err"
  local guest_status=$?
  # A host whose guest never came waits for another: it is not waited for.
  [ "$guest_status" -eq 0 ] || kill "$host_pid" 2>/dev/null
  wait "$host_pid"
  local host_status=$?
  local relay_state="still relaying"
  kill -0 "$relay_pid" 2>/dev/null || relay_state="gone before the end"
  kill "$relay_pid" 2>/dev/null
  [ "$host_status" -eq 0 ] && [ "$guest_status" -eq 0 ] ||
    fail "$name: the host ended with $host_status, the guest with $guest_status (the relay $relay_state)"
  [ "$(wc -l <"$work/$name-host.txt")" -eq $((ticks + 1)) ] || fail "$name: the host traced $(wc -l <"$work/$name-host.txt") lines, not $((ticks + 1))"
  cmp -s "$work/$name-host.txt" "$work/$name-guest.txt" || fail "$name: the two machines' traces differ"
  for side in host guest; do
    "$sim" --replay "$work/$name-$side.zbr" --trace >"$work/$name-$side-offline.txt" ||
      fail "$name: the offline replay of the $side's --record failed"
    cmp -s "$work/$name-host.txt" "$work/$name-$side-offline.txt" ||
      fail "$name: the offline replay of the $side's --record differs"
  done
  echo "ok: $name: identical traces on both machines and in both replays ($ticks ticks," \
    "$(wc -c <"$work/$name-host.zbr") bytes)"
}

# A fuzzed, corrupting network: 20 ms +- 19, a fifth lost, a tenth repeated, 2 % corrupted. The
# machine that finishes first says its last tick again until the other has it.
play fuzzed 20 19 0.20 0.10 450 --fuzz --corrupt 0.02
# Round trips that swing widely, with stale datagrams among them: every input message must still
# go out (ENet's throttle, left on, would drop them until the session counted as lost).
play jittery 60 55 0.02 0.02 300 --fuzz

# A third machine knocks while a match goes on: refused, and the match ends as it should.
host_port=$(free_port)
"$sim" --host "$host_port" --people 0,1 --keys "$work/host-keys.txt" --ticks 240 --trace >"$work/third-host.txt" 2>"$work/third-host.err" &
host_pid=$!
pids+=($host_pid)
sleep 0.3
"$sim" --join "127.0.0.1:$host_port" --keys "$work/guest-keys.txt" --ticks 240 --trace >"$work/third-guest.txt" 2>"$work/third-guest.err" &
guest_pid=$!
pids+=($guest_pid)
sleep 1.5
"$sim" --join "127.0.0.1:$host_port" --ticks 10 >"$work/third.txt" 2>"$work/third.err"
[ $? -ne 0 ] && grep -q "already has two players" "$work/third.err" || fail "a third machine was not refused: $(cat "$work/third.err")"
wait "$guest_pid" || fail "the guest failed after a third machine knocked"
wait "$host_pid" || fail "the host failed after a third machine knocked"
cmp -s "$work/third-host.txt" "$work/third-guest.txt" || fail "the match differed after a third machine knocked"
echo "ok: a third machine is refused with one line, and the match goes on"

# A session that ended, whoever said goodbye first: each machine's summary still counts what went
# through its connection and the round trip it last knew.
host_port=$(free_port)
"$sim" --host "$host_port" --ticks 90 >"$work/summary-host.txt" 2>"$work/summary-host.err" &
host_pid=$!
pids+=($host_pid)
sleep 0.3
"$sim" --join "127.0.0.1:$host_port" --ticks 90 >"$work/summary-guest.txt" 2>"$work/summary-guest.err" ||
  fail "the summary session's guest failed"
wait "$host_pid" || fail "the summary session's host failed"
for side in host guest; do
  grep -q "sent [1-9][0-9]* bytes, received [1-9][0-9]* bytes" "$work/summary-$side.txt" ||
    fail "the $side's summary counts nothing: $(cat "$work/summary-$side.txt")"
done
echo "ok: both summaries count the session's bytes: $(grep -o 'sent .*' "$work/summary-guest.txt")"

# Nobody listening: a clear line within 5 s.
start=$(date +%s%N)
"$sim" --join "127.0.0.1:$(free_port)" --ticks 10 >/dev/null 2>"$work/nobody.err"
status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$status" -ne 0 ] && grep -q "nobody answered" "$work/nobody.err" || fail "joining nobody: status $status, $(cat "$work/nobody.err")"
[ "$elapsed" -le 6500 ] || fail "joining nobody took $elapsed ms"
echo "ok: joining where nobody listens fails in $elapsed ms: $(cat "$work/nobody.err")"
echo "6 passed, 0 failed"
