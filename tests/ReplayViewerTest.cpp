// The viewer through the headless window system: it plays at its speeds without bursts, steps
// while paused, goes back 5 seconds from a snapshot, opens at a tick, closes with Escape, and shows
// the match pixel for pixel as zorbump-sim --frames draws it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "FlowHelpers.h"
#include "match/Match.h"
#include "platform/Font.h"
#include "platform/Png.h"
#include "replay/FrmReplay.h"
#include "replay/ReplayMatch.h"

namespace {

constexpr int16_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;

// Two people on the keys, the way people press them, for Ticks ticks of this build's rules.
Typ_Replay MadeReplay(uint32_t Ticks) {
    Typ_Replay Replay;
    Replay.Fingerprint = SimulationFingerprint();
    Replay.People[0] = 0;
    Replay.People[1] = 3;
    ResetRnd();
    Replay.RandomPosition = RndPosition();
    Replay.Ticks = Ticks;
    std::mt19937 Random(11);
    for (int Person = 0; Person < 2; ++Person) {
        PadInput Held = 0;
        for (uint32_t Tick = 0; Tick < Ticks; ++Tick) {
            if (Random() % 5 == 0) {
                Held = PadInput(Random() % 32);
            }
            Replay.Inputs[Person].push_back(Held);
        }
    }
    return Replay;
}

struct ReplayViewerTest : ::testing::Test {
    HeadlessRun Run;
    Typ_Replay Replay = MadeReplay(3000);

    Frm_Replay *Viewer() { return HeadlessRun::Focused<Frm_Replay>(); }
    void Watch(int64_t StartTick) {
        RunReplayViewer(Replay, StartTick);
        EXPECT_FALSE(Run.Screen.Stalled()) << "the script ran out before the viewer closed";
    }
};

TEST_F(ReplayViewerTest, PlaysAtEachSpeedWithoutBursts) {
    const uint64_t Start = 33 * 30 + 5;
    Run.Screen.At(Start, [&] {
        ASSERT_NE(Viewer(), nullptr);
        EXPECT_EQ(Viewer()->Tick(), 30);
        EXPECT_EQ(Viewer()->LineText(), "tick 30/3000  0:00  1x");
        Run.Screen.Press(KeyUp);
        Run.Screen.Press(KeyUp);
        Run.Screen.Press(KeyUp); // 8x
    });
    Run.Screen.At(Start + 33 * 10 + 1, [&] {
        EXPECT_EQ(Viewer()->Speed(), 5);
        EXPECT_EQ(Viewer()->Tick(), 30 + 80);
        EXPECT_FALSE(Viewer()->Lagging());
        Run.Screen.Press(KeyUp); // no faster than 8x
        for (int Each = 0; Each < 5; ++Each) {
            Run.Screen.Press(KeyDown);
        }
    });
    Run.Screen.At(Start + 33 * 50 + 2, [&] {
        EXPECT_EQ(Viewer()->Speed(), 0);
        EXPECT_EQ(Viewer()->Tick(), 110 + 10) << "a tick every four rounds at 1/4x";
        EXPECT_NE(Viewer()->LineText().find("1/4x"), std::string::npos);
        for (int Each = 0; Each < 4; ++Each) {
            Run.Screen.Press(KeyUp); // 4x
        }
    });
    Run.Screen.At(Start + 33 * 50 + 3, [&] {
        EXPECT_EQ(Viewer()->Speed(), 4);
        // The window thread is held up for half a second: the next round runs four ticks, not
        // the sixty that fell due, and the line says the viewer cannot keep pace.
        const int64_t Before = Viewer()->Tick();
        CurrentBackend()->Sleep(500);
        Run.After(10, [&, Before] {
            EXPECT_EQ(Viewer()->Tick(), Before + 4);
            EXPECT_TRUE(Viewer()->Lagging());
            EXPECT_NE(Viewer()->LineText().find("cannot keep pace"), std::string::npos);
            Run.After(1100, [&] {
                EXPECT_FALSE(Viewer()->Lagging());
                Run.Screen.Press(VK_ESCAPE);
            });
        });
    });
    Watch(-1);
    EXPECT_TRUE(Run.Screen.WindowsCaptioned("ZorbumpX").at(0)->Destroyed);
}

TEST_F(ReplayViewerTest, PausesStepsAndGoesBackFromASnapshot) {
    const uint64_t Start = 33 * 400 + 5;
    int64_t Restores = 0, Ran = 0;
    Run.Screen.At(Start, [&] {
        ASSERT_EQ(Viewer()->Tick(), 400);
        Run.Screen.Press(VK_SPACE);
    });
    Run.Screen.At(Start + 1000, [&] {
        EXPECT_TRUE(Viewer()->Paused());
        EXPECT_EQ(Viewer()->Tick(), 400) << "paused";
        EXPECT_NE(Viewer()->LineText().find("paused"), std::string::npos);
        Run.Screen.Press(KeyRight);
        Run.Screen.Press(KeyRight);
    });
    Run.Screen.At(Start + 1001, [&] {
        EXPECT_EQ(Viewer()->Tick(), 402);
        Restores = Viewer()->Restores();
        Ran = Viewer()->TicksRun();
        Run.Screen.Press(KeyLeft);
    });
    Run.Screen.At(Start + 1002, [&] {
        EXPECT_EQ(Viewer()->Tick(), 402 - ViewerBackTicks);
        EXPECT_EQ(Viewer()->Restores(), Restores + 1);
        EXPECT_LE(Viewer()->TicksRun() - Ran, SnapshotEveryTicks) << "from a snapshot, not from the start";
        EXPECT_TRUE(Viewer()->Paused()) << "going back keeps a pause";
        Run.Screen.Press(KeyLeft);
        Run.Screen.Press(KeyLeft);
    });
    Run.Screen.At(Start + 1003, [&] {
        EXPECT_EQ(Viewer()->Tick(), 0) << "back from the first seconds is the start";
        Run.Screen.Press(KeyRight);
    });
    Run.Screen.At(Start + 1004, [&] {
        EXPECT_EQ(Viewer()->Tick(), 1);
        Run.Screen.Press(VK_SPACE);
    });
    Run.Screen.At(Start + 1004 + 33 * 5 + 1, [&] {
        EXPECT_EQ(Viewer()->Tick(), 6);
        Run.Screen.Press(KeyRight); // steps only while paused
        Run.After(1, [&] {
            EXPECT_EQ(Viewer()->Tick(), 6);
            Run.Screen.Press(VK_ESCAPE);
        });
    });
    Watch(-1);
}

TEST_F(ReplayViewerTest, TheEndHoldsAndSpacePlaysAgain) {
    Replay = MadeReplay(200);
    Run.Screen.At(33 * 300, [&] {
        EXPECT_EQ(Viewer()->Tick(), 200);
        EXPECT_TRUE(Viewer()->Paused());
        EXPECT_NE(Viewer()->LineText().find("end"), std::string::npos);
        Run.Screen.Press(KeyRight);
        Run.Screen.Press(VK_SPACE);
    });
    Run.Screen.At(33 * 300 + 33 * 3 + 1, [&] {
        EXPECT_EQ(Viewer()->Tick(), 3);
        Run.Screen.CloseFocused();
    });
    Watch(-1);
}

// The match's picture as zorbump-sim --replay --frames writes it at a tick.
struct ToolFrames {
    std::filesystem::path Dir = std::filesystem::path(::testing::TempDir()) / "replay-viewer-frames";
    std::string File = ::testing::TempDir() + "/replay-viewer.zbr";
    explicit ToolFrames(const Typ_Replay &Replay) {
        std::filesystem::remove_all(Dir);
        std::string Error;
        EXPECT_TRUE(WriteReplayFile(File, Replay, Error)) << Error;
    }
    ~ToolFrames() {
        std::filesystem::remove_all(Dir);
        std::filesystem::remove(File);
    }
    std::vector<uint8_t> Frame(int64_t Tick) const {
        const std::string N = std::to_string(Tick);
        const std::string Command = std::string(ZORBUMP_SIM_PATH) + " --replay " + File + " --ticks " + N +
                                    " --frames " + Dir.string() + " --every " + N + " >/dev/null";
        EXPECT_EQ(std::system(Command.c_str()), 0);
        char Name[32];
        std::snprintf(Name, sizeof Name, "frame-%06lld.png", static_cast<long long>(Tick));
        std::ifstream Png(Dir / Name, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(Png)), std::istreambuf_iterator<char>());
    }
};

