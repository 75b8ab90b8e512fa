#!/usr/bin/env bash
# Watchers of a room through a real zorbump-server on loopback, as headless zorbump-sim: one who
# comes before the match, one who comes late and one who leaves in the middle. The players' and
# the watchers' traces are the same; the players never notice the one who left, and see how many
# watch. Then the players of a second room vanish mid-match: its watcher sees every tick they
# confirmed, says the players left in one line, and ends as for a lost session.
# Usage: tests/server/watchers-through-server.sh path/to/zorbump-server path/to/zorbump-sim
set -u
server=$(realpath "${1:?usage: watchers-through-server.sh zorbump-server zorbump-sim}")
sim=$(realpath "${2:?usage: watchers-through-server.sh zorbump-server zorbump-sim}")
. "$(dirname "$0")/../net/players.sh"
begin_players_test

random_keys 600 a:31 b:32

port=$(free_port)
"$server" --port "$port" 2>"$work/server.err" &
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
grep -q listening "$work/server.err" || fail "the server did not start"
at="127.0.0.1:$port"

code_of() { # waits for 'room CODE' in a file
  for _ in $(seq 100); do
    grep -q '^room [A-Z]\{4\}$' "$1" && { awk '/^room /{print $2; exit}' "$1"; return; }
    sleep 0.05
  done
}

# 1. One watcher before the match, one who leaves in the middle, one who comes late.
"$sim" --server "$at" --new-room --people 0,2 --keys "$work/a-keys.txt" --ticks 360 --trace \
  >"$work/host.txt" 2>"$work/host.err" &
host=$!
code=$(code_of "$work/host.err")
[ -n "$code" ] || fail "no room code on the host's standard error"
"$sim" --server "$at" --watch "$code" --trace >"$work/early.txt" 2>"$work/early.err" &
early=$!
"$sim" --server "$at" --watch "$code" --trace >/dev/null 2>"$work/leaver.err" &
leaver=$!
sleep 0.5
"$sim" --server "$at" --room "$code" --keys "$work/b-keys.txt" --ticks 360 --trace \
  >"$work/guest.txt" 2>"$work/guest.err" &
guest=$!
sleep 4
{ kill -KILL "$leaver"; wait "$leaver"; } 2>/dev/null
sleep 2
"$sim" --server "$at" --watch "$code" --trace >"$work/late.txt" 2>"$work/late.err" &
late=$!
wait "$guest" || fail "the guest's match failed"
wait "$host" || fail "the host's match failed"
wait "$early" || fail "the early watcher failed"
wait "$late" || fail "the late watcher failed"
[ "$(wc -l <"$work/host.txt")" -eq 361 ] || fail "the host's trace is not 361 lines"
cmp -s "$work/host.txt" "$work/guest.txt" || fail "the players' traces differ"
cmp -s "$work/host.txt" "$work/early.txt" || fail "the early watcher's trace differs from the players'"
cmp -s "$work/host.txt" "$work/late.txt" || fail "the late watcher's trace differs from the players'"
grep -q "3 watching" "$work/host.err" && grep -q "3 watching" "$work/guest.err" ||
  fail "the players were not told that three watch"
echo "ok: watchers early, late and leaving: the players' trace on every watcher, the players undisturbed"

# 2. The players vanish mid-match: the watcher ends with one line, as for a lost session.
"$sim" --server "$at" --new-room --keys "$work/a-keys.txt" --ticks 3000 >/dev/null 2>"$work/host2.err" &
host2=$!
code=$(code_of "$work/host2.err")
[ -n "$code" ] || fail "no second room code"
"$sim" --server "$at" --watch "$code" >"$work/watch2.txt" 2>"$work/watch2.err" &
watch2=$!
"$sim" --server "$at" --room "$code" --keys "$work/b-keys.txt" --ticks 3000 >/dev/null 2>"$work/guest2.err" &
guest2=$!
sleep 4
{ kill -KILL "$host2" "$guest2"; wait "$host2" "$guest2"; } 2>/dev/null
wait "$watch2"; status=$?
[ $status -eq 1 ] || fail "the watcher of a room whose players left ended with status $status"
[ "$(wc -l <"$work/watch2.err")" -eq 1 ] && grep -qx "zorbump-sim: the players left" "$work/watch2.err" ||
  fail "the watcher did not say in one line that the players left"
grep -q "after [1-9][0-9]* ticks (stopped early)" "$work/watch2.txt" || fail "the watcher saw nothing of the match"
echo "ok: the players vanished: the watcher saw what they played and said they left"
