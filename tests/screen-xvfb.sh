#!/usr/bin/env bash
# The real game's windows on two virtual screens with a window manager, driven by xdotool: the
# scale chosen at start, the picture in whole k x k blocks, F11 and Alt+Enter to full screen and
# back (Alt+Enter never confirming the select screen), --scale, and a click on EXIT at 3x.
# Usage: tests/screen-xvfb.sh path/to/zorbump
set -u
game=${1:?usage: screen-xvfb.sh path/to/zorbump}
here=$(cd "$(dirname "$0")" && pwd)
pids=()
. "$here/virtual-screen.sh"
begin_screen_test xdotool xwd openbox python3
fail() { echo "FAIL: $*"; [ -s "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" | tail -n 20; exit 1; }

# A screen of the given size with a window manager (full screen is the manager's to grant).
start_screen() {
  start_virtual_screen "$work" "$1" || fail "no virtual screen"
  pids+=($xvfb_pid)
  openbox --sm-disable >"$work/wm.log" 2>&1 &
  pids+=($!)
  sleep 0.5
}

start_game() {
  "$game" "$@" >"$work/game.log" 2>&1 &
  game_pid=$!
  pids+=($game_pid)
}

# Waits up to 10 seconds for a visible window with this caption and size; prints its id.
await_window() {
  local caption=$1 size=$2 id
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null); do
      if [ "$(size_of "$id")" = "$size" ]; then echo "$id"; return 0; fi
    done
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
size_of() { xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/.*Geometry: //p'; }
# Waits up to 5 seconds for a window to reach a size.
await_size() {
  for _ in $(seq 100); do [ "$(size_of "$1")" = "$2" ] && return 0; sleep 0.05; done
  return 1
}
await_end() {
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$game_pid" 2>/dev/null && fail "the game did not end"
  wait "$game_pid"
  local status=$?
  [ "$status" -eq 0 ] || fail "the game ended with status $status"
}
blocks() {
  sleep 0.3
  xwd -silent -id "$1" >"$work/dump.xwd" || fail "xwd could not dump the window"
  python3 "$here/xwd-blocks.py" "$work/dump.xwd" "${@:2}" || fail "the picture is not made of whole blocks"
}

# 1920 x 1200: the match window and its frame fit 3 times; every window opens at 3x.
start_screen 1920x1200
start_game
title=$(await_window Zorbump 768x717) || fail "no 768x717 title (3x) on 1920x1200; windows: $(xdotool search --onlyvisible --name Zorbump | while read -r w; do size_of "$w"; done)"
blocks "$title" 3 0 0 256 239
# A click on EXIT at 3x: the label's middle, (130, 220) in the drawing area.
xdotool windowactivate --sync "$title" 2>/dev/null
xdotool mousemove --window "$title" 390 660 click 1
await_end
echo "ok: 1920x1200 opens at 3x in whole blocks; a click on EXIT ends the game"

# 1024 x 768: 2x. F11 fills the screen at the largest whole scale, on black; F11 again goes back.
start_screen 1024x768
start_game
title=$(await_window Zorbump 512x478) || fail "no 512x478 title (2x) on 1024x768"
blocks "$title" 2 0 0 256 239
xdotool windowactivate --sync "$title" 2>/dev/null
xdotool key F11
await_size "$title" 1024x768 || fail "F11 left the title at $(size_of "$title")"
# 4 x 256 = 1024 across but 4 x 239 > 768 down: 3x, centred.
blocks "$title" 3 128 25 256 239
xdotool key F11
await_size "$title" 512x478 || fail "F11 again left the title at $(size_of "$title")"
# The choice holds across the windows: full screen on the title, the select screen opens full too;
# Alt+Enter there toggles it back and does not start the match.
xdotool key alt+Return
await_size "$title" 1024x768 || fail "Alt+Enter left the title at $(size_of "$title")"
xdotool key Return
# The title stays a second after the choice; the select screen follows it.
# (A window of its own: the title may still be up, at the same size, while the select screen opens.)
select=""
for _ in $(seq 300); do
  for id in $(xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null); do
    [ "$id" != "$title" ] && [ "$(size_of "$id")" = 1024x768 ] && select=$id
  done
  [ -n "$select" ] && break
  sleep 0.05
done
[ -n "$select" ] || fail "the select screen did not open full screen"
xdotool key alt+Return
await_size "$select" 960x720 || fail "Alt+Enter on the select screen left it at $(size_of "$select")"
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^ZorbumpX$' 2>/dev/null)" ] || fail "Alt+Enter confirmed the line-up"
blocks "$select" 2 0 0 480 360
# Closed as a person closes it: the window manager asks the game to close it.
xdotool windowactivate --sync "$select" 2>/dev/null
xdotool key alt+F4
await_end
echo "ok: 1024x768 opens at 2x; F11 and Alt+Enter to full screen and back; Alt+Enter never confirms"

# --scale 1 on the same screen.
start_game --scale 1
title=$(await_window Zorbump 256x239) || fail "--scale 1 did not open the title at 256x239"
xdotool key --window "$title" y
sleep 0.2
xdotool key --window "$title" Return
await_end
echo "ok: --scale 1"
