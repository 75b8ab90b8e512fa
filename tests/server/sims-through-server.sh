#!/usr/bin/env bash
# Two headless zorbump-sim players meet through a real zorbump-server on loopback: by a room's code
# (typed wrong first, then right) and by quick match. Both play one match with identical traces,
# equal to the offline replay of the replay --record wrote. Then a server stopped mid-match: both say
# so and end within 2 s, and the server is gone.
# Usage: tests/server/sims-through-server.sh path/to/zorbump-server path/to/zorbump-sim
set -u
server=$(realpath "${1:?usage: sims-through-server.sh zorbump-server zorbump-sim}")
sim=$(realpath "${2:?usage: sims-through-server.sh zorbump-server zorbump-sim}")
. "$(dirname "$0")/../net/players.sh"
begin_players_test

random_keys 700 a:21 b:22

port=$(free_port)
"$server" --port "$port" 2>"$work/server.err" &
server_pid=$!
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
grep -q listening "$work/server.err" || fail "the server did not start"

code_of() { # waits for 'room CODE' in a file
  for _ in $(seq 100); do
    grep -q '^room [A-Z]\{4\}$' "$1" && { awk '/^room /{print $2; exit}' "$1"; return; }
    sleep 0.05
  done
}

# 1. A room: the host opens it, the friend types a wrong code, then the right one.
"$sim" --server "127.0.0.1:$port" --new-room --lineup 0/0,1/0,0/1,1/1 --people 0,2 --keys "$work/a-keys.txt" \
  --ticks 450 --trace --record "$work/room.zbr" >"$work/room-host.txt" 2>"$work/room-host.err" &
host=$!
code=$(code_of "$work/room-host.err")
[ -n "$code" ] || fail "no room code on the host's standard error"
wrong=ZZZZ; [ "$code" = ZZZZ ] && wrong=YYYY
"$sim" --server "127.0.0.1:$port" --room "$wrong" --keys "$work/b-keys.txt" --ticks 450 >/dev/null 2>"$work/wrong.err"
[ $? -eq 1 ] && grep -q "no room has that code" "$work/wrong.err" || fail "a wrong code was not refused in words"
"$sim" --server "127.0.0.1:$port" --room "$(echo "$code" | tr A-Z a-z)" --keys "$work/b-keys.txt" --ticks 450 --trace \
  >"$work/room-guest.txt" 2>"$work/room-guest.err" || fail "the friend's match failed"
wait "$host" || fail "the host's match failed"
[ "$(wc -l <"$work/room-host.txt")" -eq 451 ] || fail "the host's trace is not 451 lines"
cmp -s "$work/room-host.txt" "$work/room-guest.txt" || fail "the room's two traces differ"
"$sim" --replay "$work/room.zbr" --trace >"$work/room-offline.txt" 2>/dev/null
cmp -s "$work/room-host.txt" "$work/room-offline.txt" || fail "the room's match differs from its offline replay"
echo "ok: a room by its code, typed wrong then right: identical traces, equal to the offline replay"

# 2. A quick match: the first to ask hosts with the default people.
"$sim" --server "127.0.0.1:$port" --quick --keys "$work/a-keys.txt" --ticks 300 --trace --record "$work/quick.zbr" \
  >"$work/quick-a.txt" 2>"$work/quick-a.err" &
first=$!
sleep 0.3
"$sim" --server "127.0.0.1:$port" --quick --keys "$work/b-keys.txt" --ticks 300 --trace \
  >"$work/quick-b.txt" 2>"$work/quick-b.err" || fail "the second quick-match player failed"
wait "$first" || fail "the first quick-match player failed"
cmp -s "$work/quick-a.txt" "$work/quick-b.txt" || fail "the quick match's traces differ"
"$sim" --replay "$work/quick.zbr" --trace >"$work/quick-offline.txt" 2>/dev/null
cmp -s "$work/quick-a.txt" "$work/quick-offline.txt" || fail "the quick match differs from its offline replay"
echo "ok: a quick match: identical traces, equal to the offline replay"

# 3. The server stops mid-match: both players say so and end; the server is gone within 2 s.
"$sim" --server "127.0.0.1:$port" --quick >/dev/null 2>"$work/stop-a.err" &
a=$!
sleep 0.3
"$sim" --server "127.0.0.1:$port" --quick >/dev/null 2>"$work/stop-b.err" &
b=$!
sleep 2
kill -TERM "$server_pid"
start=$(date +%s%N)
wait "$server_pid"
took=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$took" -lt 2000 ] || fail "the server took $took ms to stop"
wait "$a"; ra=$?
wait "$b"; rb=$?
[ $ra -eq 1 ] && [ $rb -eq 1 ] || fail "the players did not end with status 1 ($ra, $rb)"
grep -q "the server is going away" "$work/stop-a.err" && grep -q "the server is going away" "$work/stop-b.err" ||
  fail "a player did not say the server is going away"
grep -q "zorbump-server: stopped" "$work/server.err" || fail "the server did not say it stopped"
echo "ok: the server stopped mid-match in $took ms; both players said so"
