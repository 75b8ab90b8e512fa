#include "server/EnetSide.h"

#include <enet/enet.h>
#include <enet/time.h>

#include <arpa/inet.h>
#include <chrono>

namespace {

constexpr enet_uint8 ControlChannel = 0;
constexpr enet_uint8 InputChannel = 1;
constexpr size_t ChannelCount = 2;
constexpr auto Round = std::chrono::milliseconds(10);

std::string AddressText(const ENetAddress &A) {
    char Text[INET_ADDRSTRLEN] = "";
    in_addr In;
    In.s_addr = A.host;
    inet_ntop(AF_INET, &In, Text, sizeof Text);
    return Text;
}

PlayerId IdOf(ENetPeer *Peer) {
    return PlayerId(reinterpret_cast<uintptr_t>(Peer->data));
}

} // namespace

EnetSide::EnetSide(boost::asio::io_context &Loop, Lobby &Meeting, Metrics &Counts, AddressLimits &Limits)
    : Loop(Loop), Meeting(Meeting), Counts(Counts), Limits(Limits), Socket(Loop), Timer(Loop) {}

EnetSide::~EnetSide() {
    Shut();
}

bool EnetSide::Open(const std::string &Listen, uint16_t Port, int MaxPeers, std::string &Error) {
    Shutting = false;
    if (enet_initialize() != 0) {
        Error = "the network could not be started";
        return false;
    }
    ENetAddress Address;
    Address.port = Port;
    if (Listen.empty()) {
        Address.host = ENET_HOST_ANY;
    } else if (enet_address_set_host_ip(&Address, Listen.c_str()) != 0) {
        Error = "not an IPv4 address: " + Listen;
        return false;
    }
    // Room for the players and for a few more to be told the server is full.
    Host = enet_host_create(&Address, size_t(MaxPeers) + 64, ChannelCount, 0, 0);
    if (Host == nullptr) {
        Error = "cannot listen on UDP port " + std::to_string(Port) + " (is it in use?)";
        return false;
    }
    Host->checksum = enet_crc32;
    // No message of the game is bigger than half a kilobyte: a stranger's huge packet is refused by
    // ENet before it is reassembled, and what one peer may keep waiting is small.
    Host->maximumPacketSize = 4096;
    Host->maximumWaitingData = 64 * 1024;
    Socket.assign(int(Host->socket));
    Watch();
    Arm();
    return true;
}

void EnetSide::Watch() {
    Socket.async_wait(boost::asio::posix::stream_descriptor::wait_read,
                      [this](const boost::system::error_code &E) {
                          if (E || Host == nullptr) {
                              return;
                          }
                          Service();
                          Watch();
                      });
}

void EnetSide::Arm() {
    Timer.expires_after(Round);
    Timer.async_wait([this](const boost::system::error_code &E) {
        if (E || Host == nullptr) {
            return;
        }
        Service();
        // The connections ENet still hears from (its pings included) are alive for the Lobby.
        const auto Now = Lobby::Clock::now();
        for (auto &[Id, P] : Peers) {
            if (ENET_TIME_DIFFERENCE(Host->serviceTime, P.Enet->lastReceiveTime) < 1000) {
                P.Alive = Now;
                Meeting.Heard(Id, Now);
            }
        }
        Arm();
    });
}

void EnetSide::Service() {
    ENetEvent Event;
    // One service round receives what waits on the socket and sends what is queued for every peer;
    // the events it leaves are then taken without another round, which would walk every peer again.
    // A message's time in the server is counted from the round that received it to its flush.
    for (;;) {
        const auto Arrived = Lobby::Clock::now();
        uint64_t Relayed = 0;
        if (Host == nullptr || enet_host_service(Host, &Event, 0) <= 0) {
            break;
        }
        do {
            Handle(Event, Arrived, Relayed);
        } while (Host != nullptr && enet_host_check_events(Host, &Event) > 0);
        Flush();
        if (Relayed != 0) {
            Counts.RelayDelay(std::chrono::duration<double>(Lobby::Clock::now() - Arrived).count(), Relayed);
        }
    }
    Flush();
}

void EnetSide::Handle(ENetEvent &Event, Lobby::Clock::time_point Arrived, uint64_t &Relayed) {
    switch (Event.type) {
    case ENET_EVENT_TYPE_CONNECT: {
        const std::string From = AddressText(Event.peer->address);
        const PlayerId Id = NextId;
        NextId += 2;
        Event.peer->data = reinterpret_cast<void *>(uintptr_t(Id));
        Peers[Id] = Peer{Event.peer, Arrived};
        enet_peer_timeout(Event.peer, 0, 5000, 5000);
        // As in the game: every input goes out, whatever the round trips do.
        enet_peer_throttle_configure(Event.peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
        if (Shutting || !Limits.Admit(From)) {
            Counts.Refuse(Shutting ? "stopping" : "connections");
            enet_peer_disconnect_now(Event.peer, 0);
            Peers.erase(Id);
            break;
        }
        Counts.PlayersConnected++;
        Meeting.Join(Id, From, Arrived);
        break;
    }
    case ENET_EVENT_TYPE_RECEIVE: {
        const PlayerId Id = IdOf(Event.peer);
        if (Peers.count(Id) != 0) {
            const bool Reliable = (Event.packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0;
            if (Meeting.Receive(Id, Event.packet->data, Event.packet->dataLength, Reliable, Arrived)) {
                Relayed++;
            }
        }
        enet_packet_destroy(Event.packet);
        break;
    }
    case ENET_EVENT_TYPE_DISCONNECT: {
        const PlayerId Id = IdOf(Event.peer);
        auto It = Peers.find(Id);
        if (It != Peers.end()) {
            // A peer that said goodbye was heard a moment ago; one ENet gave up on was not.
            const bool Lost = Arrived - It->second.Alive > std::chrono::seconds(2);
            Peers.erase(It);
            Counts.PlayersConnected--;
            Limits.Release(AddressText(Event.peer->address));
            Meeting.Leave(Id, Lost);
        }
        Event.peer->data = nullptr;
        break;
    }
    case ENET_EVENT_TYPE_NONE:
        break;
    }
}

void EnetSide::Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable) {
    auto It = Peers.find(To);
    if (It == Peers.end()) {
        return;
    }
    ENetPacket *Packet =
        enet_packet_create(Bytes, Size, Reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (Packet != nullptr &&
        enet_peer_send(It->second.Enet, Reliable ? ControlChannel : InputChannel, Packet) != 0) {
        enet_packet_destroy(Packet);
    }
    Dirty = true;
}

size_t EnetSide::Backlog(PlayerId Who) const {
    auto It = Peers.find(Who);
    if (It == Peers.end()) {
        return 0;
    }
    ENetPeer *P = It->second.Enet;
    return enet_list_size(&P->outgoingCommands) + enet_list_size(&P->sentReliableCommands);
}

void EnetSide::Close(PlayerId Who) {
    auto It = Peers.find(Who);
    if (It != Peers.end()) {
        // Its disconnection event still comes, and releases the address then.
        enet_peer_disconnect_later(It->second.Enet, 0);
        Dirty = true;
    }
}

void EnetSide::Flush() {
    if (Dirty && Host != nullptr) {
        enet_host_flush(Host);
        Dirty = false;
    }
}

void EnetSide::Shut() {
    Shutting = true;
    if (Host == nullptr) {
        return;
    }
    Flush();
    Timer.cancel();
    Socket.cancel();
    Socket.release(); // ENet closes its own socket
    enet_host_destroy(Host);
    Host = nullptr;
    Peers.clear();
}
