// The watchers of a room, without a network: which ticks count as confirmed (both machines' inputs
// passed through; a pause ends a segment; the end the players said), the delay before a watcher
// sees a tick, a late watcher caught up at once, the seats of a room, and a watcher too slow to
// keep up let go while nobody else waits.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "net/Meeting.h"
#include "net/Protocol.h"
#include "server/Watchers.h"

namespace {

using Clock = Watchers::Clock;
using std::chrono::milliseconds;

constexpr uint32_t Room = 77;
constexpr PlayerId Host = 2, Guest = 4;

struct Mailbox : WatchOutput {
    std::map<PlayerId, std::vector<Meeting::Message>> Got;
    std::map<PlayerId, size_t> Held; // a connection's backlog, as the test sets it
    void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool) override {
        Meeting::Message M;
        ASSERT_TRUE(Meeting::Decode(Bytes, Size, M));
        Got[To].push_back(M);
    }
    size_t Backlog(PlayerId Who) const override {
        auto It = Held.find(Who);
        return It == Held.end() ? 0 : It->second;
    }
    // Both people's inputs of every tick a watcher was sent, in order, checked to follow on.
    std::vector<uint8_t> Ticks(PlayerId Who) {
        std::vector<uint8_t> All;
        for (const auto &M : Got[Who]) {
            if (M.Type == Meeting::Kind::Ticks) {
                EXPECT_EQ(M.First, All.size() / 2 + 1);
                All.insert(All.end(), M.Bytes.begin(), M.Bytes.end());
            }
        }
        return All;
    }
    int Count(PlayerId Who, Meeting::Kind K) {
        int N = 0;
        for (const auto &M : Got[Who]) {
            N += M.Type == K ? 1 : 0;
        }
        return N;
    }
};

std::vector<uint8_t> Inputs(uint16_t Segment, int32_t First, const std::vector<uint8_t> &In,
                            uint16_t Screen = 1) {
    Wire::Message M;
    M.Type = Wire::Kind::Inputs;
    M.Screen = Screen;
    M.Segment = Segment;
    M.First = First;
    M.Count = uint8_t(In.size());
    for (size_t I = 0; I < In.size(); ++I) {
        M.Inputs[I] = In[I];
    }
    return Wire::Encode(M);
}

class WatchersTest : public ::testing::Test {
  protected:
    Mailbox Out;
    Watchers::Settings Chosen;
    std::unique_ptr<Watchers> W;
    Clock::time_point Now = Clock::now();
    const std::vector<uint8_t> Record = {'Z', 'B', 'R', 'P', 1, 2, 3};

    void SetUp() override {
        W = std::make_unique<Watchers>(Out, Chosen);
        W->Players(Room, Host, Guest);
        W->Started(Room, 1, Record, Now);
    }
    void From(bool FromHost, const std::vector<uint8_t> &Bytes) {
        W->Relayed(Room, FromHost, Bytes.data(), Bytes.size(), Now);
    }
    void Later(int Millis) {
        Now += milliseconds(Millis);
        EXPECT_TRUE(W->Tick(Now).empty());
    }
};

TEST_F(WatchersTest, TicksCountOnceBothMachinesInputsPassedAndWaitTheDelay) {
    W->Add(Room, 9, Now);
    ASSERT_EQ(Out.Got[9].size(), 1u);
    EXPECT_EQ(Out.Got[9][0].Type, Meeting::Kind::Start);
    EXPECT_EQ(Out.Got[9][0].Bytes, Record);

    From(true, Inputs(0, 0, {1, 2, 3, 4}));
    EXPECT_EQ(W->Confirmed(Room), 0u); // the guest's are not known yet: predictions, not the match
    From(false, Inputs(0, 0, {5, 6}));
    EXPECT_EQ(W->Confirmed(Room), 2u);
    From(false, Inputs(0, 1, {6, 7, 8, 9, 10})); // repeated and beyond the host's
    EXPECT_EQ(W->Confirmed(Room), 4u);

    Later(1900);
    EXPECT_TRUE(Out.Ticks(9).empty()) << "a watcher saw a tick before the delay";
    Later(200);
    EXPECT_EQ(Out.Ticks(9), (std::vector<uint8_t>{1, 5, 2, 6, 3, 7, 4, 8}));
    EXPECT_EQ(W->Released(Room), 4u);
}

