#include "net/Link.h"

#include <enet/enet.h>

namespace {

constexpr enet_uint8 ControlChannel = 0;
constexpr enet_uint8 InputChannel = 1;
constexpr size_t ChannelCount = 2;

bool Started = false;

bool StartEnet(std::string &Error) {
    if (!Started && enet_initialize() != 0) {
        Error = "the network could not be started";
        return false;
    }
    Started = true;
    return true;
}

} // namespace

NetLink::~NetLink() {
    Close();
}

bool NetLink::Listen(uint16_t Port, std::string &Error) {
    if (!StartEnet(Error)) {
        return false;
    }
    ENetAddress Address;
    Address.host = ENET_HOST_ANY;
    Address.port = Port;
    // Room for the guest and for strangers to be refused.
    Self = enet_host_create(&Address, 4, ChannelCount, 0, 0);
    if (Self == nullptr) {
        Error = "cannot listen on UDP port " + std::to_string(Port) + " (is it in use?)";
        return false;
    }
    Hosting = true;
    // Every datagram carries a CRC-32: a corrupted or forged one is dropped by ENet before it can
    // touch the connection's state.
    Self->checksum = enet_crc32;
    return true;
}

bool NetLink::Connect(const std::string &Host, uint16_t Port, std::string &Error) {
    if (!StartEnet(Error)) {
        return false;
    }
    ENetAddress Address;
    if (enet_address_set_host(&Address, Host.c_str()) != 0) {
        Error = "cannot find the host " + Host;
        return false;
    }
    Address.port = Port;
    Self = enet_host_create(nullptr, 1, ChannelCount, 0, 0);
    if (Self == nullptr) {
        Error = "cannot open a UDP socket";
        return false;
    }
    Self->checksum = enet_crc32;
    if (enet_host_connect(Self, &Address, ChannelCount, 0) == nullptr) {
        Error = "cannot connect to " + Host;
        return false;
    }
    return true;
}

NetLink::Happening NetLink::Poll(uint32_t Millis, Wire::Message &In) {
    if (Self == nullptr) {
        return Happening::Nothing;
    }
    ENetEvent Event;
    uint32_t Wait = Millis;
    while (enet_host_service(Self, &Event, Wait) > 0) {
        Wait = 0;
        switch (Event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (Partner == nullptr) {
                Partner = Event.peer;
                // Faster notice of a silent partner than ENet's default, which waits half a minute.
                enet_peer_timeout(Partner, 0, 3000, 5000);
                // Every input message goes out. ENet's throttle drops unreliable packets whenever a
                // round trip comes back slower than the last, and a few slow ones in a row (a busy
                // machine, a stale datagram's acknowledgement) would silence the inputs until the
                // session counted as lost. The inputs are tiny and each repeats the unacknowledged
                // ones, so there is nothing for the throttle to save.
                enet_peer_throttle_configure(Partner, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
                return Happening::Connected;
            }
            {
                // A third machine: told why, then let go. The match goes on.
                Wire::Message No;
                No.Type = Wire::Kind::Refuse;
                No.Reason = Wire::Refusal::Full;
                const std::vector<uint8_t> Bytes = Wire::Encode(No);
                enet_peer_send(Event.peer, ControlChannel,
                               enet_packet_create(Bytes.data(), Bytes.size(), ENET_PACKET_FLAG_RELIABLE));
                enet_peer_disconnect_later(Event.peer, 0);
            }
            break;
        case ENET_EVENT_TYPE_RECEIVE: {
            const bool FromPartner = Event.peer == Partner;
            const bool Valid = Wire::Decode(Event.packet->data, Event.packet->dataLength, In);
            enet_packet_destroy(Event.packet);
            if (FromPartner && Valid) {
                return Happening::Received;
            }
            break;
        }
        case ENET_EVENT_TYPE_DISCONNECT:
            if (Event.peer == Partner) {
                Partner = nullptr;
                return Happening::Lost;
            }
            break;
        case ENET_EVENT_TYPE_NONE:
            break;
        }
    }
    return Happening::Nothing;
}

void NetLink::Send(const Wire::Message &Out, bool Reliable) {
    if (Partner == nullptr) {
        return;
    }
    const std::vector<uint8_t> Bytes = Wire::Encode(Out);
    ENetPacket *Packet = enet_packet_create(
        Bytes.data(), Bytes.size(), Reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    enet_peer_send(Partner, Reliable ? ControlChannel : InputChannel, Packet);
    enet_host_flush(Self);
}

void NetLink::Close() {
    if (Self == nullptr) {
        return;
    }
    if (Partner != nullptr) {
        enet_peer_disconnect_later(Partner, 0);
        // A moment for the goodbye and what was queued before it to leave.
        ENetEvent Event;
        for (int Round = 0; Round < 20 && enet_host_service(Self, &Event, 10) >= 0; ++Round) {
            if (Event.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(Event.packet);
            }
            if (Event.type == ENET_EVENT_TYPE_DISCONNECT) {
                break;
            }
        }
        Partner = nullptr;
    }
    enet_host_destroy(Self);
    Self = nullptr;
}

intptr_t NetLink::Socket() const {
    return Self != nullptr ? intptr_t(Self->socket) : -1;
}

uint64_t NetLink::BytesSent() const {
    return Self != nullptr ? Self->totalSentData : 0;
}

uint64_t NetLink::BytesReceived() const {
    return Self != nullptr ? Self->totalReceivedData : 0;
}

uint32_t NetLink::RoundTripMillis() const {
    return Partner != nullptr ? Partner->roundTripTime : 0;
}
