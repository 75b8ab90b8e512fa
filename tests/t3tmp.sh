#!/usr/bin/env bash
# Online play of the real game: two games, each on a virtual X server of its own, over loopback.
# - A host with nobody joining waits until Escape, then shows the title; joining a port where
#   nobody listens says so within 5 seconds.
# - A machine of another build is refused on both sides, whichever of them hosts.
# - Host and guest reach the shared select screen, each takes a character, and Enter on one starts
#   the match on both. A third machine is turned away while they play. Space on one pauses both
#   at the same tick (the same picture on both), Space on the other resumes both, and Escape on
#   one brings both back to the select screen.
# - One game quits; the other says "the other player left" and shows its title.
# - A second session plays two matches, the guest with an input delay; then the guest falls silent
#   and the host says "connection lost".
# - A guest whose checksum differs: the host stops the match naming the tick, and goes back to the
#   select screen.
# Usage: tests/online-xvfb.sh GAME FAKEPEER
set -u
[ "$#" -eq 2 ] || { echo "usage: online-xvfb.sh GAME FAKEPEER"; exit 2; }
game=$1
fakepeer=$2
for tool in Xvfb xdotool xwd; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps test installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
mkdir "$work/a" "$work/b"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do
    [ -s "$log" ] && sed "s/^/  $(basename "$log" .log): /" "$log" | tail -n 10
  done
  exit 1
}

. "$(dirname "$0")/virtual-screen.sh"
start_virtual_screen "$work/a" 640x480 || fail "no virtual screen"
A=$DISPLAY
pids+=("$xvfb_pid")
start_virtual_screen "$work/b" 640x480 || fail "no second virtual screen"
B=$DISPLAY
pids+=("$xvfb_pid")
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# A port of this run's own, so that runs side by side do not meet.
port=$((20000 + $$ % 20000))

# on DISPLAY COMMAND...: runs an X client on one of the two screens.
on() {
  local display=$1
  shift
  DISPLAY=$display "$@"
}
# await_window DISPLAY CAPTION SIZE: waits up to 15 seconds for a visible window; prints its id.
await_window() {
  local display=$1 caption=$2 size=$3 id geometry
  for _ in $(seq 300); do
    for id in $(on "$display" xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null); do
      geometry=$(on "$display" xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')
      if [ "$geometry" = "$size" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.05
  done
  return 1
}
# await_focus DISPLAY WINDOW: the game gives each window it shows the keyboard.
await_focus() {
  for _ in $(seq 100); do
    [ "$(on "$1" xdotool getwindowfocus 2>/dev/null)" = "$2" ] && return 0
    sleep 0.05
  done
  return 1
}
picture() { on "$1" xwd -silent -id "$2" 2>/dev/null | tail -c +200 | md5sum; }
start_game() { # start_game NAME DISPLAY ARGUMENT...: sets started to the game's pid
  local name=$1 display=$2
  shift 2
  DISPLAY=$display "$game" --scale 1 "$@" >"$work/$name.log" 2>&1 &
  started=$!
  pids+=("$started")
}
await_log() { # await_log NAME TEXT SECONDS
  for _ in $(seq $(($3 * 20))); do
    grep -q "$2" "$work/$1.log" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
await_exit() { # await_exit PID: waits up to 10 seconds, then gives the exit status
  for _ in $(seq 200); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$1" 2>/dev/null && return 99
  wait "$1"
}
# The title's EXIT: two steps up from the first item, and Enter.
choose_exit() {
  on "$1" xdotool key y
  sleep 0.2
  on "$1" xdotool key Return
}
# take_character DISPLAY WINDOW: a press of Z as long as one tick of the select screen, until the
# screen shows the character taken (a press seen by two ticks takes it and lets it go again).
take_character() {
  local display=$1 window=$2 free
  free=$(picture "$display" "$window")
  for _ in $(seq 10); do
    on "$display" xdotool keydown z
    sleep 0.06
    on "$display" xdotool keyup z
    sleep 0.6
    [ "$(picture "$display" "$window")" != "$free" ] && return 0
  done
  return 1
}

port=$((port+7))
# A guest whose game differs from the host's at tick 30.
port=$((port + 1))
start_game host3 "$A" --host "$port"
host=$started
await_window "$A" Zorbump 480x40 >/dev/null || fail "no waiting window for the third host"
"$fakepeer" differ 127.0.0.1 "$port" >"$work/differ.log" &
fake=$!
pids+=("$fake")
select_a=$(await_window "$A" Zorbump 480x360) || fail "the host did not reach the select screen with the scripted guest"
await_focus "$A" "$select_a" || fail "the select screen did not take the keyboard"
take_character "$A" "$select_a" || fail "the host's person could not take a character beside the scripted guest"
await_window "$A" ZorbumpX 480x360 >/dev/null || fail "the scripted guest's Enter did not start the match"
await_log host3 "differ at tick 30" 6 || fail "the host did not name the tick at which the games differ"
await_log differ "back to the select screen" 8 || fail "the host did not go on to the select screen: $(cat "$work/differ.log")"
await_window "$A" Zorbump 480x360 >/dev/null || fail "the host did not show the select screen after the difference"
wait "$fake" || fail "the scripted guest failed: $(cat "$work/differ.log")"
await_log host3 "the other player left" 5 || fail "the host did not say that the scripted guest left"
echo "PASS: online play between two real games"
