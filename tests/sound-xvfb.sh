#!/usr/bin/env bash
# The real game with sound under a virtual X server: with SDL's dummy sound card (which pulls the
# mix in real time as a real one does) it goes from the title through the select screen into a
# match, toggles sound with M on the way, and leaves by Escape and EXIT with status 0 and not one
# line of output; with a sound system that does not exist it plays on and says so in one line.
# Usage: tests/sound-xvfb.sh path/to/zorbump
set -u
game=${1:?usage: sound-xvfb.sh path/to/zorbump}
game_pid=""
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool
fail() { echo "FAIL: $* (display $DISPLAY, X server $(kill -0 "$xvfb_pid" 2>/dev/null && echo alive || echo gone))"; exit 1; }
start_virtual_screen "$work" 640x480 || fail "no virtual screen"

# Waits (for up to $3 tenths of a second, default 100) for a visible window with this caption
# and size (the title and the select screen share their caption).
window_named() {
  for _ in $(seq "${3:-100}"); do
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
      size=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')
      [ "$size" = "$2" ] && return 0
    done
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Runs the given xdotool commands until a window of this caption and size shows, a few times over:
# a window that has only just appeared may not have the keyboard yet.
until_window() {
  local caption=$1 size=$2
  shift 2
  for _ in 1 2 3 4 5; do
    "$@"
    window_named "$caption" "$size" 20 && return 0
    kill -0 "$game_pid" 2>/dev/null || return 1
  done
  return 1
}
take_and_confirm() {
  xdotool keydown z
  sleep 0.25
  xdotool keyup z key Return
}

# Starts the game with SDL_AUDIODRIVER=$1, plays it through, and checks its end and its output.
play() {
  # On a machine shared with other X servers the display can refuse a first connection; the game
  # then ends at once saying so, and is started again.
  for _ in 1 2 3; do
    SDL_AUDIODRIVER=$1 "$game" >"$work/game.log" 2>&1 &
    game_pid=$!
    sleep 0.5
    kill -0 "$game_pid" 2>/dev/null && break
    grep -q 'cannot open a display' "$work/game.log" || break
    wait "$game_pid"
  done
  # Every window is centred: with the pointer in the middle, keys reach the one shown even when
  # the server gives the keyboard to the window under the pointer.
  xdotool mousemove 320 240
  window_named Zorbump 256x239 || fail "[$1] no title window: $(cat "$work/game.log")"
  xdotool key m n m y
  until_window Zorbump 480x360 xdotool key Return || fail "[$1] no select window: $(cat "$work/game.log")"
  until_window ZorbumpX 480x360 take_and_confirm || fail "[$1] no match window: $(cat "$work/game.log")"
  # A little play with sound: the person swings and charges, the computers play on.
  xdotool keydown z
  sleep 0.5
  xdotool keydown g keydown j
  sleep 1
  xdotool keyup g keyup j keyup z
  xdotool key m m
  sleep 0.5
  until_window Zorbump 256x239 xdotool key Escape || fail "[$1] Escape did not return to the title"
  xdotool key y Return
  for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$game_pid" 2>/dev/null && fail "[$1] the game did not end after EXIT"
  wait "$game_pid"
  status=$?
  game_pid=""
  [ "$status" -eq 0 ] || fail "[$1] status $status: $(cat "$work/game.log")"
}

play dummy
[ ! -s "$work/game.log" ] || fail "with a sound card the game printed: $(cat "$work/game.log")"
play no-such-sound-system
[ "$(wc -l <"$work/game.log")" -eq 1 ] || fail "without one it printed: $(cat "$work/game.log")"
grep -q '^Zorbump: playing without sound: ' "$work/game.log" || fail "unexpected: $(cat "$work/game.log")"
echo "PASS: a match with sound and without, M toggling, status 0, at most one line"
