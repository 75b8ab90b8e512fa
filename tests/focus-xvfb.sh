#!/usr/bin/env bash
# Runs the focus cases of the test program on a virtual X screen of their own, with a window manager
# to move the focus between programs.
# Usage: tests/focus-xvfb.sh path/to/zorbump_tests
set -u
tests=${1:?usage: focus-xvfb.sh path/to/zorbump_tests}
. "$(dirname "$0")/virtual-screen.sh"
begin_screen_test xdotool openbox xmessage
start_virtual_screen "$work" 1024x768 || { echo "FAIL: no virtual screen"; exit 1; }
openbox --sm-disable >"$work/wm.log" 2>&1 &
sleep 0.5
"$tests" --gtest_also_run_disabled_tests --gtest_filter='FocusUnderX.*'
