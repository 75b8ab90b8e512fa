// Keys held when a window loses the focus are let go. These cases need a real X screen with a window
// manager and xdotool; tests/focus-xvfb.sh runs them on one of its own (they are disabled in the
// plain run, which has no screen).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "TestHelpers.h"
#include "platform/Keyboard.h"
#include "platform/SdlBackend.h"
#include "platform/ToolkitBackend.h"

namespace {

class FocusUnderX : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string Error;
        Screen = OpenSdlBackend(Error);
        ASSERT_NE(Screen, nullptr) << Error;
        WindowLook Look;
        Look.Caption = "FocusTest";
        Look.Width = 480;
        Look.Height = 360;
        Window = Screen->CreateWindow(Look);
        Screen->ShowWindow(Window);
        ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; }))
            << "the window never got the focus";
    }
    void TearDown() override {
        std::system("pkill -x xmessage >/dev/null 2>&1");
        std::system("xdotool keyup j >/dev/null 2>&1");
        CloseSdlBackend();
    }

    // Handles the window's events until Done holds, for up to five seconds.
    template <typename Condition> bool PumpUntil(Condition Done) {
        for (int Round = 0; Round < 500; ++Round) {
            ToolkitEvent Event;
            while (Screen->PollEvent(Event)) {
            }
            if (Done()) {
                return true;
            }
            SDL_Delay(10);
        }
        return false;
    }

    Backend *Screen = nullptr;
    uint32_t Window = 0;
};

bool Shell(const std::string &Command) {
    return std::system(Command.c_str()) == 0;
}

bool Held(int32_t Key) {
    return KeyIsHeld(GetKeyState(Key));
}

} // namespace

TEST_F(FocusUnderX, DISABLED_AKeyLetGoElsewhereIsNotHeldWhenTheFocusReturns) {
    Typ_Player &Person = StartWithPersonOnLeft();
    ASSERT_TRUE(Shell("xdotool keydown j"));
    ASSERT_TRUE(PumpUntil([] { return Held(VK_J); }));
    // Another program takes the focus; J is let go over there.
    ASSERT_TRUE(Shell(
        "xmessage -name other other & xdotool search --sync --onlyvisible --name '^other$' windowactivate "
        "--sync >/dev/null"));
    ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() == nullptr; }));
    EXPECT_FALSE(Held(VK_J));
    ASSERT_TRUE(Shell("xdotool keyup j"));
    ASSERT_TRUE(Shell("xdotool search --onlyvisible --name '^FocusTest$' windowactivate --sync >/dev/null"));
    ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; }));
    EXPECT_FALSE(Held(VK_J));
    // Back in the match, the character stands where it was.
    const int32_t Before = Person.X;
    for (int Tick = 0; Tick < 10; ++Tick) {
        ParkBall();
        TickMatch();
    }
    EXPECT_EQ(Person.State, Standing);
    EXPECT_EQ(Person.X, Before);
}

TEST_F(FocusUnderX, DISABLED_AKeyStillHeldWhenTheFocusReturnsCountsAgain) {
    ASSERT_TRUE(Shell("xdotool keydown j"));
    ASSERT_TRUE(PumpUntil([] { return Held(VK_J); }));
    ASSERT_TRUE(Shell(
        "xmessage -name other other & xdotool search --sync --onlyvisible --name '^other$' windowactivate "
        "--sync >/dev/null"));
    ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() == nullptr; }));
    EXPECT_FALSE(Held(VK_J));
    ASSERT_TRUE(Shell("xdotool search --onlyvisible --name '^FocusTest$' windowactivate --sync >/dev/null"));
    ASSERT_TRUE(PumpUntil([] { return SDL_GetKeyboardFocus() != nullptr; }));
    // The key really is down on the keyboard: the window reads it as held again.
    EXPECT_TRUE(PumpUntil([] { return Held(VK_J); }));
}
