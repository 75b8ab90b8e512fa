// The whole program through the headless window system: the title, the select screen and a
// match; pause, Escape back to the title, a match played to 15, the exit choice, and closing each
// window by its frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "FlowHelpers.h"
#include "game/FrmMain.h"
#include "match/Draw.h"
#include "select/FrmSelect.h"
#include "title/FrmTitle.h"

namespace {

struct FlowTest : ::testing::Test {
    HeadlessRun Run;

    Frm_Main *Main() { return HeadlessRun::Focused<Frm_Main>(); }
    const HeadlessBackend::WindowRecord &MainRecord() {
        return *Run.Screen.WindowsCaptioned("ZorbumpX").at(0);
    }
    void Press(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    }
    // On the select screen: holds these keys through one tick of its timer, then presses Enter.
    void PickAndEnter(std::vector<int32_t> Keys, std::function<void()> Then) {
        Run.After(50, [this, Keys, Then] {
            ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
            ReleaseScriptedKeys();
            for (int32_t Key : Keys) {
                SetScriptedKey(Key, true);
            }
            Run.After(100, [this, Then] {
                ReleaseScriptedKeys();
                Press({VK_RETURN});
                Run.After(10, Then);
            });
        });
    }
    void RunGame() {
        RunProgram();
        EXPECT_FALSE(Run.Screen.Stalled()) << "the script ran out before the program ended";
    }
};

struct Snapshot {
    int64_t BallX, BallY, Blink, X0, Y0;
    bool operator==(const Snapshot &Other) const {
        return BallX == Other.BallX && BallY == Other.BallY && Blink == Other.Blink && X0 == Other.X0 &&
               Y0 == Other.Y0;
    }
};
Snapshot Take() {
    return {Gl_BallX, Gl_BallY, Gl_Blink, Gl_Players[0].X, Gl_Players[0].Y};
}

TEST_F(FlowTest, TitleSelectMatchPauseAndEscapeBackToTheTitle) {
    Snapshot Paused{};
    Run.Screen.At(10, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
        EXPECT_FALSE(MainRecord().Visible);
        Press({VK_RETURN}); // one person
        Run.After(1000, [&] {
            PickAndEnter({VK_Z}, [&] {
                ASSERT_NE(Main(), nullptr);
                EXPECT_TRUE(Main()->Tim_Main.Enabled());
                EXPECT_EQ(Gl_Players[0].Control, 1);
                EXPECT_EQ(Gl_Players[0].KeySet, 0);
                EXPECT_EQ(Gl_Players[1].Control, 2);
                EXPECT_EQ(Gl_Canvas.Screen, &Main()->DrawingSurface());
                Run.After(500, [&] {
                    Press({VK_SPACE});
                    Run.After(10, [&] {
                        EXPECT_FALSE(Main()->Tim_Main.Enabled());
                        Paused = Take();
                    });
                    Run.After(2000, [&] {
                        EXPECT_TRUE(Take() == Paused); // nothing moved while paused
                        Press({VK_SPACE});
                        Run.After(200, [&] {
                            EXPECT_TRUE(Main()->Tim_Main.Enabled());
                            EXPECT_FALSE(Take() == Paused);
                            Press({VK_ESCAPE});
                            Run.After(10, [&] {
                                ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
                                EXPECT_FALSE(MainRecord().Visible);
                                Press({VK_N, VK_RETURN}); // two people
                            });
                        });
                    });
                });
            });
        });
    });
    // The second match starts from 0 to 0 with the left side serving.
    Run.Screen.At(4500, [&] {
        PickAndEnter({VK_Z, VK_UP}, [&] {
            ASSERT_NE(Main(), nullptr);
            EXPECT_EQ(Gl_Teams[0].Score, 0);
            EXPECT_EQ(Gl_Teams[1].Score, 0);
            EXPECT_EQ(Gl_ServeSide, 0);
            EXPECT_EQ(Gl_Players[1].Control, 1);
            EXPECT_EQ(Gl_Players[1].KeySet, 1);
            Press({VK_ESCAPE});
            Run.After(10, [&] { Press({VK_Y, VK_RETURN}); });
        });
    });
    RunGame();
    EXPECT_EQ(Gl_PlayerCount, 3);
    EXPECT_EQ(Run.Count("show ZorbumpX"), 2);
    EXPECT_EQ(Run.Count("create Zorbump"), 5); // three titles, two select screens
}

