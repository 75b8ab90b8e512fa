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
. "$(dirname "$0")/end-processes.sh"
cleanup() {
  end_processes
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/virtual-screen.sh"
start_virtual_screen "$work" 1024x768 || { echo "FAIL: no virtual screen"; exit 1; }
pids+=($xvfb_pid)
openbox --sm-disable >"$work/wm.log" 2>&1 &
pids+=($!)
sleep 0.5
# The libraries under the X connection keep some memory to the end; the game's own is checked elsewhere.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$tests" --gtest_also_run_disabled_tests --gtest_filter='FocusUnderX.*'
