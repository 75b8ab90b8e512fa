#!/usr/bin/env bash
# The game as a player installs it: cmake --install's tree (game, tool, menu entry, icons at every
# size, metainfo, manual pages, licences) checked by Debian's validators; then the Debian package:
# lintian without errors, its dependencies installable, and the packaged game, started as its menu
# entry says, passing the smoke test on a virtual X server.
# Usage: tests/package-test.sh BUILD-DIR
set -u
build=$(realpath "${1:?usage: package-test.sh BUILD-DIR}")
here=$(cd "$(dirname "$0")" && pwd)
for tool in desktop-file-validate appstreamcli lintian cpack dpkg-deb apt-get python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"; exit 1; }
done
work=$(mktemp -d)
. "$(dirname "$0")/end-processes.sh"
trap 'end_processes; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# The install tree.
cmake --install "$build" --prefix "$work/tree/usr" >/dev/null || fail "cmake --install failed"
share="$work/tree/usr/share"
for file in usr/games/zorbump usr/games/zorbump-sim usr/share/applications/org.zorbump.Zorbump.desktop \
  usr/share/metainfo/org.zorbump.Zorbump.metainfo.xml usr/share/man/man6/zorbump.6.gz \
  usr/share/man/man6/zorbump-sim.6.gz usr/share/doc/zorbump/copyright usr/share/doc/zorbump/licenses/SDL2.txt \
  usr/share/doc/zorbump/licenses/ENet.txt usr/share/doc/zorbump/licenses/fonts-mplus.txt; do
  [ -s "$work/tree/$file" ] || fail "the install tree lacks $file"
done
# Each icon is a PNG of its own size, with see-through corners.
for size in 16 24 32 48 64 128 256; do
  python3 - "$share/icons/hicolor/${size}x${size}/apps/zorbump.png" "$size" <<'PY' || fail "icon ${size}x${size}"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
size = int(sys.argv[2])
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
assert (width, height, depth, kind) == (size, size, 8, 6), (width, height, depth, kind)
idat = b"".join(data[i + 8:i + 8 + struct.unpack(">I", data[i:i + 4])[0]]
                for i in range(8, len(data)) if data[i + 4:i + 8] == b"IDAT")
raw = zlib.decompress(idat)
assert raw[1 + 3] == 0, "the top left corner is not see-through"
PY
done
desktop-file-validate "$share/applications/org.zorbump.Zorbump.desktop" || fail "desktop-file-validate"
[ -z "$(desktop-file-validate "$share/applications/org.zorbump.Zorbump.desktop" 2>&1)" ] || fail "desktop-file-validate has messages"
appstreamcli validate --no-net "$share/metainfo/org.zorbump.Zorbump.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log"; fail "appstreamcli validate"; }
for page in zorbump zorbump-sim; do
  man -l --warnings -E UTF-8 "$share/man/man6/$page.6.gz" 2>&1 >/dev/null | grep . && fail "the manual page $page.6 has warnings"
done
# Every option a program's --help lists is in its manual page.
for page in zorbump zorbump-sim; do
  for option in $(sed -n 's/^  \(--[a-z]*\).*/\1/p' <("$work/tree/usr/games/$page" --help 2>&1)); do
    zcat "$share/man/man6/$page.6.gz" | grep -q -- "\\\\-\\\\-${option#--}" || fail "the manual page of $page lacks $option"
  done
done
echo "ok: the install tree, its menu entry and metainfo validate"

# The Debian package.
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack failed"
deb=$(ls "$build"/zorbump_*_amd64.deb | head -n1)
[ -n "$deb" ] || fail "no build/zorbump_VERSION_amd64.deb"
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
grep -v "running with root privileges" "$work/lintian.log" | sed 's/^/  lintian: /'
grep -q '^E:' "$work/lintian.log" && fail "lintian reports errors"
apt-get install --simulate -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "the package's dependencies cannot be installed"; }
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
# Started as the menu entry starts it, with the package's folder of games on the path.
exec_line=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/org.zorbump.Zorbump.desktop")
game=$(PATH="$work/root/usr/games:/usr/bin:/bin" command -v "${exec_line%% *}") || fail "the menu entry's $exec_line is not in the package"
"$here/smoke-xvfb.sh" "$game" || fail "the packaged game failed its smoke test"
echo "ok: $(basename "$deb"): lintian without errors, installable, and the packaged game runs from its menu entry"

# The Python module's package, where the build made one: lintian, its dependencies, and the packaged
# module imported by the python3 it names, stepping matches.
pydeb=$(ls "$build"/python3-zorbump_*_amd64.deb 2>/dev/null | head -n1)
if [ -f "$build/python/zorbump/__init__.py" ]; then
  [ -n "$pydeb" ] || fail "the build has the Python module but no build/python3-zorbump_VERSION_amd64.deb"
  lintian --tag-display-limit 0 "$pydeb" >"$work/lintian-python.log" 2>&1
  grep -v "running with root privileges" "$work/lintian-python.log" | sed 's/^/  lintian: /'
  grep -q '^E:' "$work/lintian-python.log" && fail "lintian reports errors in $(basename "$pydeb")"
  apt-get install --simulate -qq "$pydeb" >"$work/apt-python.log" 2>&1 ||
    { cat "$work/apt-python.log"; fail "the Python package's dependencies cannot be installed"; }
  dpkg-deb -x "$pydeb" "$work/pyroot" || fail "dpkg-deb -x $pydeb"
  PYTHONPATH="$work/pyroot/usr/lib/python3/dist-packages" /usr/bin/python3 -c '
import numpy, zorbump, zorbump.env
assert zorbump.__file__.startswith("'"$work"'/pyroot/"), zorbump.__file__
batch = zorbump.VecMatch(4, seed=1)
observations = batch.step(numpy.zeros((4, 2), numpy.int64))[0]
assert observations.shape == (4, 2, zorbump.OBSERVATION_SIZE)
' || fail "the packaged Python module does not step matches"
  echo "ok: $(basename "$pydeb"): lintian without errors, installable, and the packaged module steps matches"
fi
