// A controller's buttons through the whole program on the headless window system: each window takes
// Start and the face buttons as its own key (Enter on the menus, Space in a match), as the SDL
// backend delivers them.
#include <gtest/gtest.h>

#include "FlowHelpers.h"
#include "game/FrmMain.h"
#include "platform/Pads.h"
#include "select/FrmSelect.h"
#include "title/FrmTitle.h"

namespace {

struct PadFlowTest : ::testing::Test {
    HeadlessRun Run;
    void Press(int16_t Code) { Run.Screen.Press(Code); }
};

} // namespace

TEST_F(PadFlowTest, OnTheTitleDownMovesAndAFaceButtonChooses) {
    Run.Screen.At(10, [&] {
        // The first controller's down is N, the second's keypad 2: both move the highlight.
        Press(VK_N);
        Press(VK_NUMPAD2);
        Press(VK_GAMEPAD_A);
    });
    RunProgram();
    EXPECT_EQ(Gl_PlayerCount, 3);
    EXPECT_FALSE(Run.Screen.Stalled());
}

TEST_F(PadFlowTest, StartChoosesConfirmsPausesAndResumesAndBackAbandons) {
    bool Checked = false;
    Run.Screen.At(10, [&] {
        Press(VK_GAMEPAD_MENU); // one person
        Run.After(1100, [&] {
            ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
            SetScriptedKey(VK_Z, true); // the face button held: takes a character
            Run.After(100, [&] {
                SetScriptedKey(VK_Z, false);
                // A face button on the select screen takes or drops, never confirms.
                Press(VK_GAMEPAD_A);
                Run.After(150, [&] {
                    ASSERT_NE(HeadlessRun::Focused<Frm_Select>(), nullptr);
                    Press(VK_GAMEPAD_MENU);
                    Run.After(100, [&] {
                        Frm_Main *Main = HeadlessRun::Focused<Frm_Main>();
                        ASSERT_NE(Main, nullptr);
                        EXPECT_TRUE(Main->Tim_Main.Enabled());
                        Press(VK_GAMEPAD_MENU);
                        Run.After(10, [&, Main] {
                            EXPECT_FALSE(Main->Tim_Main.Enabled());
                            Press(VK_GAMEPAD_MENU);
                            Run.After(10, [&, Main] {
                                EXPECT_TRUE(Main->Tim_Main.Enabled());
                                Press(VK_ESCAPE); // Back
                                Run.After(10, [&] {
                                    EXPECT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
                                    Checked = true;
                                    Press(VK_Y);
                                    Press(VK_GAMEPAD_MENU);
                                });
                            });
                        });
                    });
                });
            });
        });
    });
    RunProgram();
    EXPECT_TRUE(Checked);
    EXPECT_FALSE(Run.Screen.Stalled());
}
