#!/usr/bin/env bash
# A short match of the real game under a virtual X server, driven by xdotool: the title's
# "1PLAYER GAME", the select screen (the person takes a character and starts), a few seconds of
# play in the match window while its picture keeps changing, Escape back to the title, then EXIT,
# and the game ends with status 0.
# Usage: tests/match-xvfb.sh GAME [ARGUMENT...]   (GAME may be a command that starts the game)
set -u
[ "$#" -ge 1 ] || { echo "usage: match-xvfb.sh GAME [ARGUMENT...]"; exit 2; }
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool xwd
fail() { echo "FAIL: $*"; [ -s "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" | tail -n 20; exit 1; }
start_virtual_screen "$work" 640x480 || fail "no virtual screen"

"$@" >"$work/game.log" 2>&1 &
game_pid=$!

# Waits up to 15 seconds for a visible window with this caption and size; prints its id.
await_window() {
  local caption=$1 size=$2 id geometry
  for _ in $(seq 300); do
    for id in $(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null); do
      geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')
      if [ "$geometry" = "$size" ]; then
        echo "$id"
        return 0
      fi
    done
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
# Waits up to 5 seconds for the window to have the keyboard: the game gives it to each window it
# shows, and keys sent before then would go nowhere. Without a window manager Wine leaves the
# focus following the pointer, and X names no focused window: then a moment's pause must do.
await_focus() {
  local focus
  for _ in $(seq 100); do
    focus=$(xdotool getwindowfocus 2>/dev/null) || { sleep 0.3; return 0; }
    [ "$focus" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}
# Holds a key long enough for a window's timer to see it (the select screen looks every 100 ms).
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
picture() { xwd -silent -id "$1" 2>/dev/null | md5sum; }
# The select screen toggles a character at every tick the action key is down, so the key is let go
# as soon as the screen shows the character taken, and pressed again if a second tick dropped it.
take_character() {
  local window=$1 free now
  free=$(picture "$window")
  for _ in 1 2 3 4 5; do
    xdotool keydown z
    for _ in $(seq 100); do
      now=$(picture "$window")
      [ "$now" != "$free" ] && break
    done
    xdotool keyup z
    sleep 0.3
    [ "$(picture "$window")" != "$free" ] && return 0
  done
  return 1
}

title=$(await_window Zorbump 256x239) || fail "no title window 256x239 captioned Zorbump"
await_focus "$title" || fail "the title window did not take the keyboard"
xdotool key Return
select=$(await_window Zorbump 480x360) || fail "no select window 480x360 after 1PLAYER GAME"
await_focus "$select" || fail "the select window did not take the keyboard"
take_character "$select" || fail "the select screen did not show a character taken with Z"
xdotool key Return
match=$(await_window ZorbumpX 480x360) || fail "no match window 480x360 after taking a character and Enter"
await_focus "$match" || fail "the match window did not take the keyboard"

# A few seconds of play: walk to the net, jump, swing. The frames must keep changing.
first=$(picture "$match")
for key in j y z g z; do
  hold "$key" 0.5
done
kill -0 "$game_pid" 2>/dev/null || fail "the game ended during the match"
[ "$(picture "$match")" != "$first" ] || fail "the match window's picture did not change in 2.5 seconds of play"

xdotool key Escape
title=$(await_window Zorbump 256x239) || fail "Escape did not bring back the title window"
await_focus "$title" || fail "the title window did not take the keyboard"
xdotool key y
sleep 0.2
xdotool key Return
for _ in $(seq 200); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end within 10 seconds of choosing EXIT"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with status $status"
echo "PASS: title, select, a match in play, Escape to the title, EXIT with status 0"
