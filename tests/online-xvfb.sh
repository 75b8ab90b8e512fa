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
# - A second session plays two matches, the guest with an input delay: the host pauses the first
#   and the guest leaves it with Escape. Then the guest falls silent and the host says
#   "connection lost".
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
. "$(dirname "$0")/end-processes.sh"
cleanup() {
  end_processes
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
await_window() { await_window_on "$@"; }
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

# await_same WINDOW_A WINDOW_B: waits up to 5 seconds for the two machines to show the same picture.
await_same() {
  for _ in $(seq 100); do
    [ "$(picture "$A" "$1")" = "$(picture "$B" "$2")" ] && return 0
    sleep 0.05
  done
  return 1
}

# await_still DISPLAY WINDOW: waits up to 6 seconds for the window's picture to stay the same for
# half a second; prints that picture.
await_still() {
  local then now
  then=$(picture "$1" "$2")
  for _ in $(seq 12); do
    sleep 0.5
    now=$(picture "$1" "$2")
    [ "$now" = "$then" ] && { echo "$now"; return 0; }
    then=$now
  done
  return 1
}

# play_select ENTER-DISPLAY WHICH: on the select screen both machines show, the host's person and
# then the guest's take a character, Enter is pressed on one machine, and both show the match. Sets
# select_a, select_b, match_a and match_b.
play_select() {
  local enter=$1 which=$2
  select_a=$(await_window "$A" Zorbump 480x360) || fail "the host did not reach $which"
  select_b=$(await_window "$B" Zorbump 480x360) || fail "the guest did not reach $which"
  await_focus "$A" "$select_a" && await_focus "$B" "$select_b" || fail "a select screen did not take the keyboard ($which)"
  take_character "$A" "$select_a" || fail "the host's person could not take a character ($which)"
  await_same "$select_a" "$select_b" || fail "the guest's select screen does not show the host's choice ($which)"
  take_character "$B" "$select_b" || fail "the guest's person could not take a character ($which)"
  await_same "$select_a" "$select_b" || fail "the two select screens differ ($which)"
  on "$enter" xdotool key Return
  match_a=$(await_window "$A" ZorbumpX 480x360) || fail "Enter did not start the host's match ($which)"
  match_b=$(await_window "$B" ZorbumpX 480x360) || fail "Enter did not start the guest's match ($which)"
}

# A host that nobody joins waits; Escape gives up and shows the title.
start_game lonely "$A" --host "$port"
host=$started
waiting=$(await_window "$A" Zorbump 480x40) || fail "no waiting window 480x40 for the host"
sleep 1
await_window "$A" Zorbump 480x40 >/dev/null || fail "the waiting window did not stay while nobody joined"
await_focus "$A" "$waiting" || fail "the waiting window did not take the keyboard"
on "$A" xdotool key Escape
title=$(await_window "$A" Zorbump 256x239) || fail "Escape in the waiting window did not bring the title"
await_focus "$A" "$title" || fail "the title did not take the keyboard"
choose_exit "$A"
await_exit "$host" || fail "the host that gave up did not end with status 0 at EXIT"
echo "ok: a host with no guest waits until Escape, then shows the title"

# Joining where nobody listens says so within 5 seconds.
start=$(date +%s%N)
start_game nobody "$B" --join "127.0.0.1:$port"
guest=$started
await_log nobody "nobody answered at 127.0.0.1:$port" 6 || fail "joining an empty port did not say that nobody answered"
elapsed=$((($(date +%s%N) - start) / 1000000))
[ "$elapsed" -le 5500 ] || fail "joining an empty port took $elapsed ms to fail"
await_window "$B" Zorbump 480x40 >/dev/null || fail "the notice of an empty port was not shown"
on "$B" xdotool key Return
await_window "$B" Zorbump 256x239 >/dev/null || fail "no title after the notice of an empty port"
kill "$guest"
echo "ok: joining where nobody listens fails within 5 s ($elapsed ms) with a clear line"

# Another build is refused on both sides, whoever hosts.
start_game otherhost "$A" --host "$port"
host=$started
await_window "$A" Zorbump 480x40 >/dev/null || fail "no waiting window for the host"
answer=$("$fakepeer" join 127.0.0.1 "$port")
[ "$answer" = "refused: other build" ] || fail "a guest of another build was not refused: $answer"
await_log otherhost "another build" 5 || fail "the host did not say that the guest runs another build"
kill "$host"
"$fakepeer" host "$port" >"$work/fakehost.out" &
fake=$!
pids+=("$fake")
sleep 0.3
start_game otherguest "$B" --join "127.0.0.1:$port"
guest=$started
await_log otherguest "another build" 6 || fail "the guest did not say that the host runs another build"
wait "$fake"
[ "$(cat "$work/fakehost.out")" = "refused: other build" ] || fail "the guest did not refuse a host of another build"
kill "$guest"
echo "ok: a machine of another build is refused on both sides with one sentence"

# The session.
start_game host "$A" --host "$port"
host=$started
await_window "$A" Zorbump 480x40 >/dev/null || fail "no waiting window for the host"
start_game guest "$B" --join "localhost:$port"
guest=$started
play_select "$B" "the first select screen"
echo "ok: both reach the shared select screen, and Enter on one starts the match on both"

answer=$("$fakepeer" third 127.0.0.1 "$port")
[ "$answer" = "refused: full" ] || fail "a third machine was not refused: $answer"
first=$(picture "$A" "$match_a")
on "$A" xdotool keydown j
on "$B" xdotool keydown g
sleep 1
on "$A" xdotool keyup j
on "$B" xdotool keyup g
[ "$(picture "$A" "$match_a")" != "$first" ] || fail "the host's match did not move"
echo "ok: a third machine is refused while the match goes on"

await_focus "$B" "$match_b" || fail "the guest's match window did not take the keyboard"
on "$B" xdotool key space
paused_b=$(await_still "$B" "$match_b") || fail "Space on the guest did not pause the guest"
paused_a=$(await_still "$A" "$match_a") || fail "Space on the guest did not pause the host"
[ "$paused_a" = "$paused_b" ] || fail "the two machines paused on different pictures"
await_focus "$A" "$match_a" || fail "the host's match window did not take the keyboard"
on "$A" xdotool key space
sleep 1
[ "$(picture "$B" "$match_b")" != "$paused_b" ] || fail "Space on the host did not resume the guest"
echo "ok: Space on one machine pauses both on the same picture; Space on the other resumes both"

on "$A" xdotool key Escape
await_window "$A" Zorbump 480x360 >/dev/null || fail "Escape on the host did not bring back its select screen"
await_window "$B" Zorbump 480x360 >/dev/null || fail "Escape on the host did not bring back the guest's select screen"
echo "ok: Escape on one machine brings both back to the select screen"

kill -TERM "$host"
await_exit "$host" || fail "the host did not end with status 0 when told to quit"
await_log guest "the other player left" 6 || fail "the guest did not say that the other player left"
await_window "$B" Zorbump 256x239 >/dev/null || fail "the guest did not return to its title"
kill "$guest"
echo "ok: the other machine quitting is said, and the title follows"

# A second session: a second match after Escape, then a guest that falls silent.
port=$((port + 1))
start_game host2 "$A" --host "$port"
host=$started
await_window "$A" Zorbump 480x40 >/dev/null || fail "no waiting window for the second host"
start_game guest2 "$B" --join "127.0.0.1:$port" --delay 2
guest=$started
for round in 1 2; do
  play_select "$A" "select screen $round of the second session"
  sleep 1
  [ "$round" = 2 ] && break
  # The host pauses, and the guest leaves the paused match: both are back on the select screen.
  await_focus "$A" "$match_a" && await_focus "$B" "$match_b" || fail "a match window did not take the keyboard"
  on "$A" xdotool key space
  await_still "$B" "$match_b" >/dev/null || fail "Space on the host did not pause the guest"
  on "$B" xdotool key Escape
done
echo "ok: Escape on one machine while the other holds a pause, and a second match of the same session, with an input delay on the guest"
first=$(picture "$A" "$match_a")
kill -STOP "$guest"
await_log host2 "connection lost" 7 || fail "the host did not say that the connection was lost"
await_window "$A" Zorbump 480x40 >/dev/null || fail "the host showed no notice of the lost connection"
await_window "$A" Zorbump 256x239 >/dev/null || fail "the host did not return to its title after the notice"
kill -CONT "$guest"
kill "$guest" "$host"
echo "ok: a guest that falls silent is reported as a lost connection"

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
# The scripted guest takes its character first, by itself; then the host's person takes one.
before=$(picture "$A" "$select_a")
for _ in $(seq 100); do
  [ "$(picture "$A" "$select_a")" != "$before" ] && break
  sleep 0.05
done
[ "$(picture "$A" "$select_a")" != "$before" ] || fail "the scripted guest's character was not shown taken"
take_character "$A" "$select_a" || fail "the host's person could not take a character beside the scripted guest"
await_window "$A" ZorbumpX 480x360 >/dev/null || fail "the scripted guest's Enter did not start the match"
await_log host3 "differ at tick 30" 6 || fail "the host did not name the tick at which the games differ"
await_log differ "back to the select screen" 8 || fail "the host did not go on to the select screen: $(cat "$work/differ.log")"
await_window "$A" Zorbump 480x360 >/dev/null || fail "the host did not show the select screen after the difference"
wait "$fake" || fail "the scripted guest failed: $(cat "$work/differ.log")"
await_log host3 "the other player left" 5 || fail "the host did not say that the scripted guest left"
echo "PASS: online play between two real games"
