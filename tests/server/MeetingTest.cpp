// The meeting messages' bytes: each kind both ways, and decoding that refuses whatever is not
// exactly one of them, thousands of random and mutated inputs included.
#include <gtest/gtest.h>

#include <random>

#include "net/Meeting.h"

namespace {

Meeting::Message RoundTrip(const Meeting::Message &M) {
    const auto Bytes = Meeting::Encode(M);
    Meeting::Message Back;
    EXPECT_TRUE(Meeting::Decode(Bytes.data(), Bytes.size(), Back));
    return Back;
}

TEST(MeetingTest, EachKindRoundTripsWithTheFrozenHeader) {
    Meeting::Message Ask;
    Ask.Wanted = Meeting::Want::JoinRoom;
    Ask.Room = {'K', 'X', 'P', 'W'};
    Ask.Protocol = 2;
    Ask.Fingerprint = 0xA1B2C3D4;
    const auto Bytes = Meeting::Encode(Ask);
    EXPECT_EQ(Bytes[0], 0x42);
    EXPECT_EQ(Bytes[1], 0x5A);
    EXPECT_EQ(Bytes[2], Meeting::Version);
    EXPECT_EQ(Bytes[3], uint8_t(Meeting::Kind::Ask));
    const auto A = RoundTrip(Ask);
    EXPECT_EQ(A.Wanted, Meeting::Want::JoinRoom);
    EXPECT_EQ(A.Room, Ask.Room);
    EXPECT_EQ(A.Protocol, 2);
    EXPECT_EQ(A.Fingerprint, 0xA1B2C3D4u);

    Meeting::Message Paired;
    Paired.Type = Meeting::Kind::Paired;
    Paired.Session = 0x01020304;
    Paired.Host = true;
    const auto P = RoundTrip(Paired);
    EXPECT_EQ(P.Session, 0x01020304u);
    EXPECT_TRUE(P.Host);

    Meeting::Message Over;
    Over.Type = Meeting::Kind::Over;
    Over.Why = Meeting::Reason::GoingAway;
    EXPECT_EQ(RoundTrip(Over).Why, Meeting::Reason::GoingAway);

    Meeting::Message Code;
    Code.Type = Meeting::Kind::Code;
    Code.Room = {'A', 'B', 'C', 'D'};
    EXPECT_EQ(RoundTrip(Code).Room, Code.Room);
}

TEST(MeetingTest, CodesUseNoLookAlikes) {
    EXPECT_TRUE(Meeting::ValidCode("KXPW"));
    EXPECT_FALSE(Meeting::ValidCode("KXP"));
    EXPECT_FALSE(Meeting::ValidCode("KXPO")); // O looks like 0
    EXPECT_FALSE(Meeting::ValidCode("KIPW")); // I looks like 1 and l
    EXPECT_EQ(Meeting::NormalCode("kxpw"), "KXPW");
    EXPECT_EQ(Meeting::NormalCode("kx w"), "");
}

TEST(MeetingTest, DecodingRefusesEverythingElse) {
    Meeting::Message Paired;
    Paired.Type = Meeting::Kind::Paired;
    Paired.Session = 9;
    const auto Good = Meeting::Encode(Paired);
    Meeting::Message M;
    EXPECT_FALSE(Meeting::Decode(Good.data(), Good.size() - 1, M));
    auto Longer = Good;
    Longer.push_back(0);
    EXPECT_FALSE(Meeting::Decode(Longer.data(), Longer.size(), M));
    auto NoSession = Good;
    NoSession[4] = 0;
    EXPECT_FALSE(Meeting::Decode(NoSession.data(), NoSession.size(), M));
    auto Session = Good;
    Session[3] = 4; // a session's kind is not a meeting message
    EXPECT_FALSE(Meeting::Decode(Session.data(), Session.size(), M));
    EXPECT_FALSE(Meeting::Decode(nullptr, 9, M));

    std::mt19937 Random(7);
    int Accepted = 0;
    for (int I = 0; I < 20000; ++I) {
        std::vector<uint8_t> Bytes(Random() % 24);
        for (auto &B : Bytes) {
            B = uint8_t(Random());
        }
        if (Bytes.size() >= 4 && I % 2 == 0) {
            Bytes[0] = 0x42; // half of them get past the mark, to reach the kinds
            Bytes[1] = 0x5A;
            Bytes[2] = Meeting::Version;
            Bytes[3] = uint8_t(0x40 + Random() % 6);
        }
        if (Meeting::Decode(Bytes.data(), Bytes.size(), M)) {
            Accepted++;
            // Whatever is accepted says the same again.
            EXPECT_EQ(Meeting::Encode(M), Bytes);
        }
    }
    EXPECT_GT(Accepted, 0);
}

TEST(MeetingTest, WatchingKindsRoundTripAndRefuseWrongSizes) {
    Meeting::Message Ticks;
    Ticks.Type = Meeting::Kind::Ticks;
    Ticks.Screen = 3;
    Ticks.First = 1201;
    Ticks.Bytes = {1, 2, 3, 4, 5, 6};
    const auto T = RoundTrip(Ticks);
    EXPECT_EQ(T.Screen, 3);
    EXPECT_EQ(T.First, 1201u);
    EXPECT_EQ(T.Bytes, Ticks.Bytes);
    Meeting::Message M;
    auto Bytes = Meeting::Encode(Ticks);
    Bytes.pop_back(); // half a tick
    EXPECT_FALSE(Meeting::Decode(Bytes.data(), Bytes.size(), M));
    Ticks.Bytes.assign(2 * size_t(Meeting::MaxTicksPerMessage), 7);
    EXPECT_LE(Meeting::Encode(Ticks).size(), Meeting::MaxMessageSize);
    EXPECT_EQ(RoundTrip(Ticks).Bytes.size(), 2 * size_t(Meeting::MaxTicksPerMessage));
    Ticks.First = 0; // ticks count from 1
    Bytes = Meeting::Encode(Ticks);
    EXPECT_FALSE(Meeting::Decode(Bytes.data(), Bytes.size(), M));

    Meeting::Message Start;
    Start.Type = Meeting::Kind::Start;
    Start.Screen = 1;
    Bytes = Meeting::Encode(Start);
    EXPECT_FALSE(Meeting::Decode(Bytes.data(), Bytes.size(), M)) << "a start with no record";
    Start.Bytes.assign(Meeting::MaxStartRecord, 9);
    EXPECT_EQ(RoundTrip(Start).Bytes, Start.Bytes);
    Start.Bytes.push_back(9);
    Bytes = Meeting::Encode(Start);
    EXPECT_FALSE(Meeting::Decode(Bytes.data(), Bytes.size(), M));

    Meeting::Message Watch;
    Watch.Type = Meeting::Kind::Watch;
    Watch.Room = {'A', 'B', 'C', 'D'};
    Watch.Protocol = 3;
    Watch.Fingerprint = 77;
    const auto W = RoundTrip(Watch);
    EXPECT_EQ(W.Room, Watch.Room);
    EXPECT_EQ(W.Fingerprint, 77u);
    Meeting::Message Count;
    Count.Type = Meeting::Kind::Watchers;
    Count.Count = 50;
    EXPECT_EQ(RoundTrip(Count).Count, 50);
    Meeting::Message End;
    End.Type = Meeting::Kind::Finished;
    End.Screen = 1;
    End.Last = 4321;
    EXPECT_EQ(RoundTrip(End).Last, 4321u);

    // Thousands of mutated watching messages: whatever is accepted says the same again.
    std::mt19937 Random(8);
    int Accepted = 0;
    for (int I = 0; I < 20000; ++I) {
        std::vector<uint8_t> Fuzz(8 + Random() % 40);
        for (auto &B : Fuzz) {
            B = uint8_t(Random());
        }
        Fuzz[0] = 0x42;
        Fuzz[1] = 0x5A;
        Fuzz[2] = Meeting::Version;
        Fuzz[3] = uint8_t(0x48 + Random() % 6);
        if (Fuzz.size() > 14 && I % 3 == 0) {
            Fuzz[3] = uint8_t(Meeting::Kind::Ticks);
            Fuzz[14] = uint8_t((Fuzz.size() - 15) / 2); // a count that may fit
        }
        if (Meeting::Decode(Fuzz.data(), Fuzz.size(), M)) {
            Accepted++;
            EXPECT_EQ(Meeting::Encode(M), Fuzz);
        }
    }
    EXPECT_GT(Accepted, 100);
}

} // namespace
