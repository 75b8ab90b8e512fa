#!/usr/bin/env bash
# Runs the keyboard-layout cases of the test program on a virtual X screen of their own, with the
# German layout set on it.
# Usage: tests/keys-xvfb.sh path/to/zorbump_tests
set -u
tests=${1:?usage: keys-xvfb.sh path/to/zorbump_tests}
for tool in Xvfb xdotool setxkbmap; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"
    exit 1
  fi
done
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/virtual-screen.sh"
start_virtual_screen "$work" 1024x768 || { echo "FAIL: no virtual screen"; exit 1; }
setxkbmap -layout de || { echo "FAIL: the German layout could not be set"; exit 1; }
# The libraries under the X connection keep some memory to the end; the game's own is checked elsewhere.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
"$tests" --gtest_also_run_disabled_tests --gtest_filter='KeyPlacesUnderX.*'
