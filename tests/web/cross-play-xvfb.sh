#!/usr/bin/env bash
# A whole match between a page in Chromium and the real desktop game, through a real zorbump-server
# on loopback that also serves the page: the game, on a virtual X server of its own with --record,
# chooses QUICK MATCH in its online window, the page follows its ?quick link; both take a character
# on the shared select screen and the game's Enter starts the match. Both sides hold random keys
# until a side reaches 15 and the game shows its select screen again. The two people play on one
# side against two computer characters: a match of a person and a computer character a side lasts
# 2,600 to 6,200 ticks of 33 ms (up to 200 s), theirs about 850 to 1,250 (30 to 40 s). The page's confirmed trace
# must then be the offline replay of the game's record (cross-play-test.cjs checks the page's side);
# the page's tab closed at last, the game says that the other player left.
# Usage: tests/web/cross-play-xvfb.sh GAME SERVER SIM BUILD-WEB
set -u
[ "$#" -eq 4 ] || { echo "usage: cross-play-xvfb.sh GAME SERVER SIM BUILD-WEB"; exit 2; }
game=$1
server=$2
sim=$3
web=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ ! -f "$web/zorbump.wasm" ]; then
  echo "SKIP: no page in $web (make web builds it)"
  exit 77
fi
. "$here/../virtual-screen.sh"
begin_screen_test xdotool xwd node chromium curl
modules="${XDG_CACHE_HOME:-$HOME/.cache}/zorbump/npm-puppeteer-core-24.9.0"
[ -f "$modules/node_modules/puppeteer-core/package.json" ] || {
  echo "FAIL: puppeteer-core is not in $modules (tests/web/run-web-tests installs it)"; exit 1; }
fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do
    [ -s "$log" ] && sed "s/^/  $(basename "$log" .log): /" "$log" | tail -n 10
  done
  exit 1
}

start_virtual_screen "$work" 640x480 || fail "no virtual screen"
# One port free for both doors of the server: UDP for the game, TCP for the page.
port=$(python3 -c '
import socket
while True:
    t = socket.socket(); t.bind(("127.0.0.1", 0)); p = t.getsockname()[1]
    u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        u.bind(("127.0.0.1", p)); print(p); break
    except OSError:
        pass')
"$server" --listen 127.0.0.1 --port "$port" --web "$web" 2>"$work/server.log" &
for _ in $(seq 100); do
  curl -sf "http://127.0.0.1:$port/healthz" >/dev/null 2>&1 && break
  sleep 0.05
done
curl -sf "http://127.0.0.1:$port/healthz" >/dev/null || fail "the server did not start"

key() { # key KEY...: one key at a time, as a player presses them
  local each
  for each in "$@"; do
    xdotool key "$each"
    sleep 0.1
  done
}
# await_focus WINDOW: the window has the keyboard, and the game has had a moment to learn it.
await_focus() {
  for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && { sleep 0.3; return 0; }
    sleep 0.05
  done
  return 1
}
picture() { xwd -silent -id "$1" 2>/dev/null | tail -c +200 | md5sum; }
take_character() {
  local window=$1 free
  free=$(picture "$window")
  for _ in $(seq 10); do
    xdotool keydown z
    sleep 0.06
    xdotool keyup z
    sleep 0.6
    [ "$(picture "$window")" != "$free" ] && return 0
  done
  return 1
}
# Whether the game shows its select screen (the match window has another caption).
select_shown() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null); do
    [ "$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')" = 480x360 ] && return 0
  done
  return 1
}

mkdir "$work/records"
"$game" --scale 1 --server "127.0.0.1:$port" --record "$work/records" >"$work/game.log" 2>&1 &
player=$!

# The game's QUICK MATCH, the online window's first item; the page asks once the game waits.
title=$(await_window_on "$DISPLAY" Zorbump 256x239) || fail "the game showed no title"
await_focus "$title" || fail "the title did not take the keyboard"
key n n Return
for _ in $(seq 100); do
  online=$(xdotool search --onlyvisible --name '^Zorbump$' 2>/dev/null | grep -vx "$title" | head -n1)
  [ -n "$online" ] && break
  sleep 0.05
