// The meeting place and relay without a network: quick matches in the order players came, rooms
// and their codes, builds compared, the relay's framing and session checks, silence, expiry, and
// the bounds on what one address may do.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "net/Meeting.h"
#include "server/Lobby.h"

namespace {

using Clock = Lobby::Clock;

struct Recorder : Lobby::Output {
    std::map<PlayerId, std::vector<std::vector<uint8_t>>> Got;
    std::set<PlayerId> Closed;
    void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool) override {
        Got[To].emplace_back(Bytes, Bytes + Size);
    }
    void Close(PlayerId Who) override { Closed.insert(Who); }

    // The last meeting message a player was sent.
    Meeting::Message Last(PlayerId Who) {
        Meeting::Message M;
        EXPECT_FALSE(Got[Who].empty());
        if (!Got[Who].empty()) {
            EXPECT_TRUE(Meeting::Decode(Got[Who].back().data(), Got[Who].back().size(), M));
        }
        return M;
    }
};

class LobbyTest : public ::testing::Test {
  protected:
    Recorder Out;
    Metrics Counts;
    AddressLimits Limits;
    Lobby::Settings Chosen;
    std::unique_ptr<Lobby> L;
    Clock::time_point Now = Clock::now();

    void SetUp() override { L = std::make_unique<Lobby>(Out, Counts, Limits, Chosen, 42); }

    void Come(PlayerId Id, const std::string &Address = "10.0.0.1") {
        ASSERT_TRUE(Limits.Admit(Address));
        ASSERT_TRUE(L->Join(Id, Address, Now));
    }
    void Ask(PlayerId Id, Meeting::Want W, const std::string &Code = "AAAA", uint32_t Fingerprint = 7) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Ask;
        M.Wanted = W;
        std::copy(Code.begin(), Code.begin() + 4, M.Room.begin());
        M.Protocol = 2;
        M.Fingerprint = Fingerprint;
        const auto Bytes = Meeting::Encode(M);
        L->Receive(Id, Bytes.data(), Bytes.size(), true, Now);
    }
    std::vector<uint8_t> SessionMessage(uint32_t Session, uint8_t Kind = 4) {
        std::vector<uint8_t> B = {0x42,
                                  0x5A,
                                  2,
                                  Kind,
                                  uint8_t(Session),
                                  uint8_t(Session >> 8),
                                  uint8_t(Session >> 16),
                                  uint8_t(Session >> 24),
                                  1,
                                  2,
                                  3};
        return B;
    }
    std::string CodeOf(PlayerId Id) {
        const Meeting::Message M = Out.Last(Id);
        EXPECT_EQ(M.Type, Meeting::Kind::Code);
        return std::string(M.Room.begin(), M.Room.end());
    }
};

TEST_F(LobbyTest, QuickMatchPairsInTheOrderPlayersCame) {
    for (PlayerId Id : {2, 4, 6, 8}) {
        Come(Id);
        Ask(Id, Meeting::Want::Quick);
    }
    const Meeting::Message A = Out.Last(2), B = Out.Last(4), C = Out.Last(6), D = Out.Last(8);
    EXPECT_EQ(A.Type, Meeting::Kind::Paired);
    EXPECT_TRUE(A.Host);
    EXPECT_FALSE(B.Host);
    EXPECT_EQ(A.Session, B.Session);
    EXPECT_TRUE(C.Host);
    EXPECT_EQ(C.Session, D.Session);
    EXPECT_NE(A.Session, C.Session);
    EXPECT_EQ(Counts.MatchesPlaying, 2);
}

TEST_F(LobbyTest, QuickMatchOfOtherBuildsTellsBothWhoMayTryAgain) {
    Come(2);
    Come(4);
    Come(6);
    Ask(2, Meeting::Want::Quick, "AAAA", 7);
    Ask(4, Meeting::Want::Quick, "AAAA", 8);
    EXPECT_EQ(Out.Last(2).Why, Meeting::Reason::OtherBuild);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::OtherBuild);
    // Neither is paired with the other afterwards; each meets a matching build.
    Ask(4, Meeting::Want::Quick, "AAAA", 8);
    Ask(6, Meeting::Want::Quick, "AAAA", 8);
    EXPECT_EQ(Out.Last(4).Type, Meeting::Kind::Paired);
    EXPECT_EQ(Out.Last(6).Type, Meeting::Kind::Paired);
    EXPECT_EQ(Out.Got[2].size(), 1u);
}

