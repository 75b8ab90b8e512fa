// The viewer watching a room live through the headless window system, fed by a stand-in for the
// server over the in-process network: a late watcher jumps to live at once, then plays at 1x and
// no faster, holds the picture while paused, and says in its line why the watching ended.
#include <gtest/gtest.h>

#include <random>

#include "FlowHelpers.h"
#include "game/GameOptions.h"
#include "match/Match.h"
#include "match/Trace.h"
#include "net/Loopback.h"
#include "net/Meeting.h"
#include "online/FrmCode.h"
#include "online/FrmMeet.h"
#include "platform/Random.h"
#include "replay/FrmReplay.h"
#include "replay/LiveFeed.h"
#include "replay/ReplayMatch.h"

namespace {

constexpr int16_t KeyUp = 0x26;

// The server's side of one watcher: answers its request and sends what the test says.
struct StandIn {
    LoopbackNetwork Net{5};
    std::unique_ptr<Transport> Server = Net.Listen(9);
    PeerId Watcher = NoPeer;
    std::string Asked;

    void Listen() {
        for (NetEvent E = Server->Poll(0); E.Type != NetEvent::Kind::Nothing; E = Server->Poll(0)) {
            Meeting::Message M;
            if (E.Type == NetEvent::Kind::Received && Meeting::Decode(E.Bytes.data(), E.Bytes.size(), M) &&
                M.Type == Meeting::Kind::Watch) {
                Watcher = E.Peer;
                Asked.assign(M.Room.begin(), M.Room.end());
            }
        }
    }
    void Tell(const Meeting::Message &M) { Server->Send(Watcher, Meeting::Encode(M), true); }
    void Ticks(const Typ_Replay &Match, uint32_t From, uint32_t Count) {
        for (uint32_t First = From; First < From + Count; First += Meeting::MaxTicksPerMessage) {
            Meeting::Message M;
            M.Type = Meeting::Kind::Ticks;
            M.Screen = 1;
            M.First = First;
            for (uint32_t Tick = First; Tick < std::min(From + Count, First + Meeting::MaxTicksPerMessage);
                 ++Tick) {
                M.Bytes.push_back(Match.Inputs[0][Tick - 1]);
                M.Bytes.push_back(Match.Inputs[1][Tick - 1]);
            }
            Tell(M);
        }
    }
};

Typ_Replay MadeMatch(uint32_t Ticks) {
    Typ_Replay Match;
    Match.Fingerprint = SimulationFingerprint();
    Match.Origin = ReplayOrigin::Server;
    Match.People[0] = 0;
    Match.People[1] = 3;
    ResetRnd();
    Match.RandomPosition = RndPosition();
    Match.Ticks = Ticks;
    std::mt19937 Random(5);
    for (int Person = 0; Person < 2; ++Person) {
        PadInput Held = 0;
        for (uint32_t Tick = 0; Tick < Ticks; ++Tick) {
            Held = Random() % 6 == 0 ? PadInput(Random() % 32) : Held;
            Match.Inputs[Person].push_back(Held);
        }
    }
    return Match;
}

TEST(WatchViewerTest, LateWatcherJumpsToLiveThenPlaysAtMostLive) {
    HeadlessRun Run;
    const Typ_Replay Match = MadeMatch(2000);
    Typ_Replay Header = Match;
    Header.Inputs[0].clear();
    Header.Inputs[1].clear();
    Header.Ticks = 0;
    StandIn Server;
    LiveFeed Feed(Server.Net.Connect(9), "ABCD", "the test's server");
    auto Viewer = [] { return HeadlessRun::Focused<Frm_Replay>(); };
    std::string Shown;

    // The connection and the watcher's request take the network's time.
    for (uint64_t At = 10; At < 100; At += 10) {
        Run.Screen.At(At, [&] {
            Server.Net.Advance(20);
            Server.Listen();
        });
    }
    Run.Screen.At(100, [&] {
        ASSERT_NE(Viewer(), nullptr);
        EXPECT_EQ(Viewer()->LineText(), "room ABCD: waiting for the match to start");
        Server.Listen();
        ASSERT_NE(Server.Watcher, NoPeer);
        EXPECT_EQ(Server.Asked, "ABCD");
        Meeting::Message Start;
        Start.Type = Meeting::Kind::Start;
        Start.Screen = 1;
        Start.Bytes = EncodeReplay(Header);
        Server.Tell(Start);
        Server.Ticks(Match, 1, 900); // a late watcher: the match is half a minute on
        Server.Net.Advance(50);
    });
    Run.Screen.At(200, [&] {
        EXPECT_EQ(Viewer()->Tick(), 900) << "the late watcher was not caught up at once";
        EXPECT_EQ(Viewer()->TicksRun(), 900);
        EXPECT_NE(Viewer()->LineText().find("live"), std::string::npos) << Viewer()->LineText();
        Run.Screen.Press(KeyUp);
        Run.Screen.Press(KeyUp);
        EXPECT_EQ(Viewer()->Speed(), ViewerNormalSpeed) << "faster than live";
        Server.Ticks(Match, 901, 30);
        Server.Net.Advance(50);
    });
    Run.Screen.At(200 + 33 * 15, [&] {
        EXPECT_GT(Viewer()->Tick(), 905);
        EXPECT_LT(Viewer()->Tick(), 925) << "the new ticks came in a burst, not at 1x";
    });
    Run.Screen.At(200 + 33 * 40, [&] {
        EXPECT_EQ(Viewer()->Tick(), 930);
        Run.Screen.Press(VK_SPACE);
        Server.Ticks(Match, 931, 100);
        Server.Net.Advance(50);
    });
    Run.Screen.At(200 + 33 * 80, [&] {
        EXPECT_EQ(Viewer()->Tick(), 930) << "a paused watcher was moved on";
        EXPECT_NE(Viewer()->LineText().find("paused"), std::string::npos);
        Run.Screen.Press(VK_SPACE);
    });
    Run.Screen.At(200 + 33 * 90, [&] {
        EXPECT_GT(Viewer()->Tick(), 935);
        EXPECT_LT(Viewer()->Tick(), 945) << "after a pause, the watcher goes on from where it was";
        Meeting::Message Over;
        Over.Type = Meeting::Kind::Over;
        Over.Why = Meeting::Reason::PlayersLeft;
        Server.Tell(Over);
        Server.Net.Advance(50);
    });
    Run.Screen.At(200 + 33 * 200, [&] {
        EXPECT_EQ(Viewer()->Tick(), 1030) << "the ticks played before the players left were not all shown";
        EXPECT_EQ(Viewer()->LineText(), "tick 1030  the players left");
        Shown = TraceLine(1030);
        Run.Screen.Press(VK_ESCAPE);
    });
    RunWatchViewer(Feed, "ABCD");
    EXPECT_FALSE(Run.Screen.Stalled());

    // The match is the very match: the same ticks, run here without a viewer, leave the same state.
    StartReplay(Match);
    for (int64_t Tick = 1; Tick <= 1030; ++Tick) {
        RunReplayTick(Match, Tick);
    }
    EXPECT_EQ(Shown, TraceLine(1030));
}

TEST(WatchViewerTest, AStartOfAnotherBuildIsRefusedInOneLine) {
    HeadlessRun Run;
    StandIn Server;
    LiveFeed Feed(Server.Net.Connect(9), "ABCD", "the test's server");
    for (int Round = 0; Round < 5; ++Round) {
        Server.Net.Advance(50);
        Server.Listen();
        Feed.Next(0);
    }
    ASSERT_NE(Server.Watcher, NoPeer);
    Typ_Replay Other = MadeMatch(0);
    Other.Fingerprint ^= 1;
    Meeting::Message Start;
    Start.Type = Meeting::Kind::Start;
    Start.Screen = 1;
    Start.Bytes = EncodeReplay(Other);
    Server.Tell(Start);
    Server.Net.Advance(50);
    while (!Feed.Over() && Feed.Next(0)) {
    }
    Feed.Next(0);
    EXPECT_TRUE(Feed.Over());
    EXPECT_EQ(Feed.Problem(), Meeting::Sentence(Meeting::Reason::OtherBuild));
    EXPECT_EQ(Feed.Matches(), 0);
}

TEST(WatchViewerTest, WatchTakesARoomsCodeAndAServerOnly) {
    auto Parse = [](std::vector<const char *> Arguments, GameOptions &Options, std::string &Error) {
        Arguments.insert(Arguments.begin(), "zorbump");
        return ParseGameOptions(int(Arguments.size()), Arguments.data(), Options, Error);
    };
    GameOptions Options;
    std::string Error;
    ASSERT_TRUE(Parse({"--server", "play.example.org:4000", "--watch", "kxpw"}, Options, Error)) << Error;
    EXPECT_EQ(Options.WatchRoom, "KXPW");
    EXPECT_EQ(Options.Online.Address, "play.example.org");
    EXPECT_EQ(Options.Online.Port, 4000);
    for (const std::vector<const char *> &Bad : {std::vector<const char *>{"--watch", "KXPW"},
                                                 {"--server", "h", "--watch", "KXP"},
                                                 {"--server", "h", "--watch", "KXPI"},
                                                 {"--server", "h", "--watch", "KXPW", "--record", "d"},
                                                 {"--server", "h", "--watch", "KXPW", "--replay", "f"},
                                                 {"--host", "--watch", "KXPW"}}) {
        GameOptions Refused;
        EXPECT_FALSE(Parse(Bad, Refused, Error));
        EXPECT_EQ(Error.find('\n'), std::string::npos);
    }
}

TEST(WatchViewerTest, WatchInTheOnlineWindowAsksTheRoomsCode) {
    HeadlessRun Run;
    auto Keys = [&](std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    };
    Run.Screen.At(10, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Meet>(), nullptr);
        ASSERT_NE(HeadlessRun::Focused<Frm_Meet>()->Item(MeetChoice::Watch), nullptr);
        Keys({VK_N, VK_N, VK_N, VK_RETURN});
    });
    Run.Screen.At(1100, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Code>(), nullptr);
        Keys({'W', 'A', 'T', 'C', VK_RETURN});
    });
    const MeetRequest Wanted = ChooseMeeting("127.0.0.1:24680");
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Wanted.Choice, MeetChoice::Watch);
    EXPECT_EQ(Wanted.Code, "WATC");
}

} // namespace
