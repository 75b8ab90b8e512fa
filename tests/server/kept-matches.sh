#!/usr/bin/env bash
# A server that keeps matches (--replays DIR --replays-count 2): three quick matches of two headless
# players through it; GET /replays lists the last two, most recent first, and each file GET
# /replays/ID serves plays again (zorbump-sim --replay FILE --trace) to the very trace its players
# printed; the first match is gone from the list and the folder; ids that are not ids get 404; a
# server started again on the folder lists the same matches.
# Usage: tests/server/kept-matches.sh path/to/zorbump-server path/to/zorbump-sim
set -u
server=$(realpath "${1:?usage: kept-matches.sh zorbump-server zorbump-sim}")
sim=$(realpath "${2:?usage: kept-matches.sh zorbump-server zorbump-sim}")
. "$(dirname "$0")/../net/players.sh"
begin_players_test

random_keys 400 a:31 b:32

port=$(free_port)
start_server() {
  "$server" --port "$port" --replays "$work/kept" --replays-count 2 2>"$work/server.err" &
  server_pid=$!
  for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/healthz" >/dev/null && return; sleep 0.1; done
  fail "the server did not start"
}
start_server

for match in 1 2 3; do
  "$sim" --server "127.0.0.1:$port" --quick --keys "$work/a-keys.txt" --ticks $((200 + match * 50)) --trace \
    >"$work/m$match-a.txt" 2>"$work/m$match-a.err" &
  first=$!
  sleep 0.2
  "$sim" --server "127.0.0.1:$port" --quick --keys "$work/b-keys.txt" --ticks $((200 + match * 50)) --trace \
    >"$work/m$match-b.txt" 2>"$work/m$match-b.err" || fail "match $match failed"
  wait "$first" || fail "match $match failed on the first player"
  cmp -s "$work/m$match-a.txt" "$work/m$match-b.txt" || fail "the players' traces of match $match differ"
done

list() { curl -sf "http://127.0.0.1:$port/replays"; }
for _ in $(seq 20); do [ "$(list | grep -c '"id"')" -eq 2 ] && break; sleep 0.1; done
list >"$work/list.json"
ids=$(python3 -c 'import json,sys; l=json.load(open(sys.argv[1])); print(" ".join(e["id"] for e in l)); assert all(e["score"] and len(e["lineup"])==4 for e in l)' "$work/list.json") ||
  fail "GET /replays is not the JSON list: $(cat "$work/list.json")"
set -- $ids
[ $# -eq 2 ] || fail "GET /replays lists $# matches, not the last 2: $(cat "$work/list.json")"
[ "$(ls "$work/kept" | wc -l)" -eq 2 ] || fail "the folder holds $(ls "$work/kept" | wc -l) files, not 2"
for pair in "3 $1" "2 $2"; do
  set -- $pair
  curl -sf -o "$work/$2.zbr" "http://127.0.0.1:$port/replays/$2" || fail "GET /replays/$2"
  "$sim" --replay "$work/$2.zbr" --trace >"$work/replayed-$1.txt" 2>"$work/replay.err" || fail "the kept file of match $1 does not play"
  cmp -s "$work/replayed-$1.txt" "$work/m$1-a.txt" || fail "the kept match $1 plays to another trace than its players'"
done
echo "ok: the last two of three matches are kept, and each plays again to its players' trace"

for bad in ../kept 0123456789abcdef 0123456789ABCDEF "$(ls "$work/kept" | head -1)" "%2e%2e%2fserver.err" ""; do
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/replays/$bad")
  [ "$status" = 404 ] || fail "GET /replays/$bad answered $status"
done
echo "ok: ids that are not kept ids get 404"

kill "$server_pid"; wait "$server_pid"
start_server
[ "$(list | grep -o '"id":"[0-9a-f]*"' | tr '\n' ' ')" = "$(grep -o '"id":"[0-9a-f]*"' "$work/list.json" | tr '\n' ' ')" ] ||
  fail "a server started again on the folder lists other matches: $(list)"
echo "ok: a server started again on the folder lists the same matches"
