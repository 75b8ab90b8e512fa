#!/usr/bin/env bash
# Two real games meet from their windows through a real zorbump-server on loopback, each on a
# virtual X server of its own:
# - with --server the title offers ONLINE; one game opens a NEW ROOM from the online window and
#   says its code, the other chooses JOIN ROOM and types the code; both reach the shared select
#   screen and play into a match;
# - one game quits: the other says "the other player left" and shows its title, where ONLINE opens
#   the online window again; a QUICK MATCH with nobody else waits, and Escape gives up to the title;
# - a game joins the room a headless zorbump-sim opened and plays the tool's line-up at once (the
#   tool has no select screen); the tool joining a game's room says why it cannot play it.
# Usage: tests/meet-xvfb.sh GAME SERVER SIM
set -u
[ "$#" -eq 3 ] || { echo "usage: meet-xvfb.sh GAME SERVER SIM"; exit 2; }
game=$1
server=$2
sim=$3
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool xwd
mkdir "$work/a" "$work/b"
A=""
B=""
fail() {
  echo "FAIL: $*"
  for display in $A $B; do
    echo "  windows on $display:" $(on "$display" xdotool search --onlyvisible --name Zorbump 2>/dev/null |
      while read -r w; do echo "$(on "$display" xdotool getwindowname "$w")/$(on "$display" xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')"; done)
  done
  for log in "$work"/*.log; do
    [ -s "$log" ] && sed "s/^/  $(basename "$log" .log): /" "$log" | tail -n 10
  done
  exit 1
}

start_virtual_screen "$work/a" 640x480 || fail "no virtual screen"
A=$DISPLAY
start_virtual_screen "$work/b" 640x480 || fail "no second virtual screen"
B=$DISPLAY
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$server" --port "$port" 2>"$work/server.log" &
for _ in $(seq 50); do grep -q listening "$work/server.log" && break; sleep 0.1; done
grep -q listening "$work/server.log" || fail "the server did not start"

on() {
  local display=$1
  shift
  DISPLAY=$display "$@"
}
key() { # key DISPLAY KEY...: one key at a time, as a player presses them
  local display=$1 each
  shift
  for each in "$@"; do
    on "$display" xdotool key "$each"
    sleep 0.1
  done
}
# await_focus DISPLAY WINDOW: the window has the keyboard, and the game has had a moment to learn
# it (a key the game's toolkit receives before then belongs to no window and goes nowhere).
await_focus() {
  for _ in $(seq 100); do
    [ "$(on "$1" xdotool getwindowfocus 2>/dev/null)" = "$2" ] && { sleep 0.3; return 0; }
    sleep 0.05
  done
  return 1
}
# await_new DISPLAY SIZE OLD: a window of the game's caption and this size other than OLD.
await_new() {
  local id
  for _ in $(seq 200); do
    for id in $(on "$1" xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null); do
      [ "$id" != "$3" ] || continue
      [ "$(on "$1" xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$2" ] &&
        { echo "$id"; return 0; }
    done
    sleep 0.05
  done
  return 1
}
picture() { on "$1" xwd -silent -id "$2" 2>/dev/null | tail -c +200 | md5sum; }
# await_count NAME TEXT N SECONDS: waits for the Nth line of the log with TEXT.
await_count() {
  for _ in $(seq $(($4 * 20))); do
    [ "$(grep -c "$2" "$work/$1.log" 2>/dev/null)" -ge "$3" ] && return 0
    sleep 0.05
  done
  return 1
}
await_log() { # await_log NAME TEXT SECONDS
  for _ in $(seq $(($3 * 20))); do
    grep -q "$2" "$work/$1.log" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
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
# online_window DISPLAY: from the title, two steps down to ONLINE and Enter; prints the online
# window's id.
online_window() {
  local title
  title=$(await_window_on "$1" Zorbump 256x239) || return 1
  await_focus "$1" "$title" || return 1
  key "$1" n n Return
  await_new "$1" 256x239 "$title"
}

DISPLAY=$A "$game" --scale 1 --server "127.0.0.1:$port" >"$work/a.log" 2>&1 &
first=$!
DISPLAY=$B "$game" --scale 1 --server "127.0.0.1:$port" >"$work/b.log" 2>&1 &
second=$!

# NEW ROOM on the first game: its code on the window and on standard error.
meet_a=$(online_window "$A") || fail "ONLINE did not open the online window on the first game"
await_focus "$A" "$meet_a" || fail "the online window did not take the keyboard"
key "$A" n Return
await_log a "room [A-Z]\{4\}" 10 || fail "NEW ROOM said no code"
code=$(sed -n 's/^Zorbump: room \([A-Z]\{4\}\).*/\1/p' "$work/a.log" | head -n1)
on "$A" xdotool search --onlyvisible --name '^Zorbump$' | while read -r w; do
  on "$A" xdotool getwindowgeometry "$w"
done | grep -q "Geometry: 480x40" || fail "no waiting window shows the room"
echo "ok: NEW ROOM opened room $code"

# JOIN ROOM on the second game: the code typed in lower case, one letter wrong and erased first.
meet_b=$(online_window "$B") || fail "ONLINE did not open the online window on the second game"
await_focus "$B" "$meet_b" || fail "the second online window did not take the keyboard"
key "$B" n n Return
entry=$(await_new "$B" 256x239 "$meet_b") || fail "JOIN ROOM did not ask for the code"
await_focus "$B" "$entry" || fail "the code window did not take the keyboard"
letters=$(echo "$code" | tr 'A-Z' 'a-z' | sed 's/./& /g')
# shellcheck disable=SC2086
key "$B" x BackSpace $letters Return

select_a=$(await_window_on "$A" Zorbump 480x360) || fail "the room's host did not reach the select screen"
select_b=$(await_window_on "$B" Zorbump 480x360) || fail "the friend did not reach the select screen"
echo "ok: JOIN ROOM with the typed code met the room's host"
await_focus "$A" "$select_a" && await_focus "$B" "$select_b" || fail "a select screen did not take the keyboard"
take_character "$A" "$select_a" || fail "the host's person could not take a character"
take_character "$B" "$select_b" || fail "the friend's person could not take a character"
key "$A" Return
await_window_on "$A" ZorbumpX 480x360 >/dev/null || fail "the host's match did not start"
await_window_on "$B" ZorbumpX 480x360 >/dev/null || fail "the friend's match did not start"
sleep 1
kill -0 "$first" && kill -0 "$second" || fail "a game ended during the match"
echo "ok: the two play a match through the server"

# The friend quits: the host is told and shows its title, where ONLINE works again.
kill "$second"
await_count a "the other player left\|connection lost" 1 8 || fail "the host was not told that the friend left"
# Escape takes the notice away, and does nothing on the title.
key "$A" Escape
meet_a=$(online_window "$A") || fail "ONLINE did not open the online window again after the session"
await_focus "$A" "$meet_a" || fail "the online window did not take the keyboard again"
key "$A" Return
waiting=$(await_window_on "$A" Zorbump 480x40) || fail "QUICK MATCH shows no waiting window"
await_focus "$A" "$waiting" || fail "the waiting window did not take the keyboard"
grep -q "waiting\|Waiting" "$work/a.log" || true
key "$A" Escape
await_window_on "$A" Zorbump 256x239 >/dev/null || fail "Escape while waiting did not bring the title"
kill -0 "$first" || fail "the game ended after giving up"
echo "ok: after the session ONLINE opens the online window again, and Escape gives a quick match up"

# A room the tool opens: the game joins it and plays the tool's line-up without a select screen.
"$sim" --server "127.0.0.1:$port" --new-room --ticks 150 --trace >"$work/tool.out" 2>"$work/tool.log" &
tool=$!
await_log tool "^room [A-Z]\{4\}$" 10 || fail "the tool opened no room"
code=$(awk '/^room /{print $2; exit}' "$work/tool.log")
meet_a=$(online_window "$A") || fail "ONLINE did not open the online window for the tool's room"
await_focus "$A" "$meet_a" || fail "the online window did not take the keyboard for the tool's room"
key "$A" n n Return
entry=$(await_new "$A" 256x239 "$meet_a") || fail "JOIN ROOM did not ask for the tool's code"
await_focus "$A" "$entry" || fail "the code window did not take the keyboard for the tool's room"
# shellcheck disable=SC2086
key "$A" $(echo "$code" | tr 'A-Z' 'a-z' | sed 's/./& /g') Return
await_window_on "$A" ZorbumpX 480x360 >/dev/null || fail "the game did not start the tool's match"
for _ in $(seq 200); do kill -0 "$tool" 2>/dev/null || break; sleep 0.05; done
wait "$tool" || fail "the tool's match with the game failed"
[ "$(wc -l <"$work/tool.out")" -ge 151 ] || fail "the tool's trace is short: $(wc -l <"$work/tool.out") lines"
await_count a "the other player left\|connection lost" 2 8 || fail "the game did not say that the tool left after its ticks"
echo "ok: a game joins a room zorbump-sim opened and plays the tool's line-up"

# A room the game opens: the tool, which has no select screen, says so and leaves.
key "$A" Escape
meet_a=$(online_window "$A") || fail "ONLINE did not open the online window for a room of the game's"
await_focus "$A" "$meet_a" || fail "the online window did not take the keyboard for a room"
before=$(grep -c "room [A-Z]" "$work/a.log")
key "$A" n Return
for _ in $(seq 200); do [ "$(grep -c "room [A-Z]" "$work/a.log")" -gt "$before" ] && break; sleep 0.05; done
code=$(sed -n 's/^Zorbump: room \([A-Z]\{4\}\).*/\1/p' "$work/a.log" | tail -n1)
"$sim" --server "127.0.0.1:$port" --room "$code" --ticks 150 >/dev/null 2>"$work/toolguest.log"
[ $? -eq 1 ] && grep -q "select screen" "$work/toolguest.log" || fail "the tool in a game's room did not say why it cannot play"
await_count a "the other player left\|connection lost" 3 8 || fail "the game was not told that the tool left its room"
kill -0 "$first" || fail "the game ended when the tool left its room"
echo "ok: zorbump-sim in a room the game opened says why it cannot play there"
