// zorbump-load: many headless players in one process, each with its own UDP socket, meeting through
// a server and playing a session with the real protocol over the real transport (ENet, the relay,
// the one session of src/net): every player sends its input message each tick, as the game does,
// and a checksum each second. Matches are pairs of random players (quick match or a room). One
// JSON line at the end: matches played to the end, failed, stalled, the delay of the relayed input
// messages (from the sender's send to the arrival in the receiver's socket, as the kernel stamps it,
// one clock for both) and the messages per second that arrived.
//   zorbump-load --server HOST:PORT --matches N --seconds S
#include <linux/sockios.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "match/Match.h"
#include "net/EnetTransport.h"
#include "net/Meeting.h"
#include "net/RelayTransport.h"
#include "net/Session.h"

namespace {

using Clock = std::chrono::steady_clock;
// The kernel stamps each datagram's arrival in the wall clock: a message's trip is timed in it, so
// that this process's own lateness in reading its sockets is not counted as the relay's.
using Wall = std::chrono::system_clock;
using SendTimes = std::unordered_map<int32_t, Wall::time_point>;
constexpr auto TickTime = std::chrono::milliseconds(33);
constexpr auto StallTime = std::chrono::milliseconds(1000); // nothing heard this long in a match
constexpr auto SweepTime = std::chrono::milliseconds(50);   // ENet's own timers, per player
constexpr auto MeetTime = std::chrono::seconds(20);

struct Player {
    std::unique_ptr<RelayTransport> Relay;
    std::unique_ptr<NetSession> Session;
    int Match = 0;
    int32_t Frame = 0;
    Clock::time_point NextTick, NextSweep, LastHeard;
    std::mt19937 Keys;
    bool Stalled = false, Failed = false;
};

struct Options {
    std::string Host;
    uint16_t Port = 0;
    int Matches = 0;
    double Seconds = 0;
    int Threads = 1;
};

// One thread's share of the matches while they play: both players of each of its matches, and what
// it measured of them.
struct Share {
    std::vector<int> Players;
    std::vector<float> Delays;
    uint64_t Arrived = 0;
};

[[noreturn]] void Usage(const char *Why) {
    std::fprintf(
        stderr,
        "zorbump-load: %s\nusage: zorbump-load --server HOST:PORT --matches N --seconds S [--threads T]\n",
        Why);
    std::exit(2);
}

Options Parse(int Argc, char **Argv) {
    Options O;
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        if (I + 1 >= Argc) {
            Usage(("missing value for " + Arg).c_str());
        }
        const std::string Value = Argv[++I];
        if (Arg == "--server") {
            const size_t Colon = Value.rfind(':');
            if (Colon == std::string::npos || Colon == 0) {
                Usage("--server needs HOST:PORT");
            }
            O.Host = Value.substr(0, Colon);
            O.Port = uint16_t(std::atoi(Value.c_str() + Colon + 1));
        } else if (Arg == "--matches") {
            O.Matches = std::atoi(Value.c_str());
        } else if (Arg == "--seconds") {
            O.Seconds = std::atof(Value.c_str());
        } else if (Arg == "--threads") {
            O.Threads = std::atoi(Value.c_str());
        } else {
            Usage(("unknown option " + Arg).c_str());
        }
    }
    if (O.Host.empty() || O.Port == 0 || O.Matches < 1 || O.Seconds <= 0) {
        Usage("--server, --matches and --seconds are needed");
    }
    if (O.Threads < 1 || O.Threads > 64) {
        Usage("--threads is 1 to 64");
    }
    return O;
}

