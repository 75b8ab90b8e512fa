// Online play without a network: the messages' bytes, what decoding refuses, and two rollback
// sessions joined by a queue that delays, reorders and repeats inputs, which must play the very
// match the plain game plays from the same keys.
#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "TestHelpers.h"
#include "net/Protocol.h"
#include "net/Rollback.h"
#include "match/Match.h"
#include "records/BasCmnDef.h"

namespace {

Wire::Message Sample(Wire::Kind Kind) {
    Wire::Message M;
    M.Type = Kind;
    M.Session = 0xC0FFEE;
    M.Fingerprint = 0x12345678;
    M.Sides[2] = 1;
    M.Slots[2] = 1;
    M.Sides[3] = 0;
    M.Slots[3] = 1;
    M.People[0] = 2;
    M.Seeded = 1;
    M.Seed = 0x0102030405060708ULL;
    M.Reason = Wire::Refusal::Full;
    M.Ack = 77;
    M.SenderFrame = 80;
    M.First = 70;
    M.Count = 3;
    M.Inputs[0] = 1;
    M.Inputs[1] = 17;
    M.Inputs[2] = 255;
    M.Frame = 90;
    M.Value = 0xDEADBEEF;
    M.Screen = 0x1234;
    M.Segment = 0x0506;
    return M;
}

} // namespace

TEST(Protocol, EveryMessageComesBackAsItWasSent) {
    for (Wire::Kind Kind : {Wire::Kind::Hello, Wire::Kind::Welcome, Wire::Kind::Refuse, Wire::Kind::Inputs,
                            Wire::Kind::Checksum, Wire::Kind::Bye, Wire::Kind::Resume, Wire::Kind::Leave}) {
        const std::vector<uint8_t> Bytes = Wire::Encode(Sample(Kind));
        Wire::Message Back;
        ASSERT_TRUE(Wire::Decode(Bytes.data(), Bytes.size(), Back)) << int(Kind);
        EXPECT_EQ(Wire::Encode(Back), Bytes) << int(Kind);
        // Every shorter prefix and every longer copy is refused whole.
        for (size_t Size = 0; Size < Bytes.size(); ++Size) {
            EXPECT_FALSE(Wire::Decode(Bytes.data(), Size, Back)) << int(Kind) << " cut to " << Size;
        }
        std::vector<uint8_t> Longer = Bytes;
        Longer.push_back(0);
        EXPECT_FALSE(Wire::Decode(Longer.data(), Longer.size(), Back));
    }
}

// The build's fingerprint plays a short match of its own: always the same, and nothing of the
// game notices it.
TEST(Fingerprint, IsTheSameEveryTimeAndLeavesTheGameAlone) {
    ClearGameState();
    Gl_Players[2].X = 123;
    Gl_Teams[1].Score = 14;
    const uint32_t Before = MatchChecksum(); // every field and the random position
    const uint32_t First = SimulationFingerprint();
    EXPECT_EQ(SimulationFingerprint(), First);
    EXPECT_EQ(Gl_Players[2].X, 123);
    EXPECT_EQ(Gl_Teams[1].Score, 14);
    EXPECT_EQ(MatchChecksum(), Before);
    ClearGameState();
}

TEST(Protocol, ForeignMalformedAndImpossibleMessagesAreRefused) {
    Wire::Message In;
    std::vector<uint8_t> Bytes = Wire::Encode(Sample(Wire::Kind::Inputs));
    Bytes[0] ^= 1; // another program's
    EXPECT_FALSE(Wire::Decode(Bytes.data(), Bytes.size(), In));
    Wire::Message Many = Sample(Wire::Kind::Inputs);
    Many.Count = Wire::MaxInputs;
    Bytes = Wire::Encode(Many);
    Bytes[24] = Wire::MaxInputs + 1; // claims more inputs than a message carries
    EXPECT_FALSE(Wire::Decode(Bytes.data(), Bytes.size(), In));
    Wire::Message Lineup = Sample(Wire::Kind::Welcome);
    Lineup.Slots[3] = 0; // two characters on one place
    Bytes = Wire::Encode(Lineup);
    EXPECT_FALSE(Wire::Decode(Bytes.data(), Bytes.size(), In));
    Wire::Message Newer = Sample(Wire::Kind::Inputs);
    Newer.Version = Wire::ProtocolVersion + 1;
    Bytes = Wire::Encode(Newer);
    EXPECT_FALSE(Wire::Decode(Bytes.data(), Bytes.size(), In));
    // Random bytes, and random changes of real messages: never a crash, never a wrong size read.
    std::mt19937 Gen(7);
    int Taken = 0;
    for (int Round = 0; Round < 200000; ++Round) {
        std::vector<uint8_t> Noise = Wire::Encode(Sample(Wire::Kind(1 + Round % 6)));
        if (Round % 3 == 0) {
            Noise.resize(Gen() % 80);
        }
        for (uint8_t &Byte : Noise) {
            if (Gen() % 8 == 0) {
                Byte = uint8_t(Gen());
            }
        }
        Taken += Wire::Decode(Noise.data(), Noise.size(), In) ? 1 : 0;
    }
    EXPECT_LT(Taken, 200000);
}

