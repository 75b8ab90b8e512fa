#include "net/EnetTransport.h"

#include <chrono>
#include <mutex>
#include <thread>

#include <enet/enet.h>

namespace {

constexpr enet_uint8 ReliableChannel = 0;
constexpr enet_uint8 UnreliableChannel = 1;
constexpr size_t ChannelCount = 2;
// The largest datagram the game sends, with room to spare; ENet refuses larger ones from a peer.
constexpr size_t LargestPacket = 512;
// What one peer may have waiting to be read before ENet stops taking more from it.
constexpr size_t WaitingBytes = 64 * 1024;
// How long the goodbye, and what was queued before it, may take to be acknowledged: on a bad
// network a few resends. A machine that leaves must not take the other's last messages with it.
constexpr uint32_t GoodbyeMillis = 3000;

bool Started = false;

bool StartEnet(std::string &Error) {
    if (!Started && enet_initialize() != 0) {
        Error = "the network could not be started";
        return false;
    }
    Started = true;
    return true;
}

ENetHost *CreateHost(const ENetAddress *Address, size_t Peers) {
    ENetHost *Host = enet_host_create(Address, Peers, ChannelCount, 0, 0);
    if (Host != nullptr) {
        // Every datagram carries a CRC-32: a datagram damaged on its way, or forged by someone off
        // the path who cannot see the session's traffic, is dropped by ENet before it touches the
        // connection. It is no signature: anyone on the same network, who sees the datagrams, can
        // compute it and forge datagrams that pass.
        Host->checksum = enet_crc32;
        Host->maximumPacketSize = LargestPacket;
        Host->maximumWaitingData = WaitingBytes;
    }
    return Host;
}

PeerId IdOf(const ENetPeer *Peer) {
    return PeerId(reinterpret_cast<uintptr_t>(Peer->data));
}

} // namespace

// The lookup's thread writes here; the transport may be gone by the time it finishes.
struct EnetTransport::Lookup {
    std::mutex Lock;
    bool Done = false;
    bool Found = false;
    ENetAddress Address{};
};

std::unique_ptr<EnetTransport> EnetTransport::Listen(uint16_t Port, std::string &Error) {
    if (!StartEnet(Error)) {
        return nullptr;
    }
    ENetAddress Address;
    Address.host = ENET_HOST_ANY;
    Address.port = Port;
    std::unique_ptr<EnetTransport> Net(new EnetTransport);
    Net->Self = CreateHost(&Address, HostPeers);
    if (Net->Self == nullptr) {
        Error = "cannot listen on UDP port " + std::to_string(Port) + " (is it in use?)";
        return nullptr;
    }
    return Net;
}

std::unique_ptr<EnetTransport> EnetTransport::Connect(const std::string &Host, uint16_t Port, std::string &Error) {
    if (!StartEnet(Error)) {
        return nullptr;
    }
    std::unique_ptr<EnetTransport> Net(new EnetTransport);
    Net->Self = CreateHost(nullptr, 1);
    if (Net->Self == nullptr) {
        Error = "cannot open a UDP socket";
        return nullptr;
    }
    Net->Port = Port;
    Net->Pending = Net->NextId++;
    Net->Resolving = std::make_shared<Lookup>();
    std::thread([Name = Host, Result = Net->Resolving] {
        ENetAddress Address{};
        const bool Found = enet_address_set_host(&Address, Name.c_str()) == 0;
        const std::lock_guard<std::mutex> Hold(Result->Lock);
        Result->Found = Found;
        Result->Address = Address;
        Result->Done = true;
    }).detach();
    return Net;
}

