#!/usr/bin/env bash
# The Linux install and the Debian package, checked as a user's machine would see them:
#   the install tree holds exactly the expected files, the icons are PNGs of their sizes, the desktop
#   entry and the AppStream metainfo validate, the .deb passes lintian with no error or warning, its
#   dependencies install (simulated), and the game taken out of it starts under Xvfb.
# Usage: tests/packaging/install-and-package.sh BUILD_DIR SOURCE_DIR
set -u
build=$(realpath "${1:?usage: install-and-package.sh BUILD_DIR SOURCE_DIR}")
source=$(realpath "${2:?usage: install-and-package.sh BUILD_DIR SOURCE_DIR}")
fail() { echo "FAIL: $*"; exit 1; }
for tool in desktop-file-validate appstreamcli lintian dpkg-deb dpkg-shlibdeps cpack apt-get; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps test installs it)"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The install tree.
cmake --install "$build" --prefix "$work/tree" >/dev/null || fail "cmake --install"
(cd "$work/tree" && find . -type f | sort) >"$work/files"
cat >"$work/expected" <<'LIST'
./games/zorbump
./games/zorbump-sim
./share/applications/org.zorbump.Zorbump.desktop
./share/doc/zorbump/LICENSE
./share/doc/zorbump/changelog.gz
./share/doc/zorbump/copyright
./share/doc/zorbump/licenses/ENet
./share/doc/zorbump/licenses/SDL2
./share/doc/zorbump/licenses/fonts-mplus
./share/icons/hicolor/128x128/apps/zorbump.png
./share/icons/hicolor/16x16/apps/zorbump.png
./share/icons/hicolor/24x24/apps/zorbump.png
./share/icons/hicolor/256x256/apps/zorbump.png
./share/icons/hicolor/32x32/apps/zorbump.png
./share/icons/hicolor/48x48/apps/zorbump.png
./share/icons/hicolor/64x64/apps/zorbump.png
./share/man/man6/zorbump-sim.6.gz
./share/man/man6/zorbump.6.gz
./share/metainfo/org.zorbump.Zorbump.metainfo.xml
LIST
diff -u "$work/expected" "$work/files" || fail "the install tree differs from the expected files"
[ -x "$work/tree/games/zorbump" ] && [ -x "$work/tree/games/zorbump-sim" ] || fail "the programs are not executable"
for size in 16 24 32 48 64 128 256; do
  # The PNG header's width and height, big-endian, right after "IHDR".
  header=$(od -An -tx1 -j16 -N8 "$work/tree/share/icons/hicolor/${size}x${size}/apps/zorbump.png" | tr -d ' \n')
  printf -v want '%08x%08x' "$size" "$size"
  [ "$header" = "$want" ] || fail "the ${size}x${size} icon is $header"
done
grep -q "SDL" "$work/tree/share/doc/zorbump/copyright" && grep -q "M+" "$work/tree/share/doc/zorbump/copyright" &&
  grep -q "ENet\|enet" "$work/tree/share/doc/zorbump/copyright" || fail "a notice is missing from the copyright file"
for page in zorbump zorbump-sim; do
  for option in $(sed -n 's/^  \(--[a-z]*\).*/\1/p' <("$work/tree/games/$page" --help 2>&1)); do
    zcat "$work/tree/share/man/man6/$page.6.gz" | grep -q -- "\\\\-\\\\-${option#--}" ||
      fail "the manual page of $page lacks $option"
  done
done
desktop-file-validate "$work/tree/share/applications/org.zorbump.Zorbump.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/tree/share/metainfo/org.zorbump.Zorbump.metainfo.xml" || fail "appstreamcli validate"

# The package.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/zorbump_*_amd64.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "cpack made no zorbump_VERSION_amd64.deb"
dpkg-deb -f "$deb" Depends | grep -q "libsdl2-2.0-0" || fail "the package does not depend on SDL2"
lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" >"$work/lintian.log"
if grep -E "^(E|W):" "$work/lintian.log"; then fail "lintian reports errors or warnings"; fi
apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "the package's dependencies"; }
dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
"$source/tests/smoke-xvfb.sh" "$work/root/usr/games/zorbump" || fail "the packaged game under Xvfb"
echo "PASS: install tree, desktop entry, metainfo, package"