TEST_F(WatchersTest, PauseEndsASegmentAndTheNextCountsFromZero) {
    // Tick 2 holds the guest's Space: the match pauses after it; what was sent past it is dropped.
    From(true, Inputs(0, 0, {1, 1, 1, 1}));
    From(false, Inputs(0, 0, {2, 2 | PadBits::Space, 2, 2}));
    EXPECT_EQ(W->Confirmed(Room), 2u);
    From(true, Inputs(1, 0, {3, 3}));
    From(false, Inputs(1, 0, {4}));
    EXPECT_EQ(W->Confirmed(Room), 3u);
    From(true, Inputs(0, 2, {9}));     // stale: of the segment before the pause
    From(false, Inputs(1, 1, {4}, 3)); // another screen
    EXPECT_EQ(W->Confirmed(Room), 3u);
    // The end the players said: ticks past it were inputs sent ahead.
    From(false, Inputs(1, 1, {4, 4}));
    From(true, Inputs(1, 2, {3}));
    EXPECT_EQ(W->Confirmed(Room), 5u);
    Wire::Message Finish;
    Finish.Type = Wire::Kind::Finish;
    Finish.Screen = 1;
    Finish.Frame = 4;
    From(true, Wire::Encode(Finish));
    EXPECT_EQ(W->Confirmed(Room), 4u);

    W->Add(Room, 9, Now);
    Later(2000);
    EXPECT_EQ(Out.Ticks(9), (std::vector<uint8_t>{1, 2, 1, 2 | PadBits::Space, 3, 4, 3, 4}));
    ASSERT_EQ(Out.Got[9].back().Type, Meeting::Kind::Finished);
    EXPECT_EQ(Out.Got[9].back().Last, 4u);
}

TEST_F(WatchersTest, LateWatcherIsCaughtUpAtOnceAndEveryoneEndsWithTheRoom) {
    std::vector<uint8_t> Many(1000, 3);
    for (int32_t At = 0; At < 1000; At += 50) {
        const std::vector<uint8_t> Part(Many.begin() + At, Many.begin() + At + 50);
        From(true, Inputs(0, At, Part));
        From(false, Inputs(0, At, Part));
    }
    Later(2500);
    W->Add(Room, 9, Now);
    EXPECT_EQ(Out.Ticks(9).size(), 2000u) << "the late watcher was not caught up at once";
    // The players are told how many watch.
    EXPECT_EQ(Out.Got[Host].back().Type, Meeting::Kind::Watchers);
    EXPECT_EQ(Out.Got[Host].back().Count, 1);

    From(true, Inputs(0, 1000, {1, 1}));
    From(false, Inputs(0, 1000, {2, 2}));
    // The players leave: what was confirmed comes at once, then one reason.
    const std::vector<PlayerId> Gone = W->Close(Room, Meeting::Reason::PlayersLeft);
    EXPECT_EQ(Gone, std::vector<PlayerId>{9});
    EXPECT_EQ(Out.Ticks(9).size(), 2004u);
    EXPECT_EQ(Out.Got[9].back().Type, Meeting::Kind::Over);
    EXPECT_EQ(Out.Got[9].back().Why, Meeting::Reason::PlayersLeft);
    EXPECT_EQ(W->Count(Room), 0u);
}

TEST_F(WatchersTest, SlowWatcherIsHeldToItsBacklogThenLetGoAlone) {
    W->Add(Room, 9, Now);
    W->Add(Room, 11, Now);
    EXPECT_EQ(W->Count(Room), 2u);
    EXPECT_EQ(Out.Got[Guest].back().Count, 2);
    Out.Held[11] = Chosen.Backlog; // 11 reads nothing
    for (int Step = 0; Step < 100; ++Step) {
        From(true, Inputs(0, Step, {1}));
        From(false, Inputs(0, Step, {2}));
        Now += milliseconds(100);
        const std::vector<PlayerId> Slow = W->Tick(Now);
        if (!Slow.empty()) {
            EXPECT_EQ(Slow, std::vector<PlayerId>{11});
            EXPECT_GE(Step, 60) << "let go before it was slow for long";
            EXPECT_EQ(W->Count(Room), 1u);
            EXPECT_EQ(Out.Got[Host].back().Count, 1);
            EXPECT_TRUE(Out.Ticks(11).empty());
            EXPECT_GT(Out.Ticks(9).size(), 100u) << "the other watcher waited for the slow one";
            return;
        }
    }
    FAIL() << "the slow watcher was never let go";
}

TEST_F(WatchersTest, InputsBeforeTheHostsWordOfTheMatchAreKept) {
    // The guest plays the next match's first ticks before the host's start of it reaches the server.
    From(false, Inputs(0, 0, {5, 6}, 3));
    From(true, Inputs(0, 0, {1}, 2)); // the select screen between: not a match
    W->Started(Room, 3, Record, Now);
    From(true, Inputs(0, 0, {1, 2}, 3));
    EXPECT_EQ(W->Confirmed(Room), 2u);
}

TEST_F(WatchersTest, StrangersNumbersNeverMakeItHoldMore) {
    From(true, Inputs(0, Wire::MaxTick - 64, std::vector<uint8_t>(64, 1)));
    From(false, Inputs(0, 1 << 20, std::vector<uint8_t>(64, 1)));
    From(true, Inputs(Wire::MaxSegment, 0, {1}));
    const uint8_t Junk[] = {0x42, 0x5A, 3, 4, 0, 0, 0, 0, 9};
    W->Relayed(Room, true, Junk, sizeof Junk, Now);
    EXPECT_EQ(W->Confirmed(Room), 0u);
    // A room nobody started has nothing to show; a match starts once per screen.
    W->Started(Room, 1, {1, 2}, Now);
    W->Add(Room, 9, Now);
    EXPECT_EQ(Out.Got[9][0].Bytes, Record);
}

} // namespace
