// A network inside one process, for the tests: hosts and guests whose datagrams travel through a
// queue on a virtual clock, with the delay, jitter (and so reordering), loss, duplication and
// corruption a bad network has, drawn from a seed so that every run is the same. Reliable
// datagrams behave as ENet's do: each arrives once and in order, later by a resend for each loss.
// A corrupted datagram is dropped, as ENet's CRC drops it.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "net/Transport.h"

struct LoopbackConditions {
    uint32_t DelayMillis = 10;  // one way
    uint32_t JitterMillis = 0;  // plus or minus, on each datagram
    double Loss = 0;            // of every datagram sent
    double Duplicate = 0;       // of unreliable ones
    double Corrupt = 0;         // of every datagram sent
};

class LoopbackEnd;

class LoopbackNetwork {
  public:
    explicit LoopbackNetwork(uint64_t Seed, LoopbackConditions Conditions = {});
    ~LoopbackNetwork();
    LoopbackNetwork(const LoopbackNetwork &) = delete;
    LoopbackNetwork &operator=(const LoopbackNetwork &) = delete;

    // A host waiting on Port; a guest connecting to Port from a machine numbered From. Each
    // transport must be destroyed before the network.
    std::unique_ptr<Transport> Listen(uint16_t Port);
    std::unique_ptr<Transport> Connect(uint16_t Port, uint64_t From = 1);

    // Moves the clock on; what falls due is then there for the transports' Poll.
    void Advance(uint32_t Millis) { Now += Millis; }
    uint64_t Millis() const { return Now; }
    LoopbackConditions Conditions;
    // Cut: every datagram is lost, reliable or not, until the cut is lifted.
    bool Cut = false;

    // Every send of this transport (one of this network's) fails from now on, as ENet's does when
    // it cannot queue a packet.
    void BreakSends(Transport &End);
    // Every reliable datagram this transport sends from now on arrives Millis later, as ENet's
    // resends do once a bad network (or a stale acknowledgement) has swollen its round trip.
    void SlowReliable(Transport &End, uint32_t Millis);

    // What the network did.
    int64_t Dropped = 0, Duplicated = 0, Corrupted = 0, Delivered = 0;

  private:
    friend class LoopbackEnd;
    struct Datagram;
    struct Connection;
    void Carry(Connection &Link, int FromSide, int Type, const uint8_t *Bytes, size_t Size, bool Reliable);
    uint64_t ReliableDue(Connection &Link, int FromSide);
    uint64_t Jittered();
    bool Chance(double P);

    uint64_t Now = 0;
    uint64_t Order = 0;
    std::mt19937_64 Random;
    std::vector<LoopbackEnd *> Ends;
    std::vector<std::unique_ptr<Connection>> Links;
    std::vector<Datagram> InFlight;
};
