#!/usr/bin/env bash
# The game's watching window under a virtual X server: two headless players play a room's match
# through a real zorbump-server; the game, started late with --server and --watch, opens the viewer
# at once on the match as it stands, its picture moves on while the players play, and when they
# leave it says so in one line; Escape closes it and the game ends with status 0.
# Usage: tests/server/watch-game-xvfb.sh zorbump-server zorbump-sim zorbump
set -u
server=$(realpath "${1:?usage: watch-game-xvfb.sh zorbump-server zorbump-sim zorbump}")
sim=$(realpath "${2:?usage: watch-game-xvfb.sh zorbump-server zorbump-sim zorbump}")
game=$(realpath "${3:?usage: watch-game-xvfb.sh zorbump-server zorbump-sim zorbump}")
. "$(dirname "$0")/../virtual-screen.sh"
begin_screen_test xdotool xwd
fail() { echo "FAIL: $*"; for f in "$work"/*.err; do [ -s "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done; exit 1; }
free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
start_virtual_screen "$work" 640x480 || fail "no virtual screen"

port=$(free_port)
"$server" --port "$port" 2>"$work/server.err" &
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
grep -q listening "$work/server.err" || fail "the server did not start"
"$sim" --server "127.0.0.1:$port" --new-room --ticks 600 >/dev/null 2>"$work/host.err" &
for _ in $(seq 100); do grep -q '^room [A-Z]\{4\}$' "$work/host.err" && break; sleep 0.05; done
code=$(awk '/^room /{print $2; exit}' "$work/host.err")
[ -n "$code" ] || fail "no room code"
"$sim" --server "127.0.0.1:$port" --room "$code" --ticks 600 >/dev/null 2>"$work/guest.err" &
sleep 5

SDL_AUDIODRIVER=dummy "$game" --scale 1 --server "127.0.0.1:$port" --watch "$code" 2>"$work/game.err" &
game_pid=$!
# A busy machine, or a build with its memory checked, can take many seconds to start the game: the
# players' match (20 s) is still on when it comes.
window=$(await_window_on "$DISPLAY" ZorbumpX 480x376 30) || fail "no watching window"
sleep 1
xwd -id "$window" -silent >"$work/a.xwd" || fail "no picture of the window"
sleep 1
xwd -id "$window" -silent >"$work/b.xwd"
cmp -s "$work/a.xwd" "$work/b.xwd" && fail "the watched match does not move"
for _ in $(seq 450); do grep -q "the players left" "$work/game.err" && break; sleep 0.1; done
[ "$(grep -c "the players left" "$work/game.err")" -eq 1 ] || fail "the game did not say once that the players left"
kill -0 "$game_pid" 2>/dev/null || fail "the viewer closed by itself"
xdotool key --window "$window" Escape 2>/dev/null
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$game_pid" 2>/dev/null && fail "Escape did not close the viewer"
wait "$game_pid" || fail "the game ended with status $?"
echo "ok: the game watched a room's match late, live, and said when the players left"
