#!/usr/bin/env bash
# Smoke test of the real game under a virtual X server: it starts, shows its title window of
# 256 x 239 captioned "Zorbump", takes Y (up to EXIT) and Enter, and ends with status 0. Then, on a
# Wayland desktop without X whose compositor cannot be reached, it says so and ends with status 1.
# Usage: tests/smoke-xvfb.sh path/to/zorbump
set -u
game=${1:?usage: smoke-xvfb.sh path/to/zorbump}
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool
fail() { echo "FAIL: $*"; exit 1; }
start_virtual_screen "$work" 640x480 || fail "no virtual screen"

"$game" >"$work/game.log" 2>&1 &
game_pid=$!

window=""
for _ in $(seq 200); do
  window=$(xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null | head -n1)
  [ -n "$window" ] && break
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended before showing its title: $(cat "$work/game.log")"
  sleep 0.05
done
[ -n "$window" ] || fail "no window captioned Zorbump within 10 seconds"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "256x239" ] || fail "the title window is $geometry, not 256x239"

xdotool key y
sleep 0.2
xdotool key Return

for _ in $(seq 100); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.05
done
if kill -0 "$game_pid" 2>/dev/null; then
  fail "the game did not end within 5 seconds of choosing EXIT"
fi
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(cat "$work/game.log")"
# Without a sound card (as on most test machines) the game says so in one line, and nothing else.
lines=$(wc -l <"$work/game.log")
[ "$lines" -le 1 ] || fail "the game printed $lines lines: $(cat "$work/game.log")"

# Only a Wayland name, and nobody behind it: one line saying so, status 1 (it used to crash).
env -u DISPLAY -u SDL_VIDEODRIVER WAYLAND_DISPLAY="zorbump-nobody-$$" XDG_RUNTIME_DIR="$work" \
  timeout 10 "$game" >"$work/wayland.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "with an unreachable Wayland display the game ended with status $status: $(cat "$work/wayland.log")"
grep -q "cannot open a display" "$work/wayland.log" || fail "no word of the missing display: $(cat "$work/wayland.log")"
echo "PASS: title window 256x239 \"Zorbump\", EXIT by Y and Enter, status 0; no Wayland display, status 1"
