# Sourced by the tests that run programs on a virtual X server of their own.
#
# start_virtual_screen WORK SIZE starts Xvfb with one screen of SIZE (e.g. 640x480) that picks a
# free display number itself, waits for it, and sets DISPLAY and xvfb_pid (the caller kills it).
# The programs then use this screen only: SDL's other drivers are put out of reach. Returns 1,
# printing the server's log, when it did not start.
start_virtual_screen() {
  local work=$1 size=$2
  rm -f "$work/display"
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start: $(cat "$work/xvfb.log")"
    return 1
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
  unset SDL_VIDEODRIVER WAYLAND_DISPLAY
}

# await_window_on DISPLAY CAPTION SIZE [SECONDS]: waits (15 seconds unless told) for a visible window
# with this caption and size on that screen; prints its id.
await_window_on() {
  local display=$1 caption=$2 size=$3 seconds=${4:-15} id
  for _ in $(seq $((seconds * 20))); do
    for id in $(DISPLAY=$display xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null); do
      if [ "$(DISPLAY=$display xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')" = "$size" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.05
  done
  return 1
}

# begin_screen_test TOOL...: how every test on a virtual screen begins. The tools it needs beside
# Xvfb (a missing one fails the test: scripts/install-deps test installs them all); a folder of
# its own, $work, removed at the end; and a trap on EXIT that ends every process the test started,
# whichever way it ends.
begin_screen_test() {
  local tool
  for tool in Xvfb "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"; exit 1; }
  done
  work=$(mktemp -d)
  . "$(dirname "${BASH_SOURCE[0]}")/end-processes.sh"
  trap 'end_processes; rm -rf "$work"' EXIT
  # The libraries under the game keep some memory to the end; the game's own is checked elsewhere.
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}
