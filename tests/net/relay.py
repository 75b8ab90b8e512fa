#!/usr/bin/env python3
"""A bad network on loopback, for the online tests: a UDP relay between a guest and a host that
delays every datagram (with jitter, so they also arrive out of order), drops some, sends some twice,
and, with --fuzz, throws in datagrams of its own: random bytes, truncated, bit-flipped and oversized
copies of real ones, and stale ones sent again a second or two after. (Older stale datagrams are
no network's doing: only someone on the path replays them, and ENet takes the round trip from
acknowledgements as they come, so such a replay swells it until its resends crawl; someone on the
path can as well drop everything.)

  relay.py LISTEN-PORT HOST-PORT DELAY-MS JITTER-MS LOSS DUPLICATE [--fuzz] [--corrupt P] [--seconds N]

With --corrupt P, that share of the datagrams has a bit flipped on its way (ENet's CRC drops them).

It says "listening" once both its sockets are bound, and prints its statistics when it stops
(after N seconds, 120 by default)."""
import heapq
import random
import select
import socket
import sys
import time


def main():
    listen_port, host_port = int(sys.argv[1]), int(sys.argv[2])
    delay, jitter = float(sys.argv[3]) / 1000, float(sys.argv[4]) / 1000
    loss, duplicate = float(sys.argv[5]), float(sys.argv[6])
    fuzz = "--fuzz" in sys.argv
    seconds = float(sys.argv[sys.argv.index("--seconds") + 1]) if "--seconds" in sys.argv else 120.0
    corrupt = float(sys.argv[sys.argv.index("--corrupt") + 1]) if "--corrupt" in sys.argv else 0.0
    rng = random.Random(int(sys.argv[sys.argv.index("--seed") + 1]) if "--seed" in sys.argv else 2026)
    guest_side = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    guest_side.bind(("127.0.0.1", listen_port))
    host_side = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    host_side.bind(("127.0.0.1", 0))
    host = ("127.0.0.1", host_port)
    print("relay: listening", flush=True)
    guest = None
    queue = []  # (due, order, socket, data, address)
    order = 0
    seen = []
    stats = {"forwarded": 0, "dropped": 0, "duplicated": 0, "fuzzed": 0}
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        now = time.monotonic()
        timeout = max(0.0, min(0.005, queue[0][0] - now)) if queue else 0.005
        readable, _, _ = select.select([guest_side, host_side], [], [], timeout)
        for sock in readable:
            data, address = sock.recvfrom(65536)
            if sock is guest_side:
                guest = address
                out, to = host_side, host
            else:
                if guest is None:
                    continue
                out, to = guest_side, guest
            seen.append((out, data, to))
            if rng.random() < loss:
                stats["dropped"] += 1
                continue
            if corrupt and rng.random() < corrupt:
                flipped = bytearray(data)
                flipped[rng.randrange(len(flipped))] ^= 1 << rng.randrange(8)
                data = bytes(flipped)
                stats["corrupted"] = stats.get("corrupted", 0) + 1
            copies = 2 if rng.random() < duplicate else 1
            stats["duplicated"] += copies - 1
            for _ in range(copies):
                due = time.monotonic() + max(0.0, delay + rng.uniform(-jitter, jitter))
                order += 1
                heapq.heappush(queue, (due, order, out, data, to))
        if fuzz and seen and rng.random() < 0.2:
            out, data, to = rng.choice(seen[-200:])
            kind = rng.randrange(5)
            if kind == 0:
                bad = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64)))
            elif kind == 1:
                bad = data[: rng.randrange(len(data))] if len(data) > 1 else b"\0"
            elif kind == 2:
                flipped = bytearray(data)
                for _ in range(rng.randrange(1, 4)):
                    flipped[rng.randrange(len(flipped))] ^= 1 << rng.randrange(8)
                bad = bytes(flipped)
            elif kind == 3:
                bad = data + bytes(rng.randrange(256) for _ in range(rng.randrange(600, 1400)))
            else:
                bad = data  # stale: sent again out of its time
            stats["fuzzed"] += 1
            heapq.heappush(queue, (time.monotonic() + rng.uniform(0, 0.2), order, out, bad, to))
            order += 1
        now = time.monotonic()
        while queue and queue[0][0] <= now:
            _, _, out, data, to = heapq.heappop(queue)
            out.sendto(data, to)
            stats["forwarded"] += 1
    print("relay:", " ".join(f"{k} {v}" for k, v in stats.items()), flush=True)


main()
