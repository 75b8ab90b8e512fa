// zorbump --record DIR through the headless window system: every match of the run is kept, one file
// each, and each replays to the very state the game reached, whether it was left with Escape or
// won at 15, and whatever the matches before it left in the random source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "FlowHelpers.h"
#include "game/FrmMain.h"
#include "match/Match.h"
#include "replay/ReplayMatch.h"
#include "select/FrmSelect.h"
#include "title/FrmTitle.h"

namespace {

// The state a replay reaches after its last tick.
uint32_t ReplayedChecksum(const Typ_Replay &Replay) {
    StartReplay(Replay);
    for (int64_t Tick = 1; Tick <= int64_t(Replay.Ticks); ++Tick) {
        RunReplayTick(Replay, Tick);
    }
    return MatchChecksum();
}

struct RecordFlowTest : ::testing::Test {
    HeadlessRun Run;
    // A folder of this test's own: CTest runs the tests of this file side by side, and each clears
    // its folder.
    std::filesystem::path Dir =
        std::filesystem::path(::testing::TempDir()) /
        ("record-flow-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
         std::to_string(getpid()));

    void SetUp() override { std::filesystem::remove_all(Dir); }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    void Press(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    }
    void PickAndEnter(std::vector<int32_t> Keys) {
        Run.After(50, [this, Keys] {
            ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
            for (int32_t Key : Keys) {
                SetScriptedKey(Key, true);
            }
            Run.After(100, [this] {
                ReleaseScriptedKeys();
                Press({VK_RETURN});
            });
        });
    }
    // Changes the held keys of both people every 90 ms, from a fixed pattern, for Rounds rounds.
    void Jiggle(int Round, int Rounds) {
        if (Round == Rounds) {
            ReleaseScriptedKeys();
            return;
        }
        const int32_t Keys[] = {VK_Y,       VK_N,       VK_G,       VK_J,       VK_Z,
                                VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP};
        for (int K = 0; K < 10; ++K) {
            SetScriptedKey(Keys[K], (Round * 7 + K * 3) % 5 < 2);
        }
        Run.After(90, [this, Round, Rounds] { Jiggle(Round + 1, Rounds); });
    }
    std::vector<std::filesystem::path> Kept() const {
        std::vector<std::filesystem::path> Files;
        for (const auto &Entry : std::filesystem::directory_iterator(Dir)) {
            Files.push_back(Entry.path());
        }
        std::sort(Files.begin(), Files.end());
        return Files;
    }
};

TEST_F(RecordFlowTest, EveryMatchOfTheRunIsKeptAndReplaysExactly) {
    uint32_t Left = 0, Won = 0;
    bool BackAtTitle = false;
    // Two people play for a while and leave with Escape ...
    Run.Screen.At(10, [&] { Press({VK_N, VK_RETURN}); });
    Run.Screen.At(1010, [&] {
        PickAndEnter({VK_Z, VK_UP});
        Run.After(300, [&] { Jiggle(0, 40); });
    });
    Run.Screen.At(6000, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Main>(), nullptr);
        Press({VK_ESCAPE});
        Run.After(10, [&] {
            ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
            Left = MatchChecksum();
            EXPECT_EQ(Kept().size(), 1u) << "kept as soon as it was left";
            Press({VK_RETURN}); // ... then one person, who loses the next match to 15
        });
    });
    Run.Screen.At(7100, [&] {
        PickAndEnter({VK_Z});
        Run.After(300, [&] { Jiggle(0, 20); });
    });
    std::function<void()> Watch = [&] {
        if (HeadlessRun::Focused<Frm_Title>() == nullptr) {
            Run.After(1000, Watch);
            return;
        }
        BackAtTitle = true;
        Won = MatchChecksum();
        Press({VK_Y, VK_RETURN});
    };
    Run.Screen.At(9000, Watch);
    Run.Screen.SetTimeLimit(3600000);
    RunProgram(nullptr, Dir.string());
    ASSERT_FALSE(Run.Screen.Stalled());
    ASSERT_TRUE(BackAtTitle);

    const std::vector<std::filesystem::path> Files = Kept();
    ASSERT_EQ(Files.size(), 2u);
    Typ_Replay First, Second;
    ASSERT_EQ(LoadReplay(Files[0].string(), First).Problem, ReplayProblem::None);
    ASSERT_EQ(LoadReplay(Files[1].string(), Second).Problem, ReplayProblem::None);
    uintmax_t WonBytes = std::filesystem::file_size(Files[1]);
    if (First.Won) {
        std::swap(First, Second); // both began in the same second of the real clock
        WonBytes = std::filesystem::file_size(Files[0]);
    }
    EXPECT_EQ(First.Origin, ReplayOrigin::Game);
    EXPECT_EQ(First.People[0], 0);
    EXPECT_EQ(First.People[1], 1);
    EXPECT_FALSE(First.Won);
    EXPECT_GT(First.Ticks, 100u);
    EXPECT_EQ(ReplayedChecksum(First), Left);
    EXPECT_TRUE(Second.Won);
    EXPECT_EQ(Second.People[1], -1);
    EXPECT_EQ(std::max(Second.Score[0], Second.Score[1]), 15);
    EXPECT_NE(Second.RandomPosition, First.RandomPosition)
        << "the second match goes on with the random numbers";
    EXPECT_EQ(ReplayedChecksum(Second), Won);
    std::printf("a match to 15 kept by the game: %u ticks, %ju bytes\n", unsigned(Second.Ticks), WonBytes);
}

TEST_F(RecordFlowTest, WithoutAFolderNothingIsKept) {
    Run.Screen.At(10, [&] { Press({VK_RETURN}); });
    Run.Screen.At(1010, [&] { PickAndEnter({VK_Z}); });
    Run.Screen.At(3000, [&] {
        Press({VK_ESCAPE});
        Run.After(10, [&] { Press({VK_Y, VK_RETURN}); });
    });
    std::filesystem::create_directories(Dir);
    const auto Here = std::filesystem::current_path();
    std::filesystem::current_path(Dir);
    RunProgram();
    std::filesystem::current_path(Here);
    EXPECT_TRUE(Kept().empty());
}

} // namespace
