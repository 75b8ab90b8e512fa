// The connection between the two machines, over ENet: control messages reliable and in order on one
// channel, inputs unreliable and unsequenced on another (each carries every input not yet
// acknowledged, so a lost one costs nothing). A third machine that knocks is refused.
#pragma once

#include <cstdint>
#include <string>

#include "net/Protocol.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

class NetLink {
  public:
    NetLink() = default;
    ~NetLink();
    NetLink(const NetLink &) = delete;
    NetLink &operator=(const NetLink &) = delete;

    // The host waits for one guest on a UDP port; the guest starts connecting to a host.
    bool Listen(uint16_t Port, std::string &Error);
    bool Connect(const std::string &Address, uint16_t Port, std::string &Error);

    enum class Happening { Nothing, Connected, Received, Lost };
    // Handles what arrives for up to Millis milliseconds, returning at the first thing that
    // matters. Malformed or foreign datagrams never get this far: ENet drops what is not its own,
    // and Decode what is not the game's.
    Happening Poll(uint32_t Millis, Wire::Message &In);
    void Send(const Wire::Message &Out, bool Reliable);
    // Says goodbye and lets the last messages leave.
    void Close();

    bool Connected() const { return Partner != nullptr; }
    intptr_t Socket() const;
    uint64_t BytesSent() const;
    uint64_t BytesReceived() const;
    uint32_t RoundTripMillis() const;

  private:
    ENetHost *Self = nullptr;
    ENetPeer *Partner = nullptr;
    bool Hosting = false;
};
