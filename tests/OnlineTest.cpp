// Online play in one process: the real session of the online core and the real shared match, host
// and guest side by side over the loopback network on its virtual clock. Every run is the same, a
// run of seconds of play takes milliseconds, and the sanitizers watch all of it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "match/Lineup.h"
#include "match/Trace.h"
#include "net/Loopback.h"
#include "net/Session.h"
#include "online/SharedMatch.h"
#include "platform/Keyboard.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayMatch.h"

namespace {

constexpr uint16_t Port = 24680;
// A fifth of the datagrams lost, a tenth repeated, a few corrupted, 20 ms ± 19 each way.
const LoopbackConditions Heavy{20, 19, 0.20, 0.10, 0.02};

uint32_t Build() {
    static const uint32_t Fingerprint = SimulationFingerprint();
    return Fingerprint;
}

Wire::Message Offer(uint64_t Seed) {
    Wire::Message M;
    M.Session = 0x5E55 | 1u;
    M.People[0] = 0;
    M.People[1] = 1;
    M.Seeded = 1;
    M.Seed = Seed;
    return M;
}

// One machine: its connection, its session, its match and its own state of the match, which is
// swapped into the game's one global state while it runs.
struct Machine {
    std::unique_ptr<Transport> Link;
    std::unique_ptr<NetSession> Net;
    std::unique_ptr<SharedMatch> Match;
    Typ_MatchSnapshot World{};
    std::vector<std::string> Trace, Keys;
    std::vector<PadInput> Inputs[2]; // both people's, as confirmed
    std::mt19937 Gen;
    PadInput Held = 0;
    uint64_t NextTick = 0;
    bool Running = false;
    bool Asleep = false; // neither served nor ticked: a hidden page whose browser holds its timers
};

class TwoMachines {
  public:
    TwoMachines(uint64_t Seed, LoopbackConditions Conditions, bool GuestNow = true)
        : Network(Seed, Conditions), Seed(Seed) {
        Host.Link = Network.Listen(Port);
        Host.Net = std::make_unique<NetSession>(*Host.Link, true, Build(), Offer(Seed), 0);
        if (GuestNow) {
            Join();
        }
    }
    // The guest starts: connects, and its patience counts from now.
    void Join() {
        Guest.Link = Network.Connect(Port, 2);
        Guest.Net =
            std::make_unique<NetSession>(*Guest.Link, false, Build(), Wire::Message{}, Network.Millis());
        Guest.Net->Place = " at the host";
    }
    // Moves the clock on, serving both sessions and whatever else is given.
    void Run(uint64_t Millis, const std::function<void()> &Also = nullptr) {
        for (uint64_t T = 0; T < Millis; ++T) {
            Network.Advance(1);
            Host.Net->Service();
            if (Guest.Net != nullptr) {
                Guest.Net->Service();
            }
            if (Also) {
                Also();
            }
        }
    }
    ~TwoMachines() {
        for (Machine *M : {&Host, &Guest}) {
            M->Match.reset();
            M->Net.reset();
            M->Link.reset();
        }
    }

    // Moves the clock on until both have agreed or either has ended.
    bool Shake(uint64_t Millis) {
        for (uint64_t T = 0; T < Millis && !Agreed() && !Ended(); ++T) {
            Network.Advance(1);
            Host.Net->Service();
            Guest.Net->Service();
        }
        return Agreed();
    }
    bool Agreed() const {
        return Host.Net->Stage() == NetSession::Stages::Agreed &&
               Guest.Net->Stage() == NetSession::Stages::Agreed;
    }
    bool Ended() const {
        return Host.Net->Stage() == NetSession::Stages::Over ||
               Guest.Net->Stage() == NetSession::Stages::Over;
    }

