#!/usr/bin/env bash
# Two homes, each behind a router of its own that masquerades and drops what nobody inside asked
# for (nftables), and a public network with the server, all in network namespaces. A direct --join
# from one home to the other fails; through the server the two homes play a whole match, with
# identical traces on both, equal to the offline replay of the record.
# Skips (status 77) with one line where network namespaces or nftables cannot be used.
# Usage: tests/server/routers.sh path/to/zorbump-server path/to/zorbump-sim
set -u
server=$(realpath "${1:?usage: routers.sh zorbump-server zorbump-sim}")
sim=$(realpath "${2:?usage: routers.sh zorbump-server zorbump-sim}")
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
command -v nft >/dev/null || skip "nft is not installed"
command -v ip >/dev/null || skip "ip is not installed"
tag="zb$$"
ip netns add "$tag-probe" 2>/dev/null || skip "ip netns does not work here"
ip netns exec "$tag-probe" nft list ruleset >/dev/null 2>&1 || { ip netns del "$tag-probe"; skip "nft does not work here"; }
ip netns del "$tag-probe"

work=$(mktemp -d)
spaces=(pub r1 h1 r2 h2)
. "$(dirname "$0")/../end-processes.sh"
cleanup() {
  end_processes
  for s in "${spaces[@]}"; do
    # Whatever still runs inside goes with the namespace.
    for pid in $(ip netns pids "$tag-$s" 2>/dev/null); do kill -9 "$pid" 2>/dev/null; done
    ip netns del "$tag-$s" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$work"/*.err; do [ -s "$f" ] && sed "s|^|  $(basename "$f"): |" "$f"; done; exit 1; }
ns() { local s=$1; shift; ip netns exec "$tag-$s" "$@"; }

for s in "${spaces[@]}"; do ip netns add "$tag-$s" || fail "cannot add namespace $s"; ns "$s" ip link set lo up; done
# link A B ADDR_A ADDR_B: a cable between two namespaces, its ends named after the far side.
link() {
  ip link add "$tag$1$2" netns "$tag-$1" type veth peer name "$tag$2$1" netns "$tag-$2" || fail "cannot link $1 and $2"
  ns "$1" ip addr add "$3" dev "$tag$1$2"
  ns "$2" ip addr add "$4" dev "$tag$2$1"
  ns "$1" ip link set "$tag$1$2" up
  ns "$2" ip link set "$tag$2$1" up
}
# The public network: the server's machine routes between the two carriers' addresses.
link pub r1 100.64.1.1/24 100.64.1.2/24
link pub r2 100.64.2.1/24 100.64.2.2/24
link r1 h1 192.168.1.1/24 192.168.1.2/24
link r2 h2 192.168.1.1/24 192.168.1.2/24 # both homes use the same private addresses, as homes do
ns pub sysctl -qw net.ipv4.ip_forward=1
for n in 1 2; do
  ns "r$n" sysctl -qw net.ipv4.ip_forward=1
  ns "r$n" ip route add default via "100.64.$n.1"
  ns "h$n" ip route add default via 192.168.1.1
  wan="${tag}r${n}pub"
  lan="${tag}r${n}h${n}"
  ns "r$n" nft -f - <<NFT || fail "nft refused the router's rules"
table ip home {
  chain postrouting { type nat hook postrouting priority srcnat; oifname "$wan" masquerade; }
  chain forward {
    type filter hook forward priority filter; policy drop;
    ct state established,related accept
    iifname "$lan" accept
  }
  chain input {
    type filter hook input priority filter; policy drop;
    ct state established,related accept
    iifname "$lan" accept
    iifname "lo" accept
  }
}
NFT
done

python3 - "$work" <<'PY'
import random, sys
for name, seed in (("h1", 31), ("h2", 32)):
    rng = random.Random(seed)
    lines, held, left = [], [], 0
    for _ in range(6000):
        if left <= 0:
            held = [c for c in (89, 78, 71, 74, 90) if rng.random() < 0.3]
            left = rng.randrange(1, 10)
        left -= 1
        lines.append(" ".join(map(str, held)))
    open(f"{sys.argv[1]}/{name}-keys.txt", "w").write("\n".join(lines) + "\n")
PY

# 1. Direct: home 2 hosts, home 1 joins home 2's public address. Its router drops the knock.
ns h2 "$sim" --host 24681 --people 0,1 >/dev/null 2>"$work/direct-host.err" &
sleep 0.5
ns h1 "$sim" --join 100.64.2.2:24681 >/dev/null 2>"$work/direct-join.err"
[ $? -eq 1 ] && grep -q "nobody answered" "$work/direct-join.err" || fail "a direct join across the routers did not fail"
end_processes
echo "ok: a direct --join from one home to the other fails: $(head -1 "$work/direct-join.err")"

# 2. Through the server: a whole match, room by code.
ns pub "$server" --port 24680 2>"$work/server.err" &
for _ in $(seq 50); do grep -q listening "$work/server.err" && break; sleep 0.1; done
ns h1 "$sim" --server 100.64.1.1:24680 --new-room --keys "$work/h1-keys.txt" --trace --record "$work/match.zbr" \
  >"$work/h1.txt" 2>"$work/h1.err" &
first=$!
for _ in $(seq 100); do grep -q '^room ' "$work/h1.err" && break; sleep 0.05; done
code=$(awk '/^room /{print $2; exit}' "$work/h1.err")
[ -n "$code" ] || fail "home 1 got no room code"
ns h2 "$sim" --server 100.64.2.1:24680 --room "$code" --keys "$work/h2-keys.txt" --trace >"$work/h2.txt" 2>"$work/h2.err" ||
  fail "home 2's match through the server failed"
wait "$first" || fail "home 1's match through the server failed"
tail -1 "$work/h1.txt" | grep -q . || fail "no trace"
cmp -s "$work/h1.txt" "$work/h2.txt" || fail "the two homes' traces differ"
"$sim" --replay "$work/match.zbr" --trace >"$work/offline.txt" 2>/dev/null
cmp -s "$work/h1.txt" "$work/offline.txt" || fail "the match differs from the offline replay of its record"
echo "ok: through the server, a whole match of $(( $(wc -l <"$work/h1.txt") - 1 )) ticks: identical traces, equal to the offline replay"