TEST_F(LobbyTest, APlayerWhoGaveUpWaitingIsNeverPaired) {
    Come(2);
    Ask(2, Meeting::Want::Quick);
    L->Leave(2);
    Come(4);
    Come(6);
    Ask(4, Meeting::Want::Quick);
    EXPECT_TRUE(Out.Got[4].empty()); // waits: nobody is there
    Ask(6, Meeting::Want::Quick);
    EXPECT_EQ(Out.Last(4).Type, Meeting::Kind::Paired);
    EXPECT_EQ(Out.Got[2].size(), 0u);
}

TEST_F(LobbyTest, RoomCodeTypedWrongThenRight) {
    Come(2);
    Ask(2, Meeting::Want::NewRoom);
    const std::string Code = CodeOf(2);
    EXPECT_TRUE(Meeting::ValidCode(Code));
    EXPECT_EQ(Code.find_first_of("ILOQUV0123456789"), std::string::npos);
    EXPECT_EQ(Counts.RoomsWaiting, 1);
    Come(4, "10.0.0.2");
    std::string Wrong = Code;
    Wrong[0] = Wrong[0] == 'A' ? 'B' : 'A';
    Ask(4, Meeting::Want::JoinRoom, Wrong);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::NoSuchRoom);
    Ask(4, Meeting::Want::JoinRoom, Code);
    EXPECT_EQ(Out.Last(4).Type, Meeting::Kind::Paired);
    EXPECT_FALSE(Out.Last(4).Host);
    EXPECT_TRUE(Out.Last(2).Host);
    EXPECT_EQ(Counts.RoomsWaiting, 0);
    // A third player is refused; the room plays on.
    Come(6, "10.0.0.3");
    Ask(6, Meeting::Want::JoinRoom, Code);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::Full);
}

TEST_F(LobbyTest, AJoinerOfAnotherBuildIsToldAndTheRoomWaitsOn) {
    Come(2);
    Ask(2, Meeting::Want::NewRoom, "AAAA", 7);
    const std::string Code = CodeOf(2);
    Come(4);
    Ask(4, Meeting::Want::JoinRoom, Code, 9);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::OtherBuild);
    Come(6);
    Ask(6, Meeting::Want::JoinRoom, Code, 7);
    EXPECT_EQ(Out.Last(6).Type, Meeting::Kind::Paired);
}

TEST_F(LobbyTest, TenWrongCodesAMinuteFromOneAddress) {
    Come(2);
    Ask(2, Meeting::Want::NewRoom);
    const std::string Code = CodeOf(2);
    Come(4, "10.9.9.9");
    for (int I = 0; I < 10; ++I) {
        Ask(4, Meeting::Want::JoinRoom, Code == "ZZZZ" ? "YYYY" : "ZZZZ");
        EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::NoSuchRoom);
    }
    // Even the right code is not looked up now, nor from a new connection of the same address.
    Ask(4, Meeting::Want::JoinRoom, Code);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::TooManyTries);
    L->Leave(4);
    Limits.Release("10.9.9.9");
    Come(6, "10.9.9.9");
    Ask(6, Meeting::Want::JoinRoom, Code);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::TooManyTries);
    // Another address is not held back, and a minute later this one may try again.
    Now += std::chrono::seconds(61);
    Ask(6, Meeting::Want::JoinRoom, Code);
    EXPECT_EQ(Out.Last(6).Type, Meeting::Kind::Paired);
}

TEST_F(LobbyTest, RelayForwardsTheRoomsMessagesUnchangedAndDropsTheRest) {
    Come(2);
    Come(4);
    Come(8);
    Ask(2, Meeting::Want::Quick);
    Ask(4, Meeting::Want::Quick);
    const uint32_t Session = Out.Last(2).Session;
    const auto Good = SessionMessage(Session);
    EXPECT_TRUE(L->Receive(2, Good.data(), Good.size(), false, Now));
    EXPECT_EQ(Out.Got[4].back(), Good);
    const auto Hello = SessionMessage(0, 1); // a guest's first hello knows no number yet
    EXPECT_TRUE(L->Receive(4, Hello.data(), Hello.size(), true, Now));
    EXPECT_EQ(Out.Got[2].back(), Hello);
    const auto Other = SessionMessage(Session + 1);
    EXPECT_FALSE(L->Receive(2, Other.data(), Other.size(), false, Now));
    auto Foreign = Good;
    Foreign[0] = 0;
    EXPECT_FALSE(L->Receive(2, Foreign.data(), Foreign.size(), false, Now));
    EXPECT_FALSE(L->Receive(2, Good.data(), 7, false, Now));
    std::vector<uint8_t> Huge(4000, 0);
    std::copy(Good.begin(), Good.end(), Huge.begin());
    EXPECT_FALSE(L->Receive(2, Huge.data(), Huge.size(), false, Now));
    // A player in no room has nobody to send to.
    EXPECT_FALSE(L->Receive(8, Good.data(), Good.size(), false, Now));
    EXPECT_EQ(Counts.MessagesRelayed, 2u);
    EXPECT_EQ(Counts.BytesRelayed, Good.size() + Hello.size());
    EXPECT_EQ(Counts.Refusals["session"], 2u);
    EXPECT_EQ(Counts.Refusals["framing"], 3u);
}

