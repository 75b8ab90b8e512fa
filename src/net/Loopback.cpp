#include "net/Loopback.h"

#include <algorithm>
#include <tuple>

namespace {

enum Type { ConnectRequest, Accepted, Data, Goodbye, Unreachable };
// How long a guest knocks where nobody listens before its connection is given up, as ENet does.
constexpr uint64_t KnockMillis = 5000;

} // namespace

struct LoopbackNetwork::Connection {
    LoopbackEnd *End[2] = {nullptr, nullptr}; // the guest's, the host's
    PeerId Id[2] = {NoPeer, NoPeer};          // the other side's number at each end
    bool Up[2] = {false, false};              // each end has seen it connected
    bool Gone[2] = {false, false};            // each end has let it go
    uint64_t LastReliable[2] = {0, 0};        // when the last reliable datagram from each side is due
    uint64_t From = 0;                        // the guest's machine
    uint16_t Port = 0;
};

struct LoopbackNetwork::Datagram {
    uint64_t Due, Order;
    Connection *Link;
    int ToSide;
    int Kind;
    std::vector<uint8_t> Bytes;
};

class LoopbackEnd final : public Transport {
  public:
    LoopbackEnd(LoopbackNetwork &Net, bool Hosting, uint16_t Port) : Net(Net), Hosting(Hosting), Port(Port) {}
    ~LoopbackEnd() override {
        Close();
        Net.Ends.erase(std::find(Net.Ends.begin(), Net.Ends.end(), this));
        for (auto &Link : Net.Links) {
            for (int Side = 0; Side < 2; ++Side) {
                if (Link->End[Side] == this) {
                    Link->End[Side] = nullptr;
                }
            }
        }
        Net.InFlight.erase(std::remove_if(Net.InFlight.begin(), Net.InFlight.end(),
                                          [this](const LoopbackNetwork::Datagram &D) {
                                              return D.Link->End[D.ToSide] == nullptr;
                                          }),
                           Net.InFlight.end());
    }

    NetEvent Poll(uint32_t) override {
        NetEvent Out;
        for (;;) {
            // The earliest datagram due for this end.
            auto Next = Net.InFlight.end();
            for (auto It = Net.InFlight.begin(); It != Net.InFlight.end(); ++It) {
                if (It->Due <= Net.Now && It->Link->End[It->ToSide] == this &&
                    (Next == Net.InFlight.end() || std::tie(It->Due, It->Order) < std::tie(Next->Due, Next->Order))) {
                    Next = It;
                }
            }
            if (Next == Net.InFlight.end()) {
                return Out;
            }
            const LoopbackNetwork::Datagram D = std::move(*Next);
            Net.InFlight.erase(Next);
            LoopbackNetwork::Connection &Link = *D.Link;
            const int Side = D.ToSide;
            if (Link.Gone[Side]) {
                continue;
            }
            Net.Delivered++;
            switch (D.Kind) {
            case ConnectRequest:
                if (Link.Id[Side] == NoPeer) {
                    Link.Id[Side] = NextId++;
                    Link.Up[Side] = true;
                    Net.Carry(Link, Side, Accepted, nullptr, 0, true);
                    Out.Type = NetEvent::Kind::Connected;
                    Out.Peer = Link.Id[Side];
                    return Out;
                }
                break;
            case Accepted:
                if (!Link.Up[Side]) {
                    Link.Up[Side] = true;
                    Out.Type = NetEvent::Kind::Connected;
                    Out.Peer = Link.Id[Side];
                    return Out;
                }
                break;
            case Data:
                if (Link.Up[Side]) {
                    Out.Type = NetEvent::Kind::Received;
                    Out.Peer = Link.Id[Side];
                    Out.Bytes = D.Bytes;
                    Received += D.Bytes.size();
                    return Out;
                }
                break;
            case Goodbye:
            case Unreachable:
                Link.Gone[Side] = true;
                Out.Type = NetEvent::Kind::Lost;
                Out.Peer = Link.Id[Side];
                return Out;
            }
        }
    }

