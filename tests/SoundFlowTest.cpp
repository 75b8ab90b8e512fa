// Sound in the whole program, through the headless window system: M turns it off and on in every
// window and silences at once, the menus sound their moves and choices, and the end of a match is
// heard before the title opens. Also the sound card: none, or a failing one, means silence.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FlowHelpers.h"
#include "audio/Sound.h"
#include "game/FrmMain.h"
#include "platform/AudioOutput.h"
#include "select/FrmSelect.h"
#include "title/FrmTitle.h"

namespace {

void Hush() {
    SetSoundOn(false);
    SetSoundOn(true);
}

struct SoundFlowTest : ::testing::Test {
    HeadlessRun Run;
    SoundFlowTest() {
        Hush();
        SetKeyListener(HearSoundKey);
    }
    ~SoundFlowTest() override {
        SetKeyListener(nullptr);
        SetSoundOn(true);
    }
    void Press(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    }
    // Holds Key through one tick of the select screen's timer, then runs Then.
    void HoldForASelectTick(int32_t Key, std::function<void()> Then) {
        Hush();
        SetScriptedKey(Key, true);
        Run.After(100, [Key, Then] {
            SetScriptedKey(Key, false);
            Then();
        });
    }
};

TEST_F(SoundFlowTest, MenusSoundAndMTogglesSoundInEveryWindowSilencingAtOnce) {
    bool Finished = false;
    Run.Screen.At(10, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
        Press({VK_N});
        Run.After(1, [&] {
            EXPECT_TRUE(EffectPlaying(SoundEffect::MenuMove));
            Press({VK_M});
        });
        Run.After(2, [&] {
            EXPECT_FALSE(SoundOn());
            EXPECT_FALSE(SoundPlaying()) << "turning sound off stops what plays at once";
            std::vector<int16_t> Next(64, 1);
            MixSound(Next.data(), Next.size());
            EXPECT_EQ(Next, std::vector<int16_t>(64, 0));
            Press({VK_Y});
        });
        Run.After(3, [&] {
            EXPECT_FALSE(SoundPlaying()) << "nothing starts while sound is off";
            Press({VK_M, VK_RETURN});
        });
        Run.After(4, [&] {
            EXPECT_TRUE(SoundOn());
            EXPECT_TRUE(EffectPlaying(SoundEffect::MenuChoice));
        });
    });
    Run.Screen.At(1100, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
        HoldForASelectTick(VK_J, [&] {
            EXPECT_EQ(HeadlessRun::Focused<Frm_Select>()->Cursors[0].Pos, 1);
            EXPECT_TRUE(EffectPlaying(SoundEffect::MenuMove));
            HoldForASelectTick(VK_Z, [&] {
                EXPECT_TRUE(EffectPlaying(SoundEffect::MenuChoice)) << "taking a character";
                Hush();
                Press({VK_RETURN});
                Run.After(10, [&] {
                    ASSERT_NE(HeadlessRun::Focused<Frm_Main>(), nullptr);
                    EXPECT_TRUE(EffectPlaying(SoundEffect::MenuChoice)) << "confirming the line-up";
                    Press({VK_M});
                    Run.After(10, [&] {
                        EXPECT_FALSE(SoundOn()) << "M works in the match window too";
                        Press({VK_M});
                        Gl_Teams[0].Score = 14;
                        Gl_Teams[1].Score = 14;
                    });
                });
            });
        });
    });
    // The match's last tick opens the title from inside itself: its fanfare is already playing.
    std::function<void()> Watch = [&] {
        if (HeadlessRun::Focused<Frm_Title>() == nullptr) {
            Run.After(500, Watch);
            return;
        }
        EXPECT_EQ(Gl_ServeSide, MatchOver);
        EXPECT_TRUE(EffectPlaying(SoundEffect::MatchEnd));
        Finished = true;
        Press({VK_Y, VK_RETURN});
    };
    Run.Screen.At(1500, Watch);
    Run.Screen.SetTimeLimit(600000);
    RunProgram();
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_TRUE(Finished);
}

// A window that counts the keys it is given.
struct CountingForm : Form {
    int Keys = 0;
    CountingForm() : Form("Test", 100, 80) {}
    void Form_KeyDown(int16_t, int16_t) override { ++Keys; }
};

TEST_F(SoundFlowTest, TheKeyListenerHearsEveryKeyFirstAndKeepsTheOnesItTakes) {
    CountingForm Window;
    Run.Screen.At(10, [&] { Press({VK_M, VK_N, VK_M, VK_RETURN}); });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Window.Keys, 2) << "the two Ms never reach the window";
        EXPECT_TRUE(SoundOn()) << "toggled twice";
        // Holding M: its repeats neither toggle again nor reach the window; other keys' do.
        Run.Screen.Press(VK_M);
        Run.Screen.Press(VK_M, true);
        Run.Screen.Press(VK_M, true);
        Run.Screen.Press(VK_N);
        Run.Screen.Press(VK_N, true);
    });
    Run.Screen.At(30, [&] { Window.Unload(); });
    Window.ShowModal();
    EXPECT_FALSE(SoundOn());
    EXPECT_EQ(Window.Keys, 4);
}

// No sound card, or one that cannot be opened: the game goes on silently, at once, and says so
// in one line of its own (the sound system prints nothing).
TEST(SoundDevice, NoDeviceMeansSilenceWithoutAnError) {
    std::string Error;
    const auto Began = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(StartSound("no-such-sound-system", Error));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - Began, std::chrono::seconds(2));
    EXPECT_FALSE(Error.empty());
    EXPECT_EQ(Error.find('\n'), std::string::npos);
    EXPECT_FALSE(AudioOutputOpen());
    PlayEffect(SoundEffect::Strike);
    EXPECT_TRUE(EffectPlaying(SoundEffect::Strike)) << "the game's side of sound works as before";
    StopSound();
    EXPECT_FALSE(SoundPlaying());
}

// SDL's dummy device plays nothing but pulls the mix in real time, as a sound card does.
TEST(SoundDevice, AnOpenDevicePlaysEffectsOutAndTheToggleStopsThemAtOnce) {
    std::string Error;
    ASSERT_TRUE(StartSound("dummy", Error)) << Error;
    PlayEffect(SoundEffect::MenuMove);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (EffectPlaying(SoundEffect::MenuMove) && std::chrono::steady_clock::now() < Deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(EffectPlaying(SoundEffect::MenuMove)) << "the device played it out";

    PlayEffect(SoundEffect::MatchEnd);
    EXPECT_TRUE(HearSoundKey(VK_M));
    EXPECT_FALSE(SoundPlaying()) << "off in the middle of an effect stops it";
    EXPECT_TRUE(HearSoundKey(VK_M));
    EXPECT_FALSE(HearSoundKey(VK_N)) << "other keys go on to the window";
    StopSound();
    EXPECT_FALSE(AudioOutputOpen());
}

} // namespace
