// The game's native players: one ENet host on the server's UDP port, its socket watched by the
// server's event loop, so datagrams are handled the moment they arrive and ENet's own timers (resends,
// pings, silence) run on a short steady timer beside them.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "server/Lobby.h"

typedef struct _ENetHost ENetHost;
typedef struct _ENetPeer ENetPeer;
typedef struct _ENetEvent ENetEvent;

class EnetSide {
  public:
    EnetSide(boost::asio::io_context &Loop, Lobby &Meeting, Metrics &Counts, AddressLimits &Limits);
    ~EnetSide();

    bool Open(const std::string &Listen, uint16_t Port, int MaxPeers, std::string &Error);
    // Players of this side have even ids.
    static bool Owns(PlayerId Id) { return Id % 2 == 0; }
    void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable);
    void Close(PlayerId Who);
    // Messages queued for the player and not yet acknowledged.
    size_t Backlog(PlayerId Who) const;
    // Lets what was queued leave now rather than at the next round.
    void Flush();
    void Shut();

  private:
    void Watch();
    void Arm();
    void Service();
    void Handle(ENetEvent &Event, Lobby::Clock::time_point Arrived, uint64_t &Relayed);

    boost::asio::io_context &Loop;
    Lobby &Meeting;
    Metrics &Counts;
    AddressLimits &Limits;
    ENetHost *Host = nullptr;
    boost::asio::posix::stream_descriptor Socket;
    boost::asio::steady_timer Timer;
    struct Peer {
        ENetPeer *Enet = nullptr;
        Lobby::Clock::time_point Alive; // when ENet last heard anything from it, pings included
    };
    std::unordered_map<PlayerId, Peer> Peers;
    PlayerId NextId = 2;
    bool Dirty = false;
    bool Shutting = false;
};