// Once the host's name is known, the connection starts.
bool EnetTransport::StartConnecting() {
    if (Resolving == nullptr) {
        return true;
    }
    ENetAddress Address;
    {
        const std::lock_guard<std::mutex> Hold(Resolving->Lock);
        if (!Resolving->Done) {
            return false;
        }
        if (!Resolving->Found) {
            Trouble = "unknown host";
            Resolving.reset();
            LostSoon.push_back(Pending);
            return false;
        }
        Address = Resolving->Address;
    }
    Resolving.reset();
    Address.port = Port;
    ENetPeer *Peer = enet_host_connect(Self, &Address, ChannelCount, 0);
    if (Peer == nullptr) {
        Trouble = "cannot connect";
        LostSoon.push_back(Pending);
        return false;
    }
    Peer->data = reinterpret_cast<void *>(uintptr_t(Pending));
    // The first knock is resent after 200 ms, not ENet's 500, and sooner each time after: a lost
    // knock or two on a bad network costs a fraction of a second, not the guest's patience.
    Peer->roundTripTime = 100;
    Peer->roundTripTimeVariance = 25;
    Peers[Pending] = Peer;
    return true;
}

EnetTransport::~EnetTransport() {
    Close();
}

ENetPeer *EnetTransport::Find(PeerId Peer) const {
    const auto It = Peers.find(Peer);
    return It != Peers.end() ? It->second : nullptr;
}

void EnetTransport::Lose(PeerId Peer) {
    if (ENetPeer *Gone = Find(Peer)) {
        Gone->data = nullptr;
        enet_peer_reset(Gone);
        Peers.erase(Peer);
        LostSoon.push_back(Peer);
    }
}