TEST_F(FlowTest, AMatchPlayedToFifteenReturnsToTheTitle) {
    bool BackAtTitle = false;
    Run.Screen.At(10, [&] { Press({VK_RETURN}); });
    Run.Screen.At(1010, [&] {
        PickAndEnter({VK_Z}, [&] {
            Gl_Teams[0].Score = 14;
            Gl_Teams[1].Score = 14;
        });
    });
    std::function<void()> Watch = [&] {
        if (HeadlessRun::Focused<Frm_Title>() == nullptr) {
            Run.After(500, Watch);
            return;
        }
        BackAtTitle = true;
        EXPECT_EQ(Gl_ServeSide, MatchOver);
        EXPECT_EQ(std::max<int64_t>(Gl_Teams[0].Score, Gl_Teams[1].Score), 15);
        EXPECT_FALSE(MainRecord().Visible);
        Press({VK_Y, VK_RETURN});
    };
    Run.Screen.At(2000, Watch);
    Run.Screen.SetTimeLimit(600000);
    RunGame();
    EXPECT_TRUE(BackAtTitle);
}

TEST_F(FlowTest, TheExitChoiceEndsTheProgramWithoutAnotherWindow) {
    Run.Screen.At(10, [&] { Press({VK_Y, VK_RETURN}); });
    RunGame();
    EXPECT_EQ(Run.Screen.NowMillis(), 1010u);
    EXPECT_EQ(Run.Count("create Zorbump"), 1);
    EXPECT_EQ(Run.Count("show ZorbumpX"), 0);
}

TEST_F(FlowTest, ClosingTheTitleEndsTheProgram) {
    Run.Screen.At(10, [&] { Run.Screen.CloseFocused(); });
    RunGame();
    EXPECT_EQ(Run.Count("create Zorbump"), 1);
    EXPECT_EQ(Run.Count("show ZorbumpX"), 0);
}

TEST_F(FlowTest, ClosingTheSelectScreenEndsTheProgramWithoutAMatch) {
    Run.Screen.At(10, [&] { Press({VK_RETURN}); });
    Run.Screen.At(1100, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
        Run.Screen.CloseFocused();
    });
    RunGame();
    EXPECT_EQ(Run.Count("create Zorbump"), 2);
    EXPECT_EQ(Run.Count("show ZorbumpX"), 0);
    EXPECT_EQ(Gl_Players[0].Control, 0); // no line-up was written
}

TEST_F(FlowTest, ClosingTheMatchWindowStopsItsTimerAndEndsTheProgram) {
    uint64_t ClosedAt = 0;
    Run.Screen.At(10, [&] { Press({VK_RETURN}); });
    Run.Screen.At(1010, [&] {
        PickAndEnter({VK_Z}, [&] {
            Run.After(300, [&] {
                ASSERT_NE(Main(), nullptr);
                ClosedAt = Run.Screen.NowMillis();
                Run.Screen.CloseFocused();
            });
        });
    });
    RunGame();
    EXPECT_EQ(Run.Screen.NowMillis(), ClosedAt);
    const std::vector<std::string> &Log = Run.Screen.Log();
    const auto Gone = std::find(Log.begin(), Log.end(), "destroy ZorbumpX");
    ASSERT_NE(Gone, Log.end());
    EXPECT_EQ(std::count(Gone, Log.end(), "present ZorbumpX"), 0);
}

} // namespace
