// The replay file as bytes: what is written is read back the same, a whole match is small, and a
// file damaged in any way is refused with a reason and never half read.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "platform/Crc32.h"
#include "replay/ReplayFile.h"

namespace {

// A match of two people pressing keys the way people do: held for a while, then changed.
Typ_Replay PlayedMatch(uint32_t Ticks, uint32_t Seed) {
    Typ_Replay Replay;
    Replay.Fingerprint = 0x12345678u;
    Replay.Origin = ReplayOrigin::Game;
    const int Sides[4] = {0, 1, 1, 1}, Slots[4] = {0, 2, 0, 1};
    for (int I = 0; I < 4; ++I) {
        Replay.Sides[I] = Sides[I];
        Replay.Slots[I] = Slots[I];
    }
    Replay.People[0] = 2;
    Replay.People[1] = 0;
    Replay.Seeded = true;
    Replay.Seed = 0xFFFFFFFFFFFFFFFFull;
    Replay.RandomPosition = 0x0123456789ABCDEFull;
    Replay.Blink = 1;
    Replay.Date = 1796767200;
    Replay.Won = true;
    Replay.Score[0] = 15;
    Replay.Score[1] = 9;
    Replay.Ticks = Ticks;
    std::mt19937 Random(Seed);
    for (int Person = 0; Person < 2; ++Person) {
        PadInput Held = 0;
        for (uint32_t Tick = 0; Tick < Ticks; ++Tick) {
            if (Random() % 6 == 0) {
                Held = PadInput(Random() % 32);
            }
            Replay.Inputs[Person].push_back(Held);
        }
    }
    return Replay;
}

void ExpectSame(const Typ_Replay &A, const Typ_Replay &B) {
    EXPECT_EQ(A.Fingerprint, B.Fingerprint);
    EXPECT_EQ(A.Origin, B.Origin);
    for (int I = 0; I < 4; ++I) {
        EXPECT_EQ(A.Sides[I], B.Sides[I]);
        EXPECT_EQ(A.Slots[I], B.Slots[I]);
    }
    EXPECT_EQ(A.People[0], B.People[0]);
    EXPECT_EQ(A.People[1], B.People[1]);
    EXPECT_EQ(A.Seeded, B.Seeded);
    EXPECT_EQ(A.Seed, B.Seed);
    EXPECT_EQ(A.RandomPosition, B.RandomPosition);
    EXPECT_EQ(A.Blink, B.Blink);
    EXPECT_EQ(A.Date, B.Date);
    EXPECT_EQ(A.Won, B.Won);
    EXPECT_EQ(A.Score[0], B.Score[0]);
    EXPECT_EQ(A.Score[1], B.Score[1]);
    EXPECT_EQ(A.Ticks, B.Ticks);
    EXPECT_EQ(A.Inputs[0], B.Inputs[0]);
    EXPECT_EQ(A.Inputs[1], B.Inputs[1]);
}

// Mends the length and the checksum of changed bytes, so that the reader's own checks of the
// contents are what is tried.
void Reseal(std::vector<uint8_t> &Bytes) {
    if (Bytes.size() < 14) {
        return;
    }
    const uint32_t Length = uint32_t(Bytes.size());
    for (int Byte = 0; Byte < 4; ++Byte) {
        Bytes[6 + size_t(Byte)] = uint8_t(Length >> (8 * Byte));
    }
    const uint32_t Sum = Crc32(Bytes.data(), Bytes.size() - 4);
    for (int Byte = 0; Byte < 4; ++Byte) {
        Bytes[Bytes.size() - 4 + size_t(Byte)] = uint8_t(Sum >> (8 * Byte));
    }
}

TEST(ReplayFile, WhatIsWrittenIsReadBack) {
    for (uint32_t Ticks : {0u, 1u, 2u, 1000u, 20000u}) {
        const Typ_Replay Original = PlayedMatch(Ticks, Ticks);
        Typ_Replay Read;
        const ReplayCheck Check = DecodeReplay(EncodeReplay(Original), Read);
        ASSERT_EQ(Check.Problem, ReplayProblem::None) << Check.Reason;
        ExpectSame(Original, Read);
    }
    // Nobody at the keys: a match of computer characters has no controls at all.
    Typ_Replay Computers;
    Computers.Ticks = 5000;
    Typ_Replay Read;
    const std::vector<uint8_t> Bytes = EncodeReplay(Computers);
    EXPECT_EQ(Bytes.size(), 57u);
    ASSERT_EQ(DecodeReplay(Bytes, Read).Problem, ReplayProblem::None);
    ExpectSame(Computers, Read);
}

TEST(ReplayFile, AWholeMatchTakesAFewKilobytes) {
    // Two people changing their keys every six ticks on average, for about ten minutes.
    const std::vector<uint8_t> Bytes = EncodeReplay(PlayedMatch(18000, 7));
    EXPECT_LT(Bytes.size(), 12000u);
    // One long hold is one run: the file hardly grows with the length of a rally.
    Typ_Replay Still = PlayedMatch(0, 1);
    Still.Ticks = 100000;
    Still.Inputs[0].assign(100000, PadBits::Hit);
    Still.Inputs[1].assign(100000, 0);
    EXPECT_LT(EncodeReplay(Still).size(), 80u);
}

TEST(ReplayFile, EachKindOfDamageIsNamed) {
    const Typ_Replay Original = PlayedMatch(3000, 3);
    const std::vector<uint8_t> Good = EncodeReplay(Original);
    Typ_Replay Read = PlayedMatch(10, 99);
    const Typ_Replay Before = Read;
    auto Check = [&](std::vector<uint8_t> Bytes, ReplayProblem Expected) {
        const ReplayCheck Result = DecodeReplay(Bytes, Read);
        EXPECT_EQ(Result.Problem, Expected) << Result.Reason;
        EXPECT_FALSE(Result.Reason.empty());
        EXPECT_EQ(Result.Reason.find('\n'), std::string::npos);
        ExpectSame(Read, Before); // nothing of a refused file is taken
    };
    Check({}, ReplayProblem::NotReplay);
    Check({'P', 'N', 'G', ' ', 1, 0}, ReplayProblem::NotReplay);
    std::vector<uint8_t> Version = Good;
    Version[4] = 2;
    Check(Version, ReplayProblem::OtherVersion);
    EXPECT_NE(DecodeReplay(Version, Read).Reason.find("version 2"), std::string::npos);
    for (size_t Cut : {size_t(5), size_t(30), Good.size() / 2, Good.size() - 1}) {
        Check(std::vector<uint8_t>(Good.begin(), Good.begin() + long(Cut)), ReplayProblem::Truncated);
    }
    std::vector<uint8_t> Longer = Good;
    Longer.push_back(0);
    Check(Longer, ReplayProblem::TooLong);
    std::vector<uint8_t> Flipped = Good;
    Flipped[Good.size() / 2] ^= 0x10;
    Check(Flipped, ReplayProblem::Corrupted);
    // Sound checksums over unsound contents: a writer's fault.
    std::vector<uint8_t> Lineup = Good;
    Lineup[15] = 0x00; // character 0 on slot 0 of the left side ...
    Lineup[17] = 0x00; // ... and character 2 too
    Reseal(Lineup);
    Check(Lineup, ReplayProblem::Malformed);
    std::vector<uint8_t> Ticks = Good;
    Ticks[47] ^= 1; // one tick more or less than the runs hold
    Reseal(Ticks);
    Check(Ticks, ReplayProblem::Malformed);
}

TEST(ReplayFile, DamagedFilesAreRefusedOrReadWhole) {
    // Thousands of mutations and cuts of sound files, resealed or not: the reader refuses them or
    // reads a replay that holds together (every person's controls as long as the match), and
    // never reads outside the bytes (the sanitizer build runs this too).
    std::mt19937 Random(2026);
    const std::vector<uint8_t> Sources[] = {EncodeReplay(PlayedMatch(400, 1)),
                                            EncodeReplay(PlayedMatch(1, 2)), EncodeReplay(Typ_Replay{})};
    int Refused = 0, Read = 0;
    for (int Round = 0; Round < 6000; ++Round) {
        std::vector<uint8_t> Bytes = Sources[size_t(Round) % 3];
        const int Kind = int(Random() % 4);
        if (Kind == 0 && !Bytes.empty()) {
            Bytes.resize(Random() % Bytes.size());
        } else {
            const int Changes = 1 + int(Random() % 4);
            for (int Change = 0; Change < Changes; ++Change) {
                const size_t At = Random() % Bytes.size();
                switch (Random() % 4) {
                case 0:
                    Bytes[At] ^= uint8_t(1u << (Random() % 8));
                    break;
                case 1:
                    Bytes[At] = uint8_t(Random());
                    break;
                case 2:
                    Bytes.insert(Bytes.begin() + long(At), uint8_t(Random()));
                    break;
                default:
                    Bytes.erase(Bytes.begin() + long(At));
                    break;
                }
            }
        }
        if (Kind >= 2) {
            Reseal(Bytes);
        }
        Typ_Replay Replay;
        const ReplayCheck Check = DecodeReplay(Bytes, Replay);
        if (Check.Problem != ReplayProblem::None) {
            ++Refused;
            EXPECT_FALSE(Check.Reason.empty());
            continue;
        }
        ++Read;
        ASSERT_LE(Replay.Ticks, ReplayMaxTicks);
        for (int Person = 0; Person < 2; ++Person) {
            ASSERT_EQ(Replay.Inputs[Person].size(), Replay.People[Person] >= 0 ? Replay.Ticks : 0u);
            for (PadInput Controls : Replay.Inputs[Person]) {
                ASSERT_LT(Controls, 32);
            }
        }
        // What was read is written and read back the same: nothing in it was left unchecked.
        Typ_Replay Again;
        ASSERT_EQ(DecodeReplay(EncodeReplay(Replay), Again).Problem, ReplayProblem::None);
        ExpectSame(Replay, Again);
    }
    EXPECT_GT(Refused, 3000);
    EXPECT_GT(Read, 0);
}

TEST(ReplayFile, FilesOnDisk) {
    const std::string Path = ::testing::TempDir() + "/replay-file-test.zbr";
    const Typ_Replay Original = PlayedMatch(500, 5);
    std::string Error;
    ASSERT_TRUE(WriteReplayFile(Path, Original, Error)) << Error;
    Typ_Replay Read;
    ASSERT_EQ(ReadReplayFile(Path, Read).Problem, ReplayProblem::None);
    ExpectSame(Original, Read);
    std::remove(Path.c_str());
    EXPECT_EQ(ReadReplayFile(Path, Read).Problem, ReplayProblem::Unreadable);
    EXPECT_FALSE(WriteReplayFile(::testing::TempDir() + "/no/such/folder/x.zbr", Original, Error));
    EXPECT_FALSE(Error.empty());
    EXPECT_EQ(ReplayFileName(1796767200), "zorbump-20261208-220000.zbr");
}

} // namespace