NetEvent EnetTransport::Poll(uint32_t Millis) {
    NetEvent Out;
    if (Self == nullptr) {
        return Out;
    }
    StartConnecting();
    if (!LostSoon.empty()) {
        Out.Type = NetEvent::Kind::Lost;
        Out.Peer = LostSoon.front();
        LostSoon.pop_front();
        return Out;
    }
    ENetEvent Event;
    uint32_t Wait = Millis;
    while (enet_host_service(Self, &Event, Wait) > 0) {
        Wait = 0;
        switch (Event.type) {
        case ENET_EVENT_TYPE_CONNECT: {
            PeerId Id = IdOf(Event.peer);
            if (Id == NoPeer) {
                Id = NextId++;
                Event.peer->data = reinterpret_cast<void *>(uintptr_t(Id));
                Peers[Id] = Event.peer;
            }
            if (Id == Pending) {
                Pending = NoPeer;
            }
            // A connection whose reliable messages go unacknowledged for a while is not given up
            // here: a bad network can take many seconds of resends while its unreliable datagrams
            // still arrive. ENet takes a round trip from every acknowledgement, also from one of a
            // datagram that came again late, so a few stale ones can stretch its resend time to
            // seconds, and two lost resends past 15 s would end a match that is still being
            // played. The session notices real silence itself, after 5 s; this only ends a
            // connection nobody is watching any more.
            enet_peer_timeout(Event.peer, 0, 30000, 60000);
            // Every unreliable datagram goes out. ENet's throttle drops unreliable packets whenever
            // a round trip comes back slower than the last, and a few slow ones in a row (a busy
            // machine, a stale datagram's acknowledgement) would silence the inputs until the
            // session counted as lost. The inputs are tiny and each repeats the unacknowledged ones,
            // so there is nothing for the throttle to save.
            enet_peer_throttle_configure(Event.peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
            Out.Type = NetEvent::Kind::Connected;
            Out.Peer = Id;
            return Out;
        }
        case ENET_EVENT_TYPE_RECEIVE: {
            const PeerId Id = IdOf(Event.peer);
            if (Id != NoPeer) {
                Out.Type = NetEvent::Kind::Received;
                Out.Peer = Id;
                Out.Bytes.assign(Event.packet->data, Event.packet->data + Event.packet->dataLength);
            }
            enet_packet_destroy(Event.packet);
            if (Id != NoPeer) {
                return Out;
            }
            break;
        }
        case ENET_EVENT_TYPE_DISCONNECT: {
            const PeerId Id = IdOf(Event.peer);
            Event.peer->data = nullptr;
            if (Id != NoPeer) {
                Peers.erase(Id);
                if (Id == Pending) {
                    Pending = NoPeer;
                    Trouble = "nobody answered";
                }
                Out.Type = NetEvent::Kind::Lost;
                Out.Peer = Id;
                return Out;
            }
            break;
        }
        case ENET_EVENT_TYPE_NONE:
            break;
        }
    }
    return Out;
}

bool EnetTransport::Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) {
    ENetPeer *To = Find(Peer);
    if (To == nullptr || To->state != ENET_PEER_STATE_CONNECTED) {
        return false;
    }
    ENetPacket *Packet =
        enet_packet_create(Bytes, Size, Reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (Packet == nullptr) {
        Lose(Peer);
        return false;
    }
    if (enet_peer_send(To, Reliable ? ReliableChannel : UnreliableChannel, Packet) != 0) {
        // Not queued: ENet left the packet to us. A connection that cannot take a message any
        // more is over; nothing is counted as sent that was not.
        enet_packet_destroy(Packet);
        Lose(Peer);
        return false;
    }
    enet_host_flush(Self);
    return true;
}

void EnetTransport::Drop(PeerId Peer, bool Goodbye) {
    ENetPeer *Gone = Find(Peer);
    if (Gone == nullptr) {
        return;
    }
    Peers.erase(Peer);
    Gone->data = nullptr;
    if (Goodbye) {
        enet_peer_disconnect_later(Gone, 0);
        enet_host_flush(Self);
    } else {
        enet_peer_reset(Gone);
    }
}

void EnetTransport::Close(bool Linger) {
    if (Self == nullptr) {
        return;
    }
    bool Waiting = false;
    for (const auto &Each : Peers) {
        if (Each.second->state == ENET_PEER_STATE_CONNECTED && !Linger) {
            enet_peer_disconnect(Each.second, 0);
        } else if (Each.second->state == ENET_PEER_STATE_CONNECTED) {
            enet_peer_disconnect_later(Each.second, 0);
            Waiting = true;
        } else {
            // Still connecting: there is nobody yet to say goodbye to.
            Each.second->data = nullptr;
            enet_peer_reset(Each.second);
        }
    }
    Peers.clear();
    enet_host_flush(Self);
    // A moment for the goodbyes and what was queued before them to leave and be acknowledged.
    const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(GoodbyeMillis);
    ENetEvent Event;
    while (Waiting && std::chrono::steady_clock::now() < Until && enet_host_service(Self, &Event, 10) >= 0) {
        if (Event.type == ENET_EVENT_TYPE_RECEIVE) {
            enet_packet_destroy(Event.packet);
        }
        Waiting = false;
        for (size_t I = 0; I < Self->peerCount; ++I) {
            const ENetPeerState State = Self->peers[I].state;
            Waiting = Waiting || State == ENET_PEER_STATE_CONNECTED || State == ENET_PEER_STATE_DISCONNECT_LATER ||
                      State == ENET_PEER_STATE_DISCONNECTING;
        }
    }
    // What went through it stays counted after it is gone.
    SentBefore = Self->totalSentData;
    ReceivedBefore = Self->totalReceivedData;
    enet_host_destroy(Self);
    Self = nullptr;
}

bool EnetTransport::Connected(PeerId Peer) const {
    const ENetPeer *To = Find(Peer);
    return To != nullptr && To->state == ENET_PEER_STATE_CONNECTED;
}

uint64_t EnetTransport::Address(PeerId Peer) const {
    const ENetPeer *From = Find(Peer);
    return From != nullptr ? uint64_t(From->address.host) : 0;
}

uint32_t EnetTransport::RoundTripMillis(PeerId Peer) const {
    const ENetPeer *To = Find(Peer);
    return To != nullptr ? To->roundTripTime : 0;
}

intptr_t EnetTransport::Socket() const {
    return Self != nullptr ? intptr_t(Self->socket) : -1;
}

uint64_t EnetTransport::BytesSent() const {
    return Self != nullptr ? Self->totalSentData : SentBefore;
}

uint64_t EnetTransport::BytesReceived() const {
    return Self != nullptr ? Self->totalReceivedData : ReceivedBefore;
}

uint64_t EnetTransport::Millis() const {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
