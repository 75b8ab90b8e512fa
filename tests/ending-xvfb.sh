#!/usr/bin/env bash
# How the real game ends when the world around it does, on virtual X servers of its own:
# - The X server goes away under the game in the title, the select screen, a match and an online
#   notice: the game ends within a second with status 1 and says once that the display was lost.
# - SIGTERM and SIGINT in the same screens end the game within a second.
# - SIGTERM to a guest in an online session: it ends within a second and its host hears it leave.
# Usage: tests/ending-xvfb.sh GAME
set -u
[ "$#" -eq 1 ] || { echo "usage: ending-xvfb.sh GAME"; exit 2; }
game=$1
pids=()
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool xwd
fail() {
  echo "FAIL: $*"
  for log in "$work"/*/game.log "$work"/*/host.log; do
    [ -s "$log" ] && sed "s/^/  $(basename "$(dirname "$log")"): /" "$log" | tail -n 10
  done
  exit 1
}

port=$((20000 + $$ % 20000))
# A port where nobody listens, for the online notice.
silent_port=$((port + 1))

picture() { xwd -silent -id "$1" 2>/dev/null | md5sum; }
await_window() { await_window_on "$DISPLAY" "$@"; }
await_focus() {
  for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}
await_log() { # await_log FILE TEXT SECONDS
  for _ in $(seq $(($3 * 20))); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
take_character() {
  local window=$1 free
  free=$(picture "$window")
  for _ in $(seq 10); do
    xdotool keydown z
    sleep 0.06
    xdotool keyup z
    sleep 0.4
    [ "$(picture "$window")" != "$free" ] && return 0
  done
  return 1
}

# start SCREEN: a virtual screen and the game on it, brought to SCREEN (title, select, match or
# notice). Sets game_pid and log.
start() {
  local screen=$1 dir="$work/$2" window
  mkdir -p "$dir"
  start_virtual_screen "$dir" 640x480 || fail "no virtual screen"
  pids+=("$xvfb_pid")
  log="$dir/game.log"
  if [ "$screen" = notice ]; then
    "$game" --scale 1 --join "127.0.0.1:$silent_port" >"$log" 2>&1 &
    game_pid=$!
    pids+=("$game_pid")
    await_log "$log" "nobody answered" 10 || fail "$2: no notice that nobody answered"
    await_window Zorbump 480x40 >/dev/null 2>&1 || true
    return
  fi
  "$game" --scale 1 >"$log" 2>&1 &
  game_pid=$!
  pids+=("$game_pid")
  window=$(await_window Zorbump 256x239) || fail "$2: no title window"
  await_focus "$window" || fail "$2: the title did not take the keyboard"
  [ "$screen" = title ] && return
  xdotool key Return
  window=$(await_window Zorbump 480x360) || fail "$2: no select window"
  await_focus "$window" || fail "$2: the select window did not take the keyboard"
  [ "$screen" = select ] && return
  take_character "$window" || fail "$2: no character taken"
  xdotool key Return
  window=$(await_window ZorbumpX 480x360) || fail "$2: no match window"
  sleep 0.5
}

# await_end PID: the milliseconds until PID ends (at most 5 seconds), then its status in status.
await_end() {
  local begun=$(date +%s%N)
  for _ in $(seq 500); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.01
  done
  took=$((($(date +%s%N) - begun) / 1000000))
  kill -0 "$1" 2>/dev/null && fail "the game was still running 5 seconds later"
  wait "$1"
  status=$?
}

# The display goes away under each screen.
for screen in title select match notice; do
  start "$screen" "lost-$screen"
  kill "$xvfb_pid"
  await_end "$game_pid"
  [ "$took" -le 1000 ] || fail "lost display in the $screen: the game took $took ms to end"
  [ "$status" -eq 1 ] || fail "lost display in the $screen: status $status, not 1"
  lines=$(grep -c "the display was lost" "$log")
  [ "$lines" -eq 1 ] || fail "lost display in the $screen: said $lines times that the display was lost"
  echo "ok: display lost in the $screen: status 1 after $took ms"
done

# A signal in each screen; the virtual screen stays.
for signal in TERM INT; do
  for screen in title select match notice; do
    start "$screen" "$signal-$screen"
    kill -"$signal" "$game_pid"
    await_end "$game_pid"
    [ "$took" -le 1000 ] || fail "SIG$signal in the $screen: the game took $took ms to end"
    [ "$status" -le 1 ] || fail "SIG$signal in the $screen: status $status"
    kill "$xvfb_pid"
    echo "ok: SIG$signal in the $screen: ended after $took ms"
  done
done

# SIGTERM to a guest waiting on the shared select screen: its host hears it leave.
mkdir -p "$work/session"
start_virtual_screen "$work/session" 640x480 || fail "no virtual screen"
pids+=("$xvfb_pid")
"$game" --scale 1 --host "$port" >"$work/session/host.log" 2>&1 &
host_pid=$!
pids+=("$host_pid")
await_window Zorbump 480x40 >/dev/null 2>&1 || sleep 1
"$game" --scale 1 --join "127.0.0.1:$port" >"$work/session/game.log" 2>&1 &
guest_pid=$!
pids+=("$guest_pid")
# Both games show their select screens (480 x 360) once the handshake is over; before that, each
# shows a one-line waiting window of the same caption.
select_screens() {
  local n=0 w
  for w in $(xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: 480x360" && n=$((n + 1))
  done
  echo "$n"
}
for _ in $(seq 300); do
  [ "$(select_screens)" -ge 2 ] && break
  sleep 0.05
done
[ "$(select_screens)" -ge 2 ] || fail "the two games did not reach the select screen"
kill -TERM "$guest_pid"
await_end "$guest_pid"
[ "$took" -le 1000 ] || fail "SIGTERM online: the guest took $took ms to end"
await_log "$work/session/host.log" "the other player left" 3 || { cat "$work/session/host.log" "$work/session/game.log" >&2; fail "the host did not hear the guest leave"; }
kill -TERM "$host_pid"
await_end "$host_pid"
[ "$took" -le 1000 ] || fail "SIGTERM on the host's notice: it took $took ms to end"
echo "ok: SIGTERM online: the guest ended, its host said the other player left"
echo "PASS: display lost and SIGTERM/SIGINT in the title, the select screen, a match, a notice and a session"