done
[ -n "$online" ] || fail "ONLINE did not open the online window"
await_focus "$online" || fail "the online window did not take the keyboard"
key Return
await_window_on "$DISPLAY" Zorbump 480x40 >/dev/null || fail "QUICK MATCH showed no waiting window"
PUPPETEER_MODULES="$modules/node_modules" node "$here/cross-play-test.cjs" "http://127.0.0.1:$port/" "$work" \
  >"$work/page.log" 2>&1 &
page=$!
select=$(await_window_on "$DISPLAY" Zorbump 480x360 30) || fail "the game did not meet the page on the select screen"
await_focus "$select" || fail "the select screen did not take the keyboard"
for _ in $(seq 300); do [ -e "$work/page-took" ] && break; sleep 0.1; done
[ -e "$work/page-took" ] || fail "the page took no character: $(cat "$work/page.log")"
sleep 1 # the page's choice reaches the game's screen before the game's person chooses
take_character "$select" || fail "the game's person could not take a character"
key Return
match=$(await_window_on "$DISPLAY" ZorbumpX 480x360 10) || fail "Enter did not start the game's match"
await_focus "$match" || fail "the match window did not take the keyboard"
echo "ok: the game and the page meet by quick match and start a match"

# Random held keys of the letter set until the select screen is back: the match is over.
start=$(date +%s)
held=""
while ! select_shown; do
  kill -0 "$player" 2>/dev/null || fail "the game ended during the match"
  grep -q "the other player left\|connection lost" "$work/game.log" && fail "the session ended during the match"
  [ $(($(date +%s) - start)) -le 150 ] || fail "the match went on for more than 150 s"
  next=""
  for k in y n g j z; do [ $((RANDOM % 10)) -lt 3 ] && next="$next $k"; done
  # shellcheck disable=SC2086
  [ -n "$held" ] && xdotool keyup $held
  # shellcheck disable=SC2086
  [ -n "$next" ] && xdotool keydown $next
  held=$next
  sleep "0.$((RANDOM % 4 + 1))"
done
# shellcheck disable=SC2086
[ -n "$held" ] && xdotool keyup $held
echo "ok: the match ended after $(($(date +%s) - start)) s and the game shows its select screen again"

records=("$work"/records/*.zbr)
[ "${#records[@]}" -eq 1 ] && [ -s "${records[0]}" ] || fail "the game kept no single record: $(ls "$work/records")"
"$sim" --replay "${records[0]}" --trace >"$work/replay.partial" 2>"$work/replay.log" || fail "the game's record did not play again"
mv "$work/replay.partial" "$work/replay.trace"
touch "$work/desktop-ended"
for _ in $(seq 600); do kill -0 "$page" 2>/dev/null || break; sleep 0.1; done
kill -0 "$page" 2>/dev/null && fail "the page's side did not finish within a minute of the match's end"
wait "$page"
status=$?
sed 's/^/  page: /' "$work/page.log"
[ "$status" -eq 0 ] || fail "the page's side failed"
# The page's tab closed after its checks: the game says so, and shows its title.
for _ in $(seq 160); do grep -q "the other player left\|connection lost" "$work/game.log" && break; sleep 0.05; done
grep -q "the other player left" "$work/game.log" || fail "the game did not say that the page's player left"
await_window_on "$DISPLAY" Zorbump 480x40 >/dev/null || await_window_on "$DISPLAY" Zorbump 256x239 >/dev/null ||
  fail "the game showed neither the notice nor its title after the page's player left"
kill -0 "$player" 2>/dev/null || fail "the game ended after the match"
echo "ok: the page's tab closed, the game says that the other player left"
echo "PASS: a whole match between a page and the desktop game, with the page's trace the replay of the game's record"
