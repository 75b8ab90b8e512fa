// The transport between two real machines: ENet over UDP. Reliable datagrams travel in order on one
// channel, unreliable ones unsequenced on another.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

#include "net/Transport.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;

class EnetTransport final : public Transport {
  public:
    // Room for the guest and for strangers knocking at once: a few silent or forged connections
    // cannot fill it.
    static constexpr size_t HostPeers = 32;

    ~EnetTransport() override;

    // A host: waits on a UDP port for whoever connects.
    static std::unique_ptr<EnetTransport> Listen(uint16_t Port, std::string &Error);
    // A guest: looks the host's name up in a thread of its own (a slow name server never freezes a
    // window) and connects. The connection's one peer comes as Connected, or as Lost when the name
    // is unknown or nobody answers; Problem() then says which.
    static std::unique_ptr<EnetTransport> Connect(const std::string &Host, uint16_t Port, std::string &Error);

    NetEvent Poll(uint32_t Millis) override;
    bool Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) override;
    using Transport::Send;
    void Drop(PeerId Peer, bool Goodbye) override;
    void Close(bool Linger = true) override;
    bool Connected(PeerId Peer) const override;
    uint64_t Address(PeerId Peer) const override;
    uint32_t RoundTripMillis(PeerId Peer) const override;
    intptr_t Socket() const override;
    uint64_t BytesSent() const override;
    uint64_t BytesReceived() const override;
    uint64_t Millis() const override;

    // Why a guest's connection never came about: "" while it may, or once it did.
    const std::string &Problem() const { return Trouble; }

  private:
    struct Lookup;
    EnetTransport() = default;
    bool StartConnecting();
    void Lose(PeerId Peer);
    ENetPeer *Find(PeerId Peer) const;

    ENetHost *Self = nullptr;
    uint64_t SentBefore = 0, ReceivedBefore = 0; // counted when it was closed
    std::unordered_map<PeerId, ENetPeer *> Peers; // the live ones
    std::deque<PeerId> LostSoon;                  // peers given up on here, to be reported Lost
    PeerId NextId = 1;
    std::shared_ptr<Lookup> Resolving; // a guest's host-name lookup under way
    uint16_t Port = 0;
    PeerId Pending = NoPeer; // a guest's peer, before it has connected
    std::string Trouble;
};