TEST_F(LobbyTest, LeavingOrSilenceEndsTheRoomForBoth) {
    for (PlayerId Id : {2, 4, 6, 8}) {
        Come(Id);
        Ask(Id, Meeting::Want::Quick);
    }
    L->Leave(2);
    EXPECT_EQ(Out.Last(4).Type, Meeting::Kind::Over);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::PartnerLeft);
    EXPECT_STREQ(Meeting::Sentence(Out.Last(4).Why), "the other player left");
    EXPECT_TRUE(Out.Closed.count(4));
    // The other room: one player goes on being heard, the other falls silent.
    Now += std::chrono::seconds(3);
    L->Heard(6, Now);
    L->Tick(Now);
    EXPECT_EQ(Out.Last(8).Type, Meeting::Kind::Paired);
    Now += std::chrono::seconds(2);
    L->Tick(Now);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::PartnerLost);
    EXPECT_STREQ(Meeting::Sentence(Out.Last(6).Why), "connection lost");
    EXPECT_TRUE(Out.Closed.count(6) && Out.Closed.count(8));
    EXPECT_EQ(Counts.MatchesFinished, 2u);
    EXPECT_EQ(Counts.MatchesPlaying, 0);
    EXPECT_EQ(L->Players(), 0u);
}

TEST_F(LobbyTest, RoomsCloseWhenTheHostLeavesOrNobodyComesFor10Minutes) {
    Come(2);
    Ask(2, Meeting::Want::NewRoom);
    const std::string Gone = CodeOf(2);
    L->Leave(2);
    EXPECT_EQ(Counts.RoomsWaiting, 0);
    Come(4);
    Ask(4, Meeting::Want::JoinRoom, Gone);
    EXPECT_EQ(Out.Last(4).Why, Meeting::Reason::NoSuchRoom);
    Come(6);
    Ask(6, Meeting::Want::NewRoom);
    Now += std::chrono::minutes(10);
    L->Tick(Now);
    EXPECT_EQ(Out.Last(6).Type, Meeting::Kind::Over);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::Closed);
    EXPECT_EQ(Counts.RoomsWaiting, 0);
}

TEST_F(LobbyTest, StoppingTellsEveryoneAndTakesNobodyNew) {
    for (PlayerId Id : {2, 4, 6}) {
        Come(Id);
    }
    Ask(2, Meeting::Want::Quick);
    Ask(4, Meeting::Want::Quick);
    L->Stop();
    for (PlayerId Id : {2, 4, 6}) {
        EXPECT_EQ(Out.Last(Id).Why, Meeting::Reason::GoingAway);
        EXPECT_TRUE(Out.Closed.count(Id));
    }
    ASSERT_TRUE(Limits.Admit("10.0.0.5"));
    EXPECT_FALSE(L->Join(10, "10.0.0.5", Now));
    EXPECT_EQ(Out.Last(10).Why, Meeting::Reason::GoingAway);
}

TEST_F(LobbyTest, AFullServerSaysSo) {
    Chosen.MaxPlayers = 2;
    SetUp();
    Come(2);
    Come(4);
    ASSERT_TRUE(Limits.Admit("10.0.0.1"));
    EXPECT_FALSE(L->Join(6, "10.0.0.1", Now));
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::ServerFull);
    EXPECT_TRUE(Out.Closed.count(6));
}

TEST(AddressLimitsTest, ConnectionsPerAddressAndMessagesPerConnectionAreBounded) {
    AddressLimits::Settings S;
    S.ConnectionsPerAddress = 2;
    AddressLimits Limits(S);
    EXPECT_TRUE(Limits.Admit("a"));
    EXPECT_TRUE(Limits.Admit("a"));
    EXPECT_FALSE(Limits.Admit("a"));
    EXPECT_TRUE(Limits.Admit("b"));
    // Forgotten once it holds nothing: the table does not grow with strangers.
    Limits.Release("a");
    Limits.Release("a");
    Limits.Release("b");
    EXPECT_EQ(Limits.AddressesKnown(), 0u);

    MessageBucket Bucket;
    const auto T = Clock::now();
    int Allowed = 0;
    for (int I = 0; I < 1000; ++I) {
        Allowed += Bucket.Take(T) ? 1 : 0;
    }
    EXPECT_EQ(Allowed, int(MessageBucket::Burst));
    EXPECT_FALSE(Bucket.Take(T + std::chrono::milliseconds(1)));
    EXPECT_TRUE(Bucket.Take(T + std::chrono::milliseconds(10)));
}

