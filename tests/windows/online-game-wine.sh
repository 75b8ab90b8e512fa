#!/usr/bin/env bash
# The game's windows online between Windows and Linux: the native game hosts on one virtual X
# server, the Windows game joins under Wine on another, and both reach the shared select screen.
# Then the Windows game is killed, and the Linux game says the session is over and shows its title.
# Usage: tests/windows/online-game-wine.sh NATIVE-BUILD WINDOWS-BUILD
set -u
native=$(realpath "${1:?usage: online-game-wine.sh NATIVE-BUILD WINDOWS-BUILD}")
windows=$(realpath "${2:?usage: online-game-wine.sh NATIVE-BUILD WINDOWS-BUILD}")
for tool in wine wineserver Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"; exit 1; }
done
export WINEPREFIX="$windows/wine prefix" WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || { echo "FAIL: no Wine prefix in $WINEPREFIX (tests/windows/run-wine-tests makes it)"; exit 1; }
work=$(mktemp -d)
mkdir "$work/a" "$work/b"
pids=()
. "$(dirname "$0")/../end-processes.sh"
cleanup() {
  end_processes
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in "$work"/*.log; do [ -s "$log" ] && sed "s/^/  $(basename "$log" .log): /" "$log" | tail -n 5; done
  exit 1
}

. "$(dirname "$0")/../virtual-screen.sh"
start_virtual_screen "$work/a" 640x480 || fail "no virtual screen"
A=$DISPLAY
pids+=("$xvfb_pid")
start_virtual_screen "$work/b" 640x480 || fail "no second virtual screen"
B=$DISPLAY
pids+=("$xvfb_pid")
# A Wine session keeps the display it started with: this one starts on the second screen.
wineserver -k 2>/dev/null
wineserver -w
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

DISPLAY=$A "$native/zorbump" --scale 1 --host "$port" >"$work/linux.log" 2>&1 &
pids+=("$!")
await_window_on "$A" Zorbump 480x40 >/dev/null || fail "the Linux host showed no waiting window"
(cd "$work" && DISPLAY=$B exec wine "$windows/zorbump.exe" --scale 1 --join "127.0.0.1:$port") >"$work/windows.log" 2>&1 &
guest=$!
pids+=("$guest")
await_window_on "$A" Zorbump 480x360 30 >/dev/null || fail "the Linux host did not reach the select screen with a Windows guest"
await_window_on "$B" Zorbump 480x360 30 >/dev/null || fail "the Windows guest did not reach the select screen"
echo "ok: a Windows game joins a Linux game, and both show the shared select screen"
wineserver -k 2>/dev/null
for _ in $(seq 200); do
  grep -q "connection lost\|the other player left" "$work/linux.log" && break
  sleep 0.05
done
grep -q "connection lost\|the other player left" "$work/linux.log" || fail "the Linux game did not notice the Windows game had gone"
await_window_on "$A" Zorbump 256x239 10 >/dev/null || fail "the Linux game did not return to its title"
echo "PASS: the game's windows online between Windows and Linux"
