#!/usr/bin/env bash
# scripts/debian-source takes its archives from the machine's apt sources: a mirror in a one-line
# sources.list with its keyring, a security archive of its own, a deb822 file switched off, and a
# third party's archive that is not Debian's. Nothing is fetched.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$work/etc/sources.list.d"
cat >"$work/etc/sources.list" <<'LIST'
# the machine's mirror
deb [arch=amd64 signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.invalid/debian bookworm main contrib
deb http://security.invalid/debian-security bookworm-security main
deb https://thirdparty.invalid/apt cloud-sdk-bookworm main
LIST
cat >"$work/etc/sources.list.d/off.sources" <<'LIST'
Types: deb
URIs: http://off.invalid/debian
Suites: bookworm
Components: main
Enabled: no
LIST
derived=$(ZORBUMP_APT_ETC="$work/etc" "$here/../scripts/debian-source" --sources) || fail "no list derived: $derived"
expected="deb-src [signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.invalid/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.invalid/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://security.invalid/debian-security bookworm-security main
deb-src [signed-by=/usr/share/keyrings/mirror.gpg] http://mirror.invalid/debian trixie main"
[ "$derived" = "$expected" ] || fail "derived from a one-line list:
$derived"

# The same machine in deb822 form only.
rm "$work/etc/sources.list"
cat >"$work/etc/sources.list.d/debian.sources" <<'LIST'
Types: deb deb-src
URIs: http://mirror.invalid/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/mirror.gpg

Types: deb
URIs: http://security.invalid/debian-security
Suites: bookworm-security
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 -----END PGP PUBLIC KEY BLOCK-----
LIST
derived=$(ZORBUMP_APT_ETC="$work/etc" "$here/../scripts/debian-source" --sources) || fail "no list derived: $derived"
[ "$derived" = "$expected" ] || fail "derived from deb822 files:
$derived"

# No Debian archive at all: said, and nothing fetched.
rm "$work/etc/sources.list.d/debian.sources"
if out=$(ZORBUMP_APT_ETC="$work/etc" "$here/../scripts/debian-source" --sources 2>&1); then
  fail "a machine without a Debian archive gave a list: $out"
fi
grep -q "no Debian archive" <<<"$out" || fail "unclear refusal: $out"
echo "PASS: the archives come from the machine's apt sources, one-line or deb822"
