// Online play without a network: the messages' bytes, what decoding refuses, and the checksum
// ledger. Two machines playing over a bad network are in OnlineTest.
#include <gtest/gtest.h>

#include <random>

#include "TestHelpers.h"
#include "net/Ledger.h"
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
                            Wire::Kind::Checksum, Wire::Kind::Bye, Wire::Kind::Resume, Wire::Kind::Leave,
                            Wire::Kind::Finish}) {
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

// Two builds whose rules differ only at the end of a match (the 15th point, a full gauge, the
// super move) have different fingerprints: the trials reach all of it.
TEST(Fingerprint, ItsTrialsReachTheEndOfAMatch) {
    FingerprintTrials Reached;
    SimulationFingerprint(&Reached);
    EXPECT_TRUE(Reached.FullGauge);
    EXPECT_TRUE(Reached.SuperMove);
    EXPECT_TRUE(Reached.Won);
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

// A peer's numbers are refused where the game would overflow counting on from them, before they
// reach a tick count, a vector's index or a sum.
TEST(Protocol, NumbersThatCouldOverflowAreRefused) {
    Wire::Message In;
    auto Refused = [&](Wire::Message M) {
        const std::vector<uint8_t> Bytes = Wire::Encode(M);
        return !Wire::Decode(Bytes.data(), Bytes.size(), In);
    };
    Wire::Message Inputs = Sample(Wire::Kind::Inputs);
    Inputs.Screen = 1;
    Inputs.Segment = 0;
    EXPECT_FALSE(Refused(Inputs));
    for (int32_t Huge : {int32_t(2147483643), Wire::MaxTick + 1, int32_t(-1)}) {
        Wire::Message M = Inputs;
        M.First = Huge;
        EXPECT_TRUE(Refused(M)) << "First " << Huge;
        M = Inputs;
        M.Ack = Huge;
        EXPECT_TRUE(Refused(M)) << "Ack " << Huge;
        M = Inputs;
        M.SenderFrame = Huge;
        EXPECT_TRUE(Refused(M)) << "SenderFrame " << Huge;
        for (Wire::Kind Kind : {Wire::Kind::Checksum, Wire::Kind::Finish, Wire::Kind::Bye}) {
            M = Sample(Kind);
            M.Screen = 1;
            M.Segment = 0;
            M.Frame = Huge;
            EXPECT_TRUE(Refused(M)) << int(Kind) << " at " << Huge;
        }
    }
    Wire::Message Edge = Inputs;
    Edge.First = Wire::MaxTick - 1;
    Edge.Count = 3; // its last input would lie past the largest tick
    EXPECT_TRUE(Refused(Edge));
    Wire::Message Far = Inputs;
    Far.Segment = 0xFFFF;
    EXPECT_TRUE(Refused(Far));
    Far = Inputs;
    Far.Screen = 0xFFFF;
    EXPECT_TRUE(Refused(Far));
}

// The first fields of hello and refusal never change: a newer build's longer ones are read, so that
// it can be told, and can tell, that the builds differ.
TEST(Protocol, ANewerBuildsLongerHelloAndRefusalAreRead) {
    for (Wire::Kind Kind : {Wire::Kind::Hello, Wire::Kind::Refuse}) {
        Wire::Message Newer = Sample(Kind);
        Newer.Version = Wire::ProtocolVersion + 1;
        std::vector<uint8_t> Bytes = Wire::Encode(Newer);
        Bytes.insert(Bytes.end(), 30, 0xAB);
        Wire::Message In;
        ASSERT_TRUE(Wire::Decode(Bytes.data(), Bytes.size(), In)) << int(Kind);
        EXPECT_EQ(In.Version, Wire::ProtocolVersion + 1);
        EXPECT_EQ(In.Type, Kind);
        if (Kind == Wire::Kind::Hello) {
            EXPECT_EQ(In.Fingerprint, 0x12345678u);
        } else {
            EXPECT_EQ(In.Reason, Wire::Refusal::Full);
        }
        // This build's own are exactly as long as they are.
        Bytes = Wire::Encode(Sample(Kind));
        Bytes.push_back(0);
        EXPECT_FALSE(Wire::Decode(Bytes.data(), Bytes.size(), In));
    }
}

TEST(ChecksumLedger, ComparesExpectedTicksAndKeepsNothingElse) {
    ChecksumLedger Same;
    Same.Theirs(30, 5, false);
    Same.Theirs(31, 9, false);       // never sent by a real peer: not kept
    Same.Theirs(1 << 30, 9, false);  // far beyond what it could have confirmed
    for (int64_t Tick = 1; Tick <= 60; ++Tick) {
        Same.Ours(Tick, Tick == 30 ? 5 : 1);
    }
    Same.Theirs(60, 1, false);
    EXPECT_EQ(Same.Differs(), -1);

    ChecksumLedger Different;
    for (int64_t Tick = 1; Tick <= 30; ++Tick) {
        Different.Ours(Tick, 1);
    }
    Different.Theirs(30, 2, false);
    EXPECT_EQ(Different.Differs(), 30);
}

TEST(ChecksumLedger, TheEndOfAMatchIsCompared) {
    // The same last tick and state on both.
    ChecksumLedger Both;
    for (int64_t Tick = 1; Tick <= 40; ++Tick) {
        Both.Ours(Tick, uint32_t(Tick));
    }
    Both.Theirs(45, 45, true);
    for (int64_t Tick = 41; Tick <= 45; ++Tick) {
        Both.Ours(Tick, uint32_t(Tick));
    }
    EXPECT_EQ(Both.TheirLast(), 45);
    EXPECT_EQ(Both.Differs(), -1);
    // Another state at the last tick.
    ChecksumLedger State;
    State.Ours(1, 1);
    State.Theirs(1, 2, true);
    EXPECT_EQ(State.Differs(), 1);
    // Over there at a tick the match went on past here.
    ChecksumLedger Past;
    for (int64_t Tick = 1; Tick <= 50; ++Tick) {
        Past.Ours(Tick, 0);
    }
    Past.Theirs(45, 0, true);
    EXPECT_EQ(Past.Differs(), 45);
    // And the other way round.
    ChecksumLedger Later;
    Later.Theirs(20, 0, true);
    for (int64_t Tick = 1; Tick <= 21; ++Tick) {
        Later.Ours(Tick, 0);
    }
    EXPECT_EQ(Later.Differs(), 20);
}