    // Both machines play the line-up the host offered until their matches end (after LastTick
    // ticks, or when won), each person holding random keys. Before the first tick, Prepare may
    // change a machine's state (0 the host, 1 the guest).
    void Play(int64_t LastTick, uint64_t Millis, std::function<void(int)> Prepare = nullptr,
              int64_t GuestLastTick = -2) {
        int Index = 0;
        for (Machine *M : {&Host, &Guest}) {
            const Wire::Message &Setup = M->Net->Setup();
            const int Sides[4] = {Setup.Sides[0], Setup.Sides[1], Setup.Sides[2], Setup.Sides[3]};
            const int Slots[4] = {Setup.Slots[0], Setup.Slots[1], Setup.Slots[2], Setup.Slots[3]};
            const int People[2] = {Setup.People[0], Setup.People[1]};
            StartLineup(Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
            if (Prepare) {
                Prepare(Index);
            }
            SaveMatch(M->World);
            M->Gen.seed(uint32_t(Seed * 2 + uint64_t(Index)));
            SharedMatch::Play How;
            How.Local = Index;
            How.Delay = Index; // the guest holds its inputs back a tick
            How.Input = [M] {
                if (M->Gen() % 6 == 0) {
                    M->Held = PadInput(M->Gen() & 31);
                }
                return M->Held;
            };
            How.Trace = TraceLine;
            How.Heard = false;
            How.LastTick = Index == 1 && GuestLastTick != -2 ? GuestLastTick : LastTick;
            How.Confirmed = [M](int64_t, const RollbackMatch::Outcome &Out) {
                M->Trace.push_back(Out.Line);
                M->Keys.push_back(Out.Keys);
                M->Inputs[0].push_back(Out.Inputs[0]);
                M->Inputs[1].push_back(Out.Inputs[1]);
            };
            M->Match = std::make_unique<SharedMatch>(*M->Net, How);
            M->Match->BeginAsStarted();
            SaveMatch(M->World);
            M->Running = true;
            M->NextTick = Network.Millis();
            Index++;
        }
        for (uint64_t T = 0; T < Millis && (Host.Running || Guest.Running); ++T) {
            Network.Advance(1);
            for (Machine *M : {&Host, &Guest}) {
                if (M->Asleep) {
                    M->NextTick = Network.Millis();
                    continue;
                }
                M->Net->Service();
                if (M->Running && Network.Millis() >= M->NextTick) {
                    RestoreMatch(M->World);
                    M->Running = M->Match->Tick();
                    SaveMatch(M->World);
                    M->NextTick += M->Match->TickInterval();
                }
            }
            if (Each) {
                Each();
            }
        }
    }
    std::function<void()> Each; // after every millisecond of Play

    LoopbackNetwork Network;
    uint64_t Seed;
    Machine Host, Guest;
};

// The plain game from the keys a machine confirmed: the trace of every tick.
std::vector<std::string> PlayOffline(const Wire::Message &Setup, const std::vector<std::string> &Keys) {
    const int Sides[4] = {Setup.Sides[0], Setup.Sides[1], Setup.Sides[2], Setup.Sides[3]};
    const int Slots[4] = {Setup.Slots[0], Setup.Slots[1], Setup.Slots[2], Setup.Slots[3]};
    const int People[2] = {Setup.People[0], Setup.People[1]};
    StartLineup(Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
    std::vector<std::string> Trace;
    for (size_t Tick = 0; Tick < Keys.size(); ++Tick) {
        ReleaseScriptedKeys();
        std::istringstream Held(Keys[Tick]);
        for (int Code; Held >> Code;) {
            SetScriptedKey(Code, true);
        }
        MarkDraws();
        TickMatch();
        Trace.push_back(TraceLine(int64_t(Tick + 1)));
    }
    ReleaseScriptedKeys();
    return Trace;
}

} // namespace

TEST(OnlineSession, StartsEveryTimeOverAHeavilyLossyNetwork) {
    int Failed = 0;
    uint64_t Slowest = 0;
    for (uint64_t Seed = 1; Seed <= 300; ++Seed) {
        TwoMachines Pair(Seed, Heavy);
        if (!Pair.Shake(4000)) {
            Failed++;
            ADD_FAILURE() << "seed " << Seed << ": host '" << Pair.Host.Net->Why() << "', guest '"
                          << Pair.Guest.Net->Why() << "'";
        }
        Slowest = std::max(Slowest, Pair.Network.Millis());
    }
    EXPECT_EQ(Failed, 0);
    EXPECT_LT(Slowest, 4000u);
}

TEST(OnlineSession, PlaysToTheEndWithIdenticalTracesOverAHeavilyLossyNetwork) {
    for (uint64_t Seed = 1; Seed <= 4; ++Seed) {
        TwoMachines Pair(Seed, Heavy);
        ASSERT_TRUE(Pair.Shake(4000)) << "seed " << Seed;
        Pair.Play(300, 60000);
        for (Machine *M : {&Pair.Host, &Pair.Guest}) {
            EXPECT_EQ(M->Match->End(), SharedMatch::Ends::Finished)
                << "seed " << Seed << ": " << M->Match->Problem();
            EXPECT_EQ(M->Trace.size(), 300u) << "seed " << Seed;
        }
        EXPECT_GT(Pair.Host.Match->Rollbacks() + Pair.Guest.Match->Rollbacks(), 0);
        ASSERT_EQ(Pair.Host.Trace, Pair.Guest.Trace) << "seed " << Seed;
        EXPECT_EQ(PlayOffline(Pair.Host.Net->Setup(), Pair.Host.Keys), Pair.Host.Trace) << "seed " << Seed;
        EXPECT_GT(Pair.Network.Dropped, 0);
        EXPECT_GT(Pair.Network.Duplicated, 0);
    }
}

// The trace of a replay file made of what a machine confirmed: its line-up and both people's
// inputs of every tick.
std::vector<std::string> TraceOfItsReplay(const Machine &M) {
    const Wire::Message &Setup = M.Net->Setup();
    Typ_Replay Kept;
    Kept.Origin = ReplayOrigin::Direct;
    for (int I = 0; I < 4; ++I) {
        Kept.Sides[I] = Setup.Sides[I];
        Kept.Slots[I] = Setup.Slots[I];
    }
    Kept.People[0] = Setup.People[0];
    Kept.People[1] = Setup.People[1];
    Kept.Seeded = Setup.Seeded != 0;
    Kept.Seed = Setup.Seed;
    Kept.RandomPosition = Setup.Seed; // a seeded source starts at its seed
    Kept.Inputs[0] = M.Inputs[0];
    Kept.Inputs[1] = M.Inputs[1];
    Kept.Ticks = uint32_t(M.Inputs[0].size());
    Typ_Replay Read;
    std::vector<std::string> Trace;
    if (DecodeReplay(EncodeReplay(Kept), Read).Problem != ReplayProblem::None) {
        return Trace;
    }
    StartReplay(Read);
    for (int64_t Tick = 1; Tick <= int64_t(Read.Ticks); ++Tick) {
        RunReplayTick(Read, Tick);
        Trace.push_back(TraceLine(Tick));
    }
    return Trace;
}

TEST(OnlineSession, EachMachinesConfirmedInputsAreAReplayOfTheMatch) {
    TwoMachines Pair(7, Heavy);
    ASSERT_TRUE(Pair.Shake(4000));
    Pair.Play(400, 60000);
    for (Machine *M : {&Pair.Host, &Pair.Guest}) {
        const std::vector<std::string> Trace = TraceOfItsReplay(*M);
        EXPECT_EQ(Trace.size(), 400u);
        EXPECT_TRUE(Trace == M->Trace) << (M == &Pair.Host ? "host" : "guest");
    }
}

TEST(OnlineSession, AMatchWonNearItsEndIsComparedAndEndsOnBothAtOneTick) {
    TwoMachines Pair(7, LoopbackConditions{30, 10, 0.05, 0.05, 0});
    ASSERT_TRUE(Pair.Shake(4000));
    // Both sides one point from winning.
    Pair.Play(-1, 600000, [](int) {
        Gl_Teams[0].Score = 14;
        Gl_Teams[1].Score = 14;
    });
    for (Machine *M : {&Pair.Host, &Pair.Guest}) {
        ASSERT_EQ(M->Match->End(), SharedMatch::Ends::Finished) << M->Match->Problem();
    }
    EXPECT_EQ(Pair.Host.Trace, Pair.Guest.Trace);
    EXPECT_EQ(Pair.Host.Match->ConfirmedTicks(), Pair.Guest.Match->ConfirmedTicks());
    RestoreMatch(Pair.Host.World);
    EXPECT_EQ(std::max(Gl_Teams[0].Score, Gl_Teams[1].Score), 15);
}

TEST(OnlineSession, AMatchThatEndsDifferentlyIsSaidOnBothMachines) {
    TwoMachines Pair(8, LoopbackConditions{15, 5, 0.05, 0.05, 0});
    ASSERT_TRUE(Pair.Shake(4000));
    // The guest's game is not the host's: one point more on its left side.
    Pair.Play(-1, 120000, [](int Index) {
        Gl_Teams[0].Score = 14;
        Gl_Teams[1].Score = Index == 1 ? 13 : 14;
    });
    for (Machine *M : {&Pair.Host, &Pair.Guest}) {
        EXPECT_EQ(M->Match->End(), SharedMatch::Ends::Differed);
        EXPECT_NE(M->Match->Problem().find("differ at tick"), std::string::npos) << M->Match->Problem();
    }
}

TEST(OnlineSession, WhicheverLastTickComesFirstEndsTheMatchOnBoth) {
    TwoMachines Pair(9, LoopbackConditions{25, 10, 0.1, 0.05, 0.01});
    ASSERT_TRUE(Pair.Shake(4000));
    Pair.Play(200, 60000, nullptr, 260);
    for (Machine *M : {&Pair.Host, &Pair.Guest}) {
        EXPECT_EQ(M->Match->End(), SharedMatch::Ends::Finished) << M->Match->Problem();
        EXPECT_EQ(M->Match->ConfirmedTicks(), 200);
    }
    EXPECT_EQ(Pair.Host.Trace, Pair.Guest.Trace);
}

// The machine that finishes first says goodbye and waits for the other's; meanwhile its reliable
// messages crawl (ENet's resends on a network that swelled its round trip). It keeps saying its
// last tick unreliably, so the other machine hears it, confirms, and finishes: neither says the
// connection was lost.
// In the game the machine goes on to the next select screen instead, whose messages overtake the
// last words of the match: the other machine still finishes the match, rather than taking it for
// abandoned.
void LingerAfterFinishing(bool GoOn) {
    TwoMachines Pair(10, LoopbackConditions{20, 5, 0.02, 0.02, 0});
    ASSERT_TRUE(Pair.Shake(4000));
    constexpr int64_t Last = 150;
    bool Slowed = false, SaidGoodbye = false;
    uint64_t NextLinger = 0;
    Pair.Each = [&] {
        if (!Slowed && Pair.Host.Match->ConfirmedTicks() >= Last - 3) {
            Slowed = true;
            Pair.Network.SlowReliable(*Pair.Host.Link, 8000);
        }
        if (!Pair.Host.Running && Pair.Host.Match->End() == SharedMatch::Ends::Finished) {
            if (!SaidGoodbye) {
                SaidGoodbye = true;
                Pair.Host.Net->SayGoodbye();
            }
            if (Pair.Network.Millis() >= NextLinger) {
                NextLinger = Pair.Network.Millis() + 33;
                if (GoOn) {
                    Wire::Message Next;
                    Next.Type = Wire::Kind::Inputs;
                    Next.Screen = 2;
                    Pair.Host.Net->Send(Next, false);
                }
                Pair.Host.Match->Linger();
            }
        }
    };
    Pair.Play(Last, 20000);
    ASSERT_TRUE(SaidGoodbye) << "the host did not finish first";
    EXPECT_EQ(Pair.Guest.Match->End(), SharedMatch::Ends::Finished) << Pair.Guest.Net->Why();
    EXPECT_EQ(Pair.Guest.Match->ConfirmedTicks(), Last);
    EXPECT_EQ(Pair.Host.Trace, Pair.Guest.Trace);
    // The next screen's message is still there for it.
    EXPECT_EQ(Pair.Guest.Net->LaterScreen(1), GoOn);
}

TEST(OnlineSession, AMachineThatFinishedFirstLingersUntilTheOtherHasFinished) {
    LingerAfterFinishing(false);
}

TEST(OnlineSession, AMachineThatWentOnToItsNextScreenStillEndsTheMatchThere) {
    LingerAfterFinishing(true);
}

namespace {

// A machine that speaks the protocol by hand: whatever a test makes it say.
struct Stranger {
    Stranger(LoopbackNetwork &Network, uint64_t From) : Link(Network.Connect(Port, From)) {}
    void Poll() {
        for (NetEvent E = Link->Poll(0); E.Type != NetEvent::Kind::Nothing; E = Link->Poll(0)) {
            Wire::Message In;
            if (E.Type == NetEvent::Kind::Connected) {
                Peer = E.Peer;
            } else if (E.Type == NetEvent::Kind::Lost) {
                Lost = true;
            } else if (Wire::Decode(E.Bytes.data(), E.Bytes.size(), In)) {
                Heard.push_back(In);
            }
        }
    }
    bool Refused(Wire::Refusal Why) const {
        for (const Wire::Message &M : Heard) {
            if (M.Type == Wire::Kind::Refuse && M.Reason == Why) {
                return true;
            }
        }
        return false;
    }
    void Say(const std::vector<uint8_t> &Bytes) { Link->Send(Peer, Bytes, true); }
    std::unique_ptr<Transport> Link;
    PeerId Peer = NoPeer;
    bool Lost = false;
    std::vector<Wire::Message> Heard;
};

std::vector<uint8_t> HelloOf(uint32_t Fingerprint, uint8_t Version = Wire::ProtocolVersion) {
    Wire::Message Hello;
    Hello.Type = Wire::Kind::Hello;
    Hello.Version = Version;
    Hello.Fingerprint = Fingerprint;
    return Wire::Encode(Hello);
}

std::string Notes(NetSession &Net) {
    std::string All;
    for (std::string Line = Net.TakeNote(); !Line.empty(); Line = Net.TakeNote()) {
        All += Line + "\n";
    }
    return All;
}

} // namespace

TEST(OnlineStrangers, SilentForgedAndOtherBuildsNeverSpoilTheSession) {
    TwoMachines Pair(11, LoopbackConditions{}, false);
    // A silent stranger, five forged hellos from one machine, a machine of another build, and a
    // newer build whose hello is longer than this build's.
    Stranger Silent(Pair.Network, 7);
    std::vector<std::unique_ptr<Stranger>> Forged;
    for (int I = 0; I < 5; ++I) {
        Forged.push_back(std::make_unique<Stranger>(Pair.Network, 8));
    }
    Stranger Other(Pair.Network, 9), Newer(Pair.Network, 10);
    auto PollAll = [&] {
        Silent.Poll();
        Other.Poll();
        Newer.Poll();
        for (auto &F : Forged) {
            F->Poll();
        }
    };
    Pair.Run(100, PollAll);
    // No more than two connections wait from one machine.
    EXPECT_EQ(Pair.Host.Net->Knocks(), 5u);
    for (auto &F : Forged) {
        if (F->Peer != NoPeer) {
            F->Say({0x42, 0x5A, 1, 2, 3});
        }
    }
    Other.Say(HelloOf(Build() ^ 1));
    std::vector<uint8_t> Longer = HelloOf(Build(), Wire::ProtocolVersion + 1);
    Longer.insert(Longer.end(), 40, 0xEE);
    Newer.Say(Longer);
    Pair.Run(100, PollAll);
    EXPECT_TRUE(Other.Refused(Wire::Refusal::OtherBuild));
    EXPECT_TRUE(Newer.Refused(Wire::Refusal::OtherBuild)) << "a newer build's longer hello went unanswered";
    EXPECT_NE(Notes(*Pair.Host.Net).find("another build"), std::string::npos);
    EXPECT_EQ(Pair.Host.Net->Knocks(), 1u); // the silent one, until its time is up
    EXPECT_EQ(Pair.Host.Net->Stage(), NetSession::Stages::Connecting);
    Pair.Run(2000, PollAll);
    EXPECT_EQ(Pair.Host.Net->Knocks(), 0u);
    // The real guest: they play.
    Pair.Join();
    ASSERT_TRUE(Pair.Shake(1000)) << Pair.Host.Net->Why() << " / " << Pair.Guest.Net->Why();
    // A knock after that: told the game is full.
    Stranger Late(Pair.Network, 12);
    Pair.Run(100, [&] { Late.Poll(); });
    EXPECT_TRUE(Late.Refused(Wire::Refusal::Full));
    EXPECT_TRUE(Pair.Agreed());
}

TEST(OnlineStrangers, AGuestReadsANewerHostsLongerRefusalAsAnotherBuild) {
    LoopbackNetwork Network(3);
    std::unique_ptr<Transport> Host = Network.Listen(Port);
    std::unique_ptr<Transport> Link = Network.Connect(Port, 2);
    NetSession Guest(*Link, false, Build(), Wire::Message{}, 0);
    for (int T = 0; T < 200 && Guest.Stage() != NetSession::Stages::Over; ++T) {
        Network.Advance(1);
        Guest.Service();
        for (NetEvent E = Host->Poll(0); E.Type != NetEvent::Kind::Nothing; E = Host->Poll(0)) {
            if (E.Type == NetEvent::Kind::Received) {
                Wire::Message No;
                No.Type = Wire::Kind::Refuse;
                No.Version = Wire::ProtocolVersion + 1;
                No.Reason = Wire::Refusal(7); // a reason of its own
                std::vector<uint8_t> Bytes = Wire::Encode(No);
                Bytes.insert(Bytes.end(), 20, 0x11);
                Host->Send(E.Peer, Bytes, true);
            }
        }
    }
    EXPECT_EQ(Guest.Stage(), NetSession::Stages::Over);
    EXPECT_EQ(Guest.Why(), Sentences::OtherBuild);
}

TEST(OnlineStrangers, NobodyAnsweringIsSaidWithinTheGuestsPatience) {
    LoopbackNetwork Network(4);
    std::unique_ptr<Transport> Link = Network.Connect(Port, 2);
    NetSession Guest(*Link, false, Build(), Wire::Message{}, 0);
    Guest.Place = " at 127.0.0.1:24680";
    while (Guest.Stage() != NetSession::Stages::Over && Network.Millis() < 10000) {
        Network.Advance(1);
        Guest.Service();
    }
    EXPECT_EQ(Guest.Why(), "nobody answered at 127.0.0.1:24680");
    EXPECT_LE(Network.Millis(), NetSession::PatienceMillis + 1);
}

TEST(OnlineStrangers, AHostLearnsWhenItsGuestGivesUpAndWaitsForAnother) {
    // A slow network that goes down for a moment after the guest's hello has reached the host:
    // the host's welcome is lost, and the guest's player gives up waiting (Escape).
    TwoMachines Pair(5, LoopbackConditions{900, 0, 0, 0, 0});
    Pair.Run(2650);
    Pair.Network.Cut = true;
    Pair.Run(1250);
    EXPECT_EQ(Pair.Host.Net->Knocks(), 0u); // the guest's place is kept for it
    Pair.Network.Cut = false;
    Pair.Guest.Net->Leave();
    Pair.Run(1000);
    EXPECT_EQ(Pair.Host.Net->Departures(), 1);
    EXPECT_EQ(Pair.Guest.Net->Stage(), NetSession::Stages::Over);
    EXPECT_EQ(Pair.Host.Net->Stage(), NetSession::Stages::Connecting);
    EXPECT_NE(Notes(*Pair.Host.Net).find("gave up"), std::string::npos);
    // The next guest plays.
    Pair.Network.Conditions = LoopbackConditions{};
    Pair.Join();
    EXPECT_TRUE(Pair.Shake(1000)) << Pair.Host.Net->Why() << " / " << Pair.Guest.Net->Why();
}

TEST(OnlineSession, SilenceAndFailedSendsEndTheSessionAsALostConnection) {
    {
        TwoMachines Pair(6, LoopbackConditions{});
        ASSERT_TRUE(Pair.Shake(1000));
        Pair.Network.Cut = true;
        const uint64_t From = Pair.Network.Millis();
        while (!Pair.Ended()) {
            Pair.Run(1);
        }
        const uint64_t After = Pair.Network.Millis() - From;
        EXPECT_GE(After, NetSession::SilenceMillis - 50);
        EXPECT_LE(After, NetSession::SilenceMillis + 50);
        Pair.Run(100);
        EXPECT_EQ(Pair.Host.Net->Why(), "connection lost");
        EXPECT_EQ(Pair.Guest.Net->Why(), "connection lost");
    }
    {
        TwoMachines Pair(6, LoopbackConditions{});
        ASSERT_TRUE(Pair.Shake(1000));
        Pair.Network.BreakSends(*Pair.Guest.Link);
        Wire::Message Out;
        Out.Type = Wire::Kind::Inputs;
        Pair.Guest.Net->Send(Out, false);
        EXPECT_EQ(Pair.Guest.Net->Stage(), NetSession::Stages::Over);
        EXPECT_EQ(Pair.Guest.Net->Why(), "connection lost");
    }
}

TEST(OnlineSession, AFloodFromThePartnerHoldsNoMoreThanItsRoom) {
    TwoMachines Pair(13, LoopbackConditions{});
    ASSERT_TRUE(Pair.Shake(1000));
    Wire::Message Out;
    Out.Type = Wire::Kind::Inputs;
    for (int I = 0; I < 5000; ++I) {
        Pair.Guest.Net->Send(Out, false);
    }
    Pair.Run(50);
    size_t Held = 0;
    for (Wire::Message In; Pair.Host.Net->Take(In, 0);) {
        Held++;
    }
    EXPECT_LE(Held, NetSession::MaxWaiting);
    EXPECT_GT(Held, 0u);
}

TEST(OnlineSession, APlayerWhosePageIsHiddenPausesBothAndIsWaitedForUntilSpace) {
    TwoMachines Pair(11, LoopbackConditions{10, 5, 0.05, 0.0, 0.0});
    ASSERT_TRUE(Pair.Shake(1000));
    Machine &Host = Pair.Host, &Guest = Pair.Guest;
    enum { Playing, Asked, Away, Back, Resumed } Phase = Playing;
    uint64_t AwaySince = 0;
    size_t HostAt = 0, GuestAt = 0;
    int Told = 0;
    bool HostStood = true;
    Pair.Each = [&] {
        Told += Host.Match->TakeTheyWentAway() ? 1 : 0;
        if (Phase == Playing && Guest.Trace.size() >= 150) {
            Guest.Match->PauseAway(); // the guest's tab is hidden
            Phase = Asked;
        } else if (Phase == Asked && Guest.Match->Paused() && Host.Match->Paused()) {
            // A minute without a tick or a look at the network: the browser holds a hidden page.
            Guest.Asleep = true;
            AwaySince = Pair.Network.Millis();
            HostAt = Host.Trace.size();
            GuestAt = Guest.Trace.size();
            Phase = Away;
        } else if (Phase == Away) {
            HostStood = HostStood && Host.Net->Stage() == NetSession::Stages::Agreed && Host.Trace.size() == HostAt;
            if (Pair.Network.Millis() - AwaySince >= 60000) {
                Guest.Asleep = false; // the tab is shown again: still paused
                Phase = Back;
            }
        } else if (Phase == Back && Pair.Network.Millis() - AwaySince >= 61000) {
            EXPECT_TRUE(Guest.Match->Paused());
            EXPECT_EQ(Guest.Trace.size(), GuestAt);
            Guest.Match->Key(VK_SPACE);
            Phase = Resumed;
        }
    };
    Pair.Play(600, 200000);
    EXPECT_EQ(Phase, Resumed);
    EXPECT_TRUE(HostStood) << "the host went on, or ended the session, while the guest was away";
    EXPECT_EQ(Told, 1) << "the host is told once that the other player went away";
    EXPECT_EQ(Host.Net->Stage(), NetSession::Stages::Agreed);
    EXPECT_EQ(Guest.Net->Stage(), NetSession::Stages::Agreed);
    ASSERT_EQ(Host.Match->End(), SharedMatch::Ends::Finished);
    ASSERT_EQ(Guest.Match->End(), SharedMatch::Ends::Finished);
    EXPECT_EQ(Host.Trace, Guest.Trace);
    // A match paused halfway is kept whole: its replay runs through the pause to the same end.
    EXPECT_TRUE(TraceOfItsReplay(Host) == Host.Trace);
    EXPECT_TRUE(TraceOfItsReplay(Guest) == Guest.Trace);
    // The pause once over, silence is a lost connection again.
    Pair.Network.Cut = true;
    Pair.Run(NetSession::SilenceMillis + 200);
    EXPECT_EQ(Host.Net->Why(), "connection lost");
}