namespace {

// One machine's match, as the session drives it; both machines share the one global match in turn,
// each swapping its own state in before it runs.
struct Machine final : RollbackGame {
    Typ_MatchSnapshot Own{};
    std::vector<Typ_MatchSnapshot> Saved = std::vector<Typ_MatchSnapshot>(RollbackSession::Window + 4);
    std::vector<uint32_t> After; // the checksum after each tick, as last run
    void SaveFrame(int32_t Frame) override { SaveMatch(Saved[size_t(Frame) % Saved.size()]); }
    void LoadFrame(int32_t Frame) override { RestoreMatch(Saved[size_t(Frame) % Saved.size()]); }
    void AdvanceFrame(int32_t Frame, const PadInput Inputs[2], bool) override {
        static constexpr int32_t Keys[2][5] = {{VK_Y, VK_N, VK_G, VK_J, VK_Z},
                                               {VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP}};
        ReleaseScriptedKeys();
        for (int Person = 0; Person < 2; ++Person) {
            for (int Bit = 0; Bit < 5; ++Bit) {
                SetScriptedKey(Keys[Person][Bit], (Inputs[Person] >> Bit) & 1);
            }
        }
        TickMatch();
        After.resize(std::max(After.size(), size_t(Frame) + 1));
        After[size_t(Frame)] = MatchChecksum();
    }
};

struct InFlight {
    int32_t ArrivesAt, Frame;
    PadInput Input;
};

} // namespace

TEST(RollbackSessions, TwoMachinesOverALaggingLinkPlayThePlainGamesMatch) {
    constexpr int32_t Ticks = 600;
    std::mt19937 Gen(99);
    std::vector<PadInput> Inputs[2];
    for (auto &Person : Inputs) {
        PadInput Held = 0;
        for (int32_t T = 0; T < Ticks + 20; ++T) {
            if (Gen() % 6 == 0) {
                Held = PadInput(Gen() & 31);
            }
            Person.push_back(Held);
        }
    }
    // The guest plays with an input delay of one tick: its first tick holds nothing.
    Inputs[1][0] = 0;
    // The plain game.
    StartDefaultMatch();
    GiveToPerson(0, 0);
    GiveToPerson(1, 1);
    Typ_MatchSnapshot Start;
    SaveMatch(Start);
    Machine Plain;
    for (int32_t T = 0; T < Ticks; ++T) {
        const PadInput Both[2] = {Inputs[0][size_t(T)], Inputs[1][size_t(T)]};
        Plain.AdvanceFrame(T, Both, true);
    }
    // Two machines, each a session, their inputs delayed 0 to 6 ticks, some sent twice.
    Machine Ours[2];
    Ours[0].Own = Ours[1].Own = Start;
    RollbackSession Host(Ours[0], 0, 0), Guest(Ours[1], 1, 1);
    RollbackSession *Sessions[2] = {&Host, &Guest};
    std::deque<InFlight> Wires[2]; // toward machine 0 and toward machine 1
    int32_t Sent[2] = {0, 0};      // each machine's inputs sent so far
    int32_t Stalls = 0;
    for (int32_t Step = 0; Host.Frame() < Ticks || Guest.Frame() < Ticks; ++Step) {
        ASSERT_LT(Step, Ticks * 4) << "the sessions stopped advancing";
        for (int M = 0; M < 2; ++M) {
            for (auto It = Wires[M].begin(); It != Wires[M].end();) {
                if (It->ArrivesAt <= Step) {
                    Sessions[M]->ReceiveRemote(It->Frame, It->Input);
                    It = Wires[M].erase(It);
                } else {
                    ++It;
                }
            }
            RestoreMatch(Ours[M].Own);
            if (Sessions[M]->Frame() < Ticks && Sessions[M]->CanAdvance()) {
                Sessions[M]->AdvanceLocal(Inputs[M][size_t(Sessions[M]->LocalKnownThrough())]);
                for (; Sent[M] < Sessions[M]->LocalKnownThrough(); ++Sent[M]) {
                    const PadInput Input = Sessions[M]->LocalInput(Sent[M]);
                    for (int Copy = 0; Copy < 1 + int(Gen() % 8 == 0); ++Copy) {
                        Wires[1 - M].push_back({Step + int32_t(Gen() % 7), Sent[M], Input});
                    }
                }
            } else {
                Stalls++;
                Sessions[M]->Settle();
            }
            SaveMatch(Ours[M].Own);
        }
    }
    // Everything delivered, the last guesses put right.
    for (int M = 0; M < 2; ++M) {
        for (const InFlight &Late : Wires[M]) {
            Sessions[M]->ReceiveRemote(Late.Frame, Late.Input);
        }
        RestoreMatch(Ours[M].Own);
        Sessions[M]->Settle();
        SaveMatch(Ours[M].Own);
        ASSERT_EQ(Ours[M].After.size(), size_t(Ticks));
        for (int32_t T = 0; T < Ticks; ++T) {
            ASSERT_EQ(Ours[M].After[size_t(T)], Plain.After[size_t(T)])
                << "machine " << M << ", tick " << T + 1;
        }
    }
    EXPECT_GT(Host.Rollbacks + Guest.Rollbacks, 0);
    EXPECT_LE(std::max(Host.LongestRollback, Guest.LongestRollback), RollbackSession::Window);
}
