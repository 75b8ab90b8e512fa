// How the online core talks to the network, whatever carries the bytes: ENet between two machines
// (directly or through a server), a WebSocket in the page, or an in-process loopback in the tests.
// It knows nothing of the game's messages: it moves whole datagrams, each either reliable (arrives
// once, in order with the other reliable ones) or unreliable (may be lost, repeated or overtaken).
// A host has many connections at once (the guest, and strangers knocking); each is a peer, named
// by a number that is never reused while the transport lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using PeerId = uint32_t;
constexpr PeerId NoPeer = 0;

struct NetEvent {
    enum class Kind { Nothing, Connected, Received, Lost };
    Kind Type = Kind::Nothing;
    PeerId Peer = NoPeer;
    std::vector<uint8_t> Bytes; // Received: one whole datagram
};

class Transport {
  public:
    virtual ~Transport() = default;

    // Hands over the first thing that happened, waiting up to Millis milliseconds for one (a
    // loopback never waits: its clock moves only when its owner moves it). Lost comes once for a
    // peer that went away, gave up connecting, or was never reached.
    virtual NetEvent Poll(uint32_t Millis) = 0;
    // False when the datagram could not be queued: the connection is then over, and a Lost event
    // for the peer follows. Nothing that failed is counted as sent.
    virtual bool Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) = 0;
    // Lets one peer go: with a goodbye after what was queued for it, or at once.
    virtual void Drop(PeerId Peer, bool Goodbye) = 0;
    // Says goodbye to every peer and closes. Lingering, it first gives what was queued a moment to
    // be acknowledged; without, the goodbye goes out at once, as far as it gets.
    virtual void Close(bool Linger = true) = 0;

    virtual bool Connected(PeerId Peer) const = 0;
    // Where a peer connects from, as a number comparable between peers (one per machine).
    virtual uint64_t Address(PeerId Peer) const = 0;
    virtual uint32_t RoundTripMillis(PeerId Peer) const = 0;
    // The socket to watch for arrivals, -1 when there is none to watch.
    virtual intptr_t Socket() const { return -1; }
    virtual uint64_t BytesSent() const = 0;
    virtual uint64_t BytesReceived() const = 0;
    // Milliseconds on the transport's clock: the real one, or the loopback's virtual one.
    virtual uint64_t Millis() const = 0;

    bool Send(PeerId Peer, const std::vector<uint8_t> &Bytes, bool Reliable) {
        return Send(Peer, Bytes.data(), Bytes.size(), Reliable);
    }
};
