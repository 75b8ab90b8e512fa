#!/usr/bin/env bash
# Runs the focus cases of the test program on a virtual X screen of their own, with a window manager
# to move the focus between programs.
# Usage: tests/focus-xvfb.sh path/to/zorbump_tests
set -u
tests=${1:?usage: focus-xvfb.sh path/to/zorbump_tests}
for tool in Xvfb xdotool openbox xmessage; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"
    exit 1
  fi
done
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/wm.log" 2>&1 &
pids+=($!)
sleep 0.5
unset SDL_VIDEODRIVER WAYLAND_DISPLAY
# The libraries under the X connection keep some memory to the end; the game's own is checked elsewhere.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$tests" --gtest_also_run_disabled_tests --gtest_filter='FocusUnderX.*'
