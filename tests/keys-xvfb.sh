#!/usr/bin/env bash
# Runs the keyboard-layout cases of the test program on a virtual X screen of their own, with the
# German layout set on it.
# Usage: tests/keys-xvfb.sh path/to/zorbump_tests
set -u
tests=${1:?usage: keys-xvfb.sh path/to/zorbump_tests}
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool setxkbmap
start_virtual_screen "$work" 1024x768 || { echo "FAIL: no virtual screen"; exit 1; }
setxkbmap -layout de || { echo "FAIL: the German layout could not be set"; exit 1; }
"$tests" --gtest_also_run_disabled_tests --gtest_filter='KeyPlacesUnderX.*'
