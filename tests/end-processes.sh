# Sourced by every test that starts processes. end_processes ends every process the test's shell
# started and all of theirs, whatever state they are in: SIGTERM first, then SIGKILL to whatever
# is still there a second later (a stopped or hung program ignores the first). Called from the
# test's trap on EXIT, so that no path, passed or failed, leaves anything running.
descendants_of() {
  local child
  for child in $(pgrep -P "$1"); do
    descendants_of "$child"
    echo "$child"
  done
}
end_processes() {
  local left pid
  left=$(descendants_of $$)
  [ -n "$left" ] || return 0
  kill $left 2>/dev/null || true
  for _ in $(seq 20); do
    left=$(for pid in $left; do if kill -0 "$pid" 2>/dev/null; then echo "$pid"; fi; done)
    [ -n "$left" ] || return 0
    sleep 0.05
  done
  kill -9 $left 2>/dev/null || true
  return 0
}
