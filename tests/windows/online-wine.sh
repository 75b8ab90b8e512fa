#!/usr/bin/env bash
# Online play between Windows and Linux: the native zorbump-sim hosts, the Windows one joins under
# Wine over loopback, and both machines trace the very same match.
# Usage: tests/windows/online-wine.sh NATIVE-BUILD WINDOWS-BUILD
set -u
native=$(realpath "${1:?usage: online-wine.sh NATIVE-BUILD WINDOWS-BUILD}")
windows=$(realpath "${2:?usage: online-wine.sh NATIVE-BUILD WINDOWS-BUILD}")
command -v wine >/dev/null || { echo "FAIL: wine is not installed (scripts/install-deps test installs it)"; exit 1; }
export WINEPREFIX="$windows/wine prefix" WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || { echo "FAIL: no Wine prefix in $WINEPREFIX (tests/windows/run-wine-tests makes it)"; exit 1; }
work=$(mktemp -d)
host_pid=""
. "$(dirname "$0")/../end-processes.sh"
trap 'end_processes; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import random, sys
for name, seed in (("host", 31), ("guest", 32)):
    rng = random.Random(seed)
    open(f"{sys.argv[1]}/{name}.txt", "w").write(
        "\n".join(" ".join(str(c) for c in (89, 78, 71, 74, 90) if rng.random() < 0.3) for _ in range(300)) + "\n")
PY
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$native/zorbump-sim" --host "$port" --people 0,1 --keys "$work/host.txt" --ticks 240 --trace >"$work/linux.txt" 2>"$work/linux.err" &
host_pid=$!
sleep 0.3
(cd "$work" && wine "$windows/zorbump-sim.exe" --join "127.0.0.1:$port" --keys guest.txt --ticks 240 --trace) \
  >"$work/windows.txt" 2>"$work/windows.err"
guest=$?
wait "$host_pid"
host=$?
host_pid=""
[ "$host" -eq 0 ] && [ "$guest" -eq 0 ] || { echo "FAIL: Linux ended with $host, Windows with $guest: $(cat "$work"/*.err)"; exit 1; }
tr -d '\r' <"$work/windows.txt" | cmp -s - "$work/linux.txt" || { echo "FAIL: the Windows and Linux traces differ"; exit 1; }
echo "PASS: a Windows guest and a Linux host play one match online, traced the same on both"