// One thread's matches, played until PlayUntil: each player sends its input every tick (and a
// checksum each second) and takes what arrives, timing the trip of every input.
void Play(Share &S, std::vector<Player> &Players, std::vector<SendTimes> &SentAt,
          Clock::time_point PlayUntil) {
    const int Epoll = epoll_create1(0);
    for (int I : S.Players) {
        epoll_event E{};
        E.events = EPOLLIN;
        E.data.u32 = uint32_t(I);
        epoll_ctl(Epoll, EPOLL_CTL_ADD, int(Players[size_t(I)].Relay->Socket()), &E);
        // The first question about a socket's stamps turns stamping on for its later datagrams.
        timespec Stamp{};
        ioctl(int(Players[size_t(I)].Relay->Socket()), SIOCGSTAMPNS, &Stamp);
    }
    // When the last datagram read from a player's socket arrived there. A read that took several
    // gives the last one's time to all: a trip is never counted shorter than it was.
    auto ArrivedAt = [&](const Player &P) {
        timespec Stamp{};
        if (ioctl(int(P.Relay->Socket()), SIOCGSTAMPNS, &Stamp) != 0) {
            return Wall::now();
        }
        return Wall::time_point(std::chrono::duration_cast<Wall::duration>(
            std::chrono::seconds(Stamp.tv_sec) + std::chrono::nanoseconds(Stamp.tv_nsec)));
    };
    auto Handle = [&](int I) {
        Player &P = Players[size_t(I)];
        if (P.Session == nullptr || P.Failed) {
            return;
        }
        P.Session->Service(0);
        Wire::Message In;
        const auto Now = Clock::now();
        std::optional<Wall::time_point> Arrival; // asked of the socket only when an input is timed
        while (P.Session->Take(In, 0xFFFF)) {
            S.Arrived++;
            if (Now - P.LastHeard > StallTime && P.Frame > 0) {
                P.Stalled = true;
            }
            P.LastHeard = Now;
            if (In.Type == Wire::Kind::Inputs && Now < PlayUntil) {
                auto &Times = SentAt[size_t(P.Match)];
                const auto It = Times.find(In.SenderFrame * 2 + (P.Session->Hosting() ? 1 : 0));
                if (It != Times.end()) {
                    if (!Arrival) {
                        Arrival = ArrivedAt(P);
                    }
                    S.Delays.push_back(
                        std::chrono::duration<float, std::milli>(*Arrival - It->second).count());
                    Times.erase(It);
                }
            }
        }
        if (P.Session->Stage() == NetSession::Stages::Over) {
            P.Failed = true;
        }
    };
    while (Clock::now() < PlayUntil) {
        epoll_event Ready[256];
        const int N = epoll_wait(Epoll, Ready, 256, 1);
        for (int K = 0; K < N; ++K) {
            Handle(int(Ready[K].data.u32));
        }
        const auto Now = Clock::now();
        for (int I : S.Players) {
            Player &P = Players[size_t(I)];
            if (P.Session == nullptr || P.Failed) {
                continue;
            }
            // Each player's turn for ENet's timers (acknowledgements, resends, pings) comes at its
            // own moment, spread like the ticks: a sweep of every player at once would hold back
            // the arrivals behind it for milliseconds, and count that as the relay's delay.
            if (Now >= P.NextSweep) {
                P.NextSweep += SweepTime;
                Handle(I);
                if (P.Session->Stage() == NetSession::Stages::Agreed && Now - P.LastHeard > StallTime &&
                    P.Frame > 0) {
                    P.Stalled = true;
                }
            }
            if (Now < P.NextTick || P.Session->Stage() != NetSession::Stages::Agreed) {
                continue;
            }
            P.NextTick += TickTime;
            // This tick's input and the two before, as the game repeats what is not acknowledged.
            Wire::Message Out;
            Out.Type = Wire::Kind::Inputs;
            Out.Screen = 1;
            Out.SenderFrame = ++P.Frame;
            Out.First = std::max(0, P.Frame - 3);
            Out.Count = uint8_t(P.Frame - Out.First);
            for (int J = 0; J < Out.Count; ++J) {
                Out.Inputs[J] = PadInput(P.Keys() & 0x1F);
            }
            Out.Ack = std::max(0, P.Frame - 2);
            SentAt[size_t(P.Match)][P.Frame * 2 + (P.Session->Hosting() ? 0 : 1)] = Wall::now();
            P.Session->Send(Out, false);
            if (P.Frame % 30 == 0) {
                Wire::Message Sum;
                Sum.Type = Wire::Kind::Checksum;
                Sum.Screen = 1;
                Sum.Frame = P.Frame - 10;
                Sum.Value = uint32_t(P.Match);
                P.Session->Send(Sum, true);
            }
        }
    }
    close(Epoll);
}

