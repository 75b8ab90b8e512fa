# Sourced by the tests that play headless zorbump-sim players against each other.
#
# begin_players_test: a folder of the test's own ($work), removed at the end, and a trap on EXIT
# that ends every process the test started, whichever way it ends; fail says why and shows what
# every player said on standard error.
begin_players_test() {
  work=$(mktemp -d)
  . "$(dirname "${BASH_SOURCE[0]}")/../end-processes.sh"
  trap 'end_processes; rm -rf "$work"' EXIT
}
fail() {
  echo "FAIL: $*"
  for f in "$work"/*.err; do [ -s "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done
  exit 1
}
# A UDP port nobody listens on.
free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# random_keys TICKS NAME:SEED...: for each name, $work/NAME-keys.txt holds TICKS lines of held
# letter-set keys, a new random set every few ticks, the same for the same seed.
random_keys() {
  python3 - "$work" "$@" <<'PY'
import random, sys
work, ticks = sys.argv[1], int(sys.argv[2])
for named in sys.argv[3:]:
    name, seed = named.split(":")
    rng = random.Random(int(seed))
    lines, held, left = [], [], 0
    for _ in range(ticks):
        if left <= 0:
            held = [c for c in (89, 78, 71, 74, 90) if rng.random() < 0.3]
            left = rng.randrange(1, 10)
        left -= 1
        lines.append(" ".join(map(str, held)))
    open(f"{work}/{name}-keys.txt", "w").write("\n".join(lines) + "\n")
PY
}