// Watchers come by a room's code: as hard to guess as joining, of the players' build, at most 50.
class LobbyWatchTest : public LobbyTest {
  protected:
    void Watch(PlayerId Id, const std::string &Code, uint32_t Fingerprint = 7) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Watch;
        std::copy(Code.begin(), Code.begin() + 4, M.Room.begin());
        M.Protocol = 2;
        M.Fingerprint = Fingerprint;
        const auto Bytes = Meeting::Encode(M);
        L->Receive(Id, Bytes.data(), Bytes.size(), true, Now);
    }
    std::string Room() {
        Come(2);
        Ask(2, Meeting::Want::NewRoom);
        const std::string Code = CodeOf(2);
        Come(4, "10.0.0.2");
        Ask(4, Meeting::Want::JoinRoom, Code);
        return Code;
    }
};

TEST_F(LobbyWatchTest, FiftyWatchAndTheFiftyFirstIsToldWhy) {
    const std::string Code = Room();
    for (PlayerId Id = 100; Id < 200; Id += 2) {
        Come(Id, "10.1.0." + std::to_string(Id));
        Watch(Id, Code);
        EXPECT_TRUE(Out.Got[Id].empty()) << "watcher " << Id << " was refused"; // waits for a start
    }
    EXPECT_EQ(Out.Last(2).Type, Meeting::Kind::Watchers);
    EXPECT_EQ(Out.Last(4).Count, 50);
    Come(300, "10.2.0.1");
    Watch(300, Code);
    EXPECT_EQ(Out.Last(300).Type, Meeting::Kind::Refused);
    EXPECT_EQ(Out.Last(300).Why, Meeting::Reason::NoSeats);
    EXPECT_STREQ(Meeting::Sentence(Meeting::Reason::NoSeats), "that room already has 50 watchers");
    // One leaves: a seat is free again, and the players are told.
    L->Leave(100);
    EXPECT_EQ(Out.Last(2).Count, 49);
    Watch(300, Code);
    EXPECT_EQ(Out.Got[300].size(), 1u);
}

TEST_F(LobbyWatchTest, WrongCodesToWatchCountAsWrongCodesAndBuildsMustMatch) {
    const std::string Code = Room();
    Come(6, "10.0.0.9");
    Watch(6, Code, 8);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::OtherBuild);
    std::string Wrong = Code;
    Wrong[0] = Wrong[0] == 'A' ? 'B' : 'A';
    for (int Try = 0; Try < 10; ++Try) {
        Ask(6, Meeting::Want::JoinRoom, Wrong);
        Watch(6, Wrong);
    }
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::TooManyTries);
    Watch(6, Code);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::TooManyTries) << "the right code after too many wrong ones";
}

TEST_F(LobbyWatchTest, WatchersNeverReachThePlayersAndEndWithTheRoom) {
    const std::string Code = Room();
    Come(6, "10.0.0.9");
    Watch(6, Code);
    EXPECT_EQ(Out.Last(2).Type, Meeting::Kind::Watchers);
    EXPECT_EQ(Out.Last(2).Count, 1);
    // A watcher's session message is not relayed, nor may it start the match.
    const size_t Before = Out.Got[2].size() + Out.Got[4].size();
    const auto Stray = SessionMessage(0);
    EXPECT_FALSE(L->Receive(6, Stray.data(), Stray.size(), false, Now));
    Meeting::Message Start;
    Start.Type = Meeting::Kind::Start;
    Start.Screen = 1;
    Start.Bytes = {1, 2, 3};
    const auto StartBytes = Meeting::Encode(Start);
    L->Receive(6, StartBytes.data(), StartBytes.size(), true, Now);
    L->Receive(4, StartBytes.data(), StartBytes.size(), true, Now); // the guest is not the host
    EXPECT_EQ(Out.Got[2].size() + Out.Got[4].size(), Before);
    EXPECT_EQ(Out.Got[6].size(), 0u);
    L->Receive(2, StartBytes.data(), StartBytes.size(), true, Now);
    ASSERT_EQ(Out.Got[6].size(), 1u);
    EXPECT_EQ(Out.Last(6).Type, Meeting::Kind::Start);
    // The guest leaves: the watcher is told the players left and closed; the host as before.
    L->Leave(4);
    EXPECT_EQ(Out.Last(6).Why, Meeting::Reason::PlayersLeft);
    EXPECT_EQ(Out.Last(2).Why, Meeting::Reason::PartnerLeft);
    EXPECT_TRUE(Out.Closed.count(6));
    EXPECT_EQ(L->Players(), 0u);
}

} // namespace