    bool Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) override {
        LoopbackNetwork::Connection *Link = Find(Peer);
        if (Link == nullptr || !Connected(Peer)) {
            return false;
        }
        if (FailSends) {
            // A send that cannot be queued: the connection is over, here at once.
            Lose(*Link);
            return false;
        }
        Sent += Size;
        Net.Carry(*Link, Side(*Link), Data, Bytes, Size, Reliable);
        return true;
    }
    using Transport::Send;

    void Drop(PeerId Peer, bool Goodbye) override {
        if (LoopbackNetwork::Connection *Link = Find(Peer)) {
            Link->Gone[Side(*Link)] = true;
            if (Goodbye) {
                Net.Carry(*Link, Side(*Link), ::Goodbye, nullptr, 0, true);
            }
        }
    }

    void Close(bool = true) override {
        for (auto &Link : Net.Links) {
            const int Own = Link->End[0] == this ? 0 : Link->End[1] == this ? 1 : -1;
            if (Own >= 0 && !Link->Gone[Own]) {
                Drop(Link->Id[Own], true);
            }
        }
    }

    bool Connected(PeerId Peer) const override {
        const LoopbackNetwork::Connection *Link = Find(Peer);
        return Link != nullptr && Link->Up[Side(*Link)] && !Link->Gone[Side(*Link)];
    }
    uint64_t Address(PeerId Peer) const override {
        const LoopbackNetwork::Connection *Link = Find(Peer);
        return Link != nullptr ? Link->From : 0;
    }
    uint32_t RoundTripMillis(PeerId Peer) const override {
        return Find(Peer) != nullptr ? 2 * Net.Conditions.DelayMillis : 0;
    }
    uint64_t BytesSent() const override { return Sent; }
    uint64_t BytesReceived() const override { return Received; }
    uint64_t Millis() const override { return Net.Now; }

    // Every send fails from now on, as ENet's does when it cannot queue a packet.
    bool FailSends = false;
    uint32_t ReliableLate = 0; // milliseconds added to each reliable datagram sent

    LoopbackNetwork &Net;
    const bool Hosting;
    const uint16_t Port;
    PeerId NextId = 1;
    uint64_t Sent = 0, Received = 0;

  private:
    int Side(const LoopbackNetwork::Connection &Link) const { return Link.End[0] == this ? 0 : 1; }
    LoopbackNetwork::Connection *Find(PeerId Peer) const {
        for (auto &Link : Net.Links) {
            for (int Own = 0; Own < 2; ++Own) {
                if (Link->End[Own] == this && Link->Id[Own] == Peer && Peer != NoPeer) {
                    return Link.get();
                }
            }
        }
        return nullptr;
    }
    void Lose(LoopbackNetwork::Connection &Link) {
        LoopbackNetwork::Datagram Notice{Net.Now, Net.Order++, &Link, Side(Link), Unreachable, {}};
        Net.InFlight.push_back(std::move(Notice));
        Link.Up[Side(Link)] = false;
    }
};

LoopbackNetwork::LoopbackNetwork(uint64_t Seed, LoopbackConditions Chosen) : Conditions(Chosen), Random(Seed) {}

LoopbackNetwork::~LoopbackNetwork() = default;

std::unique_ptr<Transport> LoopbackNetwork::Listen(uint16_t Port) {
    auto End = std::make_unique<LoopbackEnd>(*this, true, Port);
    Ends.push_back(End.get());
    return End;
}

std::unique_ptr<Transport> LoopbackNetwork::Connect(uint16_t Port, uint64_t From) {
    auto End = std::make_unique<LoopbackEnd>(*this, false, Port);
    Ends.push_back(End.get());
    auto Link = std::make_unique<Connection>();
    Link->End[0] = End.get();
    Link->Id[0] = End->NextId++;
    Link->From = From;
    Link->Port = Port;
    for (LoopbackEnd *Host : Ends) {
        if (Host->Hosting && Host->Port == Port) {
            Link->End[1] = Host;
        }
    }
    if (Link->End[1] != nullptr) {
        Carry(*Link, 0, ConnectRequest, nullptr, 0, true);
    } else {
        InFlight.push_back(Datagram{Now + KnockMillis, Order++, Link.get(), 0, Unreachable, {}});
    }
    Links.push_back(std::move(Link));
    return End;
}

bool LoopbackNetwork::Chance(double P) {
    return P > 0 && std::uniform_real_distribution<double>(0, 1)(Random) < P;
}

uint64_t LoopbackNetwork::Jittered() {
    const int64_t Jitter = Conditions.JitterMillis == 0
                               ? 0
                               : std::uniform_int_distribution<int64_t>(-int64_t(Conditions.JitterMillis),
                                                                        int64_t(Conditions.JitterMillis))(Random);
    return Now + uint64_t(std::max<int64_t>(0, int64_t(Conditions.DelayMillis) + Jitter));
}

// A reliable datagram is sent again after each loss, a round trip and a little later, and never
// overtakes the one before it.
uint64_t LoopbackNetwork::ReliableDue(Connection &Link, int FromSide) {
    uint64_t Due = Jittered() + (Link.End[FromSide] != nullptr ? Link.End[FromSide]->ReliableLate : 0);
    while (Chance(Conditions.Loss) || Chance(Conditions.Corrupt)) {
        Dropped++;
        Due += 2 * Conditions.DelayMillis + Conditions.JitterMillis + 20;
    }
    Due = std::max(Due, Link.LastReliable[FromSide]);
    Link.LastReliable[FromSide] = Due;
    return Due;
}

void LoopbackNetwork::Carry(Connection &Link, int FromSide, int Kind, const uint8_t *Bytes, size_t Size,
                            bool Reliable) {
    const int ToSide = 1 - FromSide;
    if (Cut || Link.End[ToSide] == nullptr) {
        Dropped++;
        return;
    }
    std::vector<uint8_t> Copy(Bytes, Bytes + Size);
    if (Reliable) {
        InFlight.push_back(Datagram{ReliableDue(Link, FromSide), Order++, &Link, ToSide, Kind, std::move(Copy)});
        return;
    }
    if (Chance(Conditions.Loss)) {
        Dropped++;
        return;
    }
    if (Chance(Conditions.Corrupt)) {
        Corrupted++;
        return;
    }
    const int Copies = Chance(Conditions.Duplicate) ? 2 : 1;
    Duplicated += Copies - 1;
    for (int Each = 0; Each < Copies; ++Each) {
        InFlight.push_back(Datagram{Jittered(), Order++, &Link, ToSide, Kind, Copy});
    }
}

void LoopbackNetwork::BreakSends(Transport &End) {
    static_cast<LoopbackEnd &>(End).FailSends = true;
}

void LoopbackNetwork::SlowReliable(Transport &End, uint32_t Millis) {
    static_cast<LoopbackEnd &>(End).ReliableLate = Millis;
}
