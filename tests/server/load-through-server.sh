#!/usr/bin/env bash
# The load generator against a real server on loopback, in miniature: six matches on two threads
# for three seconds, every one met and played, its one JSON line whole.
# Usage: tests/server/load-through-server.sh path/to/zorbump-server path/to/zorbump-load
set -u
server=${1:?usage: load-through-server.sh SERVER LOAD}
load=${2:?usage: load-through-server.sh SERVER LOAD}
work=$(mktemp -d)
. "$(dirname "$0")/../end-processes.sh"
trap 'end_processes; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; sed 's/^/  /' "$work"/*.err 2>/dev/null | tail -n 20; exit 1; }
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$server" --listen 127.0.0.1 --port "$port" --per-address 100 2>"$work/server.err" &
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$port/healthz" >/dev/null && break; sleep 0.05; done
"$load" --server "127.0.0.1:$port" --matches 6 --seconds 3 --threads 2 >"$work/load.json" 2>"$work/load.err" ||
  fail "zorbump-load ended with $?: $(cat "$work/load.json")"
python3 - "$work/load.json" <<'PY' || fail "the load's line: $(cat "$work/load.json")"
import json, sys
line = json.load(open(sys.argv[1]))
assert set(line) == {"matches", "failed", "stalled", "delay_p50_ms", "delay_p99_ms", "messages_per_second"}, line
assert line["matches"] == 6 and line["failed"] == 0, line
# Two players, each an input a tick (30 a second) and a checksum a second, for about three seconds.
assert line["messages_per_second"] > 6 * 2 * 20, line
assert 0 < line["delay_p50_ms"] <= line["delay_p99_ms"], line
PY
echo "ok: $(cat "$work/load.json")"