// The court part of what the window last presented.
Surface CourtOfWindow(const HeadlessBackend &Screen) {
    const Surface &Shown = Screen.WindowsCaptioned("ZorbumpX").at(0)->Frame;
    Surface Court(480, 360);
    BitBlt(Court, 0, 0, 480, 360, Shown, 0, 0, SRCCOPY);
    return Court;
}

TEST_F(ReplayViewerTest, ThePictureIsTheToolsFrameAtEveryWayOfReachingATick) {
    const ToolFrames Tool(Replay);
    int Compared = 0;
    auto Same = [&](int64_t Tick) {
        ASSERT_EQ(Viewer()->Tick(), Tick);
        const std::vector<uint8_t> Expected = Tool.Frame(Tick);
        ASSERT_FALSE(Expected.empty()) << Tick;
        EXPECT_TRUE(EncodePng(Viewer()->MatchPicture()) == Expected) << "tick " << Tick;
        EXPECT_TRUE(EncodePng(CourtOfWindow(Run.Screen)) == Expected) << "shown, tick " << Tick;
        ++Compared;
    };
    // Opened at a tick, stepped to the next, gone back, played to, and gone back to from later.
    const int64_t Back = ViewerBackTicks;
    Run.Screen.At(10, [&] {
        const Surface &Shown = Run.Screen.WindowsCaptioned("ZorbumpX").at(0)->Frame;
        EXPECT_EQ(Shown.Width, 480);
        EXPECT_EQ(Shown.Height, 360 + ViewerLineHeight);
        Same(613);
        Run.Screen.Press(KeyRight);
    });
    Run.Screen.At(20, [&] {
        Same(614);
        Run.Screen.Press(KeyLeft);
    });
    Run.Screen.At(30, [&] {
        Same(614 - Back);
        Run.Screen.Press(VK_SPACE);
    });
    Run.Screen.At(30 + 33 * 200 + 1, [&] { Run.Screen.Press(VK_SPACE); });
    Run.Screen.At(30 + 33 * 200 + 2, [&] {
        Same(614 - Back + 200);
        Run.Screen.Press(KeyLeft);
    });
    Run.Screen.At(30 + 33 * 200 + 3, [&] {
        Same(614 - Back + 200 - Back);
        Run.Screen.Press(VK_ESCAPE);
    });
    Watch(613);
    EXPECT_EQ(Compared, 5);
}

TEST(ReplayViewerLine, TheTypefaceCarriesEveryCharacterOfTheLine) {
    EXPECT_TRUE(TypefaceCovers(13, "tick 0123456789/  :  1/4x 1/2x 8x  paused end cannot keep pace"));
}

} // namespace