double Percentile(std::vector<float> &Values, double Share) {
    if (Values.empty()) {
        return 0;
    }
    const size_t At = std::min(Values.size() - 1, size_t(Share * double(Values.size())));
    std::nth_element(Values.begin(), Values.begin() + long(At), Values.end());
    return Values[At];
}

} // namespace

int main(int Argc, char **Argv) {
    const Options O = Parse(Argc, Argv);
    const uint32_t Build = SimulationFingerprint();
    std::mt19937 Random(std::random_device{}());
    const int Count = O.Matches * 2;
    std::vector<Player> Players(static_cast<size_t>(Count));
    // When each player's input of each tick left, to measure its trip on arrival.
    std::vector<SendTimes> SentAt;

    const int Epoll = epoll_create1(0);
    std::string Error;
    // Half the matches meet in rooms, half by quick match; players come in a random order.
    std::vector<int> Order(static_cast<size_t>(Count));
    for (int I = 0; I < Count; ++I) {
        Order[size_t(I)] = I;
    }
    std::shuffle(Order.begin(), Order.end(), Random);
    // Room hosts wait for their friend: the other half of the room players, who join by the code
    // once it is known.
    std::vector<bool> IsRoomGuest(static_cast<size_t>(Count), false);
    std::unordered_map<int, int> GuestOf; // room host -> its guest
    for (int I = O.Matches; I + 1 < Count; I += 2) {
        GuestOf[I] = I + 1;
        IsRoomGuest[size_t(I + 1)] = true;
    }
    const auto Start = Clock::now();
    for (int I = 0; I < Count; ++I) {
        Player &P = Players[size_t(I)];
        P.Keys.seed(uint32_t(Random()));
        if (IsRoomGuest[size_t(I)]) {
            continue; // connects once its host has a code
        }
        auto ToServer = EnetTransport::Connect(O.Host, O.Port, Error);
        if (ToServer == nullptr) {
            std::fprintf(stderr, "zorbump-load: %s\n", Error.c_str());
            return 1;
        }
        Meeting::Message Ask;
        Ask.Type = Meeting::Kind::Ask;
        Ask.Wanted = I < O.Matches ? Meeting::Want::Quick : Meeting::Want::NewRoom;
        Ask.Protocol = Wire::ProtocolVersion;
        Ask.Fingerprint = Build;
        P.Relay = std::make_unique<RelayTransport>(std::move(ToServer), Ask, O.Host);
        epoll_event E{};
        E.events = EPOLLIN;
        E.data.u32 = uint32_t(I);
        epoll_ctl(Epoll, EPOLL_CTL_ADD, int(P.Relay->Socket()), &E);
    }
    const auto Deadline = Start + MeetTime;
    // 1. Everyone meets.
    for (bool Waiting = true; Waiting && Clock::now() < Deadline;) {
        Waiting = false;
        for (int I : Order) {
            Player &P = Players[size_t(I)];
            if (P.Relay == nullptr) {
                Waiting = true;
                continue; // a room's guest waits for its host's code
            }
            if (P.Session != nullptr || P.Failed) {
                continue;
            }
            const auto Stage = P.Relay->Meeting(0);
            if (Stage == RelayTransport::Meet::Failed) {
                P.Failed = true;
                continue;
            }
            auto Friend = GuestOf.find(I);
            if (Friend != GuestOf.end() && !P.Relay->Code().empty()) {
                Player &G = Players[size_t(Friend->second)];
                if (G.Relay == nullptr) {
                    Meeting::Message Ask;
                    Ask.Type = Meeting::Kind::Ask;
                    Ask.Wanted = Meeting::Want::JoinRoom;
                    std::copy(P.Relay->Code().begin(), P.Relay->Code().end(), Ask.Room.begin());
                    Ask.Protocol = Wire::ProtocolVersion;
                    Ask.Fingerprint = Build;
                    G.Relay = std::make_unique<RelayTransport>(EnetTransport::Connect(O.Host, O.Port, Error),
                                                               Ask, O.Host);
                    epoll_event E{};
                    E.events = EPOLLIN;
                    E.data.u32 = uint32_t(Friend->second);
                    epoll_ctl(Epoll, EPOLL_CTL_ADD, int(G.Relay->Socket()), &E);
                }
            }
            if (Stage == RelayTransport::Meet::Waiting) {
                Waiting = true;
                continue;
            }
            Wire::Message Offer;
            Offer.People[0] = 0;
            Offer.People[1] = 1;
            Offer.Session = P.Relay->Session();
            P.Session =
                std::make_unique<NetSession>(*P.Relay, P.Relay->Host(), Build, Offer, P.Relay->Millis());
        }
        if (Waiting) {
            epoll_event Ready[64];
            epoll_wait(Epoll, Ready, 64, 2);
        }
    }
    // 2. Sessions agree, then every player sends its inputs each tick for the given seconds.
    const auto PlayFrom = Clock::now();
    const auto PlayUntil =
        PlayFrom + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(O.Seconds));
    for (int I = 0; I < Count; ++I) {
        Players[size_t(I)].NextTick = PlayFrom + TickTime * I / Count; // spread over one tick
        Players[size_t(I)].NextSweep = PlayFrom + SweepTime * I / Count;
        Players[size_t(I)].LastHeard = PlayFrom + std::chrono::seconds(2);
    }
    // Pairs are known by their session number: each match keeps one table of send times.
    std::unordered_map<uint32_t, int> MatchOf;
    for (int I = 0; I < Count; ++I) {
        Player &P = Players[size_t(I)];
        if (P.Session != nullptr) {
            auto [It, New] = MatchOf.emplace(P.Relay->Session(), int(MatchOf.size()));
            P.Match = It->second;
            (void)New;
        }
    }
    SentAt.resize(MatchOf.size() + 1);
    // Each thread plays whole matches, both players of each: the send times of a match are one
    // thread's alone.
    std::vector<Share> Shares(size_t(O.Threads));
    for (int I = 0; I < Count; ++I) {
        if (Players[size_t(I)].Session != nullptr) {
            Shares[size_t(Players[size_t(I)].Match % O.Threads)].Players.push_back(I);
        }
    }
    std::vector<std::thread> Team;
    for (Share &S : Shares) {
        Team.emplace_back([&S, &Players, &SentAt, PlayUntil] { Play(S, Players, SentAt, PlayUntil); });
    }
    for (std::thread &T : Team) {
        T.join();
    }
    std::vector<float> Delays;
    uint64_t Arrived = 0;
    for (Share &S : Shares) {
        Delays.insert(Delays.end(), S.Delays.begin(), S.Delays.end());
        Arrived += S.Arrived;
    }
    const double Played = std::chrono::duration<double>(Clock::now() - PlayFrom).count();
    // 3. The outcome, per match.
    std::vector<int> Failed(MatchOf.size() + 1, 0), Stalled(MatchOf.size() + 1, 0);
    int NeverMet = 0;
    for (const Player &P : Players) {
        if (P.Session == nullptr || P.Relay == nullptr) {
            NeverMet++;
            continue;
        }
        Failed[size_t(P.Match)] |= P.Failed || P.Session->Stage() != NetSession::Stages::Agreed;
        Stalled[size_t(P.Match)] |= P.Stalled;
    }
    int FailedMatches = (NeverMet + 1) / 2, StalledMatches = 0;
    for (size_t M = 0; M < MatchOf.size(); ++M) {
        FailedMatches += Failed[M];
        StalledMatches += Stalled[M] && !Failed[M];
    }
    const int Whole = int(MatchOf.size()) - (FailedMatches - (NeverMet + 1) / 2);
    std::printf(
        "{\"matches\": %d, \"failed\": %d, \"stalled\": %d, \"delay_p50_ms\": %.3f, \"delay_p99_ms\": %.3f, "
        "\"messages_per_second\": %.0f}\n",
        Whole, FailedMatches, StalledMatches, Percentile(Delays, 0.50), Percentile(Delays, 0.99),
        double(Arrived) / Played);
    std::fflush(stdout);
    // Every player says goodbye at once, without the moment a lone player lingers for: two thousand
    // of those would take minutes.
    for (Player &P : Players) {
        if (P.Relay != nullptr) {
            P.Relay->Close(false);
        }
    }
    return FailedMatches == 0 ? 0 : 1;
}
