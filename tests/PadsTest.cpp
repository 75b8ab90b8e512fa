// Game controllers through SDL's virtual joystick, read by the real SDL backend (on SDL's dummy
// screen): which person a controller is, what each control holds and presses, unplugging, focus.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "TestHelpers.h"
#include "platform/Keyboard.h"
#include "platform/Pads.h"
#include "platform/SdlBackend.h"
#include "platform/ToolkitBackend.h"

namespace {

class PadsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The dummy screen has no window with the focus; controllers are heard all the same.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        std::string Error;
        Screen = OpenSdlBackend(Error);
        ASSERT_NE(Screen, nullptr) << Error;
        WindowLook Look;
        Look.Caption = "Pads";
        Look.Width = 480;
        Look.Height = 360;
        Window = Screen->CreateWindow(Look);
        Screen->ShowWindow(Window);
        Pump();
    }
    void TearDown() override {
        for (int Index : Attached) {
            SDL_JoystickDetachVirtual(Index);
        }
        CloseSdlBackend();
    }

    // Plugs in a controller with SDL's standard layout; returns its joystick.
    SDL_Joystick *Plug() {
        SDL_VirtualJoystickDesc Desc;
        SDL_zero(Desc);
        Desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        Desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        Desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        Desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        Desc.name = "Test pad";
        const int Index = SDL_JoystickAttachVirtualEx(&Desc);
        EXPECT_GE(Index, 0) << SDL_GetError();
        Attached.push_back(Index);
        SDL_Joystick *Stick = SDL_JoystickOpen(Index);
        Pump();
        return Stick;
    }
    void Unplug(SDL_Joystick *Stick) {
        const int Index = Attached.back();
        Attached.pop_back();
        SDL_JoystickClose(Stick);
        SDL_JoystickDetachVirtual(Index);
        Pump();
    }

    // Lets SDL read the controllers; returns the key presses they made.
    std::vector<int16_t> Pump() {
        std::vector<int16_t> Keys;
        ToolkitEvent Event;
        while (Screen->PollEvent(Event)) {
            if (Event.Type == ToolkitEvent::KeyDown) {
                EXPECT_EQ(Event.Window, Window);
                Keys.push_back(Event.KeyCode);
            }
        }
        return Keys;
    }
    std::vector<int16_t> Button(SDL_Joystick *Stick, SDL_GameControllerButton Which, bool Down) {
        SDL_JoystickSetVirtualButton(Stick, Which, Down ? 1 : 0);
        return Pump();
    }
    std::vector<int16_t> Axis(SDL_Joystick *Stick, SDL_GameControllerAxis Which, int16_t Value) {
        SDL_JoystickSetVirtualAxis(Stick, Which, Value);
        return Pump();
    }

    Backend *Screen = nullptr;
    uint32_t Window = 0;
    std::vector<int> Attached;
};

using Keys = std::vector<int16_t>;

bool Held(int32_t Key) {
    return KeyIsHeld(GetKeyState(Key));
}

} // namespace

TEST_F(PadsTest, TheFirstControllerHoldsTheLetterKeysAndPressesThemLikeAKeyboard) {
    SDL_Joystick *Pad = Plug();
    ASSERT_EQ(PadsPlaying(), 1);
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_UP, true), Keys{VK_Y});
    EXPECT_TRUE(Held(VK_Y));
    EXPECT_FALSE(Held(VK_NUMPAD8));
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_UP, false), Keys{});
    EXPECT_FALSE(Held(VK_Y));
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true), Keys{VK_J});
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true), Keys{VK_N});
    EXPECT_TRUE(Held(VK_J) && Held(VK_N));
    // Every face button is the hit key; the window also hears it as a face button.
    for (auto Face : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X,
                      SDL_CONTROLLER_BUTTON_Y}) {
        EXPECT_EQ(Button(Pad, Face, true), (Keys{VK_Z, VK_GAMEPAD_A}));
        EXPECT_TRUE(Held(VK_Z));
        Button(Pad, Face, false);
        EXPECT_FALSE(Held(VK_Z));
    }
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_START, true), Keys{VK_GAMEPAD_MENU});
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_BACK, true), Keys{VK_ESCAPE});
}

TEST_F(PadsTest, TheLeftStickCountsPastHalfItsTravelAndAgreesWithTheDpad) {
    SDL_Joystick *Pad = Plug();
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_LEFTX, -16000), Keys{});
    EXPECT_FALSE(Held(VK_G));
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_LEFTX, -20000), Keys{VK_G});
    EXPECT_TRUE(Held(VK_G));
    // The d-pad pressed the same way while the stick holds it presses nothing new; letting go of
    // one still leaves the other holding.
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true), Keys{});
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_LEFTX, 0), Keys{});
    EXPECT_TRUE(Held(VK_G));
    Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_FALSE(Held(VK_G));
    // Straight across from left to right.
    Axis(Pad, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_LEFTX, 32767), Keys{VK_J});
    EXPECT_FALSE(Held(VK_G));
    // The stick's y grows downward: pushed up is the jump.
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_LEFTY, -32768), Keys{VK_Y});
    // The right stick and the triggers mean nothing.
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767), Keys{});
    EXPECT_EQ(Axis(Pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767), Keys{});
}

TEST_F(PadsTest, TheSecondControllerIsTheSecondPersonAndAPulledOneLetsGoOfEverything) {
    SDL_Joystick *First = Plug();
    SDL_Joystick *Second = Plug();
    ASSERT_EQ(PadsPlaying(), 2);
    EXPECT_EQ(Button(Second, SDL_CONTROLLER_BUTTON_DPAD_UP, true), Keys{VK_NUMPAD8});
    EXPECT_EQ(Button(Second, SDL_CONTROLLER_BUTTON_A, true), (Keys{VK_UP, VK_GAMEPAD_A}));
    Button(First, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_TRUE(Held(VK_NUMPAD8) && Held(VK_UP) && Held(VK_G));
    Unplug(Second);
    EXPECT_EQ(PadsPlaying(), 1);
    EXPECT_FALSE(Held(VK_NUMPAD8));
    EXPECT_FALSE(Held(VK_UP));
    EXPECT_TRUE(Held(VK_G));
    // A controller plugged in now takes the free place at once.
    SDL_Joystick *Third = Plug();
    EXPECT_EQ(PadsPlaying(), 2);
    EXPECT_EQ(Button(Third, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true), Keys{VK_NUMPAD2});
}

TEST_F(PadsTest, AfterTheFocusIsLostNothingIsHeldUntilPressedAgain) {
    SDL_Joystick *Pad = Plug();
    Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    ASSERT_TRUE(Held(VK_J));
    ReleasePads();
    EXPECT_FALSE(Held(VK_J));
    Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    EXPECT_EQ(Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true), Keys{VK_J});
    EXPECT_TRUE(Held(VK_J));
}

TEST_F(PadsTest, AJoystickWithoutAMappingIsLeftAlone) {
    SDL_VirtualJoystickDesc Desc;
    SDL_zero(Desc);
    Desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    Desc.type = SDL_JOYSTICK_TYPE_WHEEL;
    Desc.naxes = 1;
    Desc.nbuttons = 3;
    Desc.vendor_id = 0x1234;
    Desc.product_id = 0x5678;
    Desc.name = "Odd wheel";
    const int Index = SDL_JoystickAttachVirtualEx(&Desc);
    ASSERT_GE(Index, 0);
    Attached.push_back(Index);
    SDL_Joystick *Wheel = SDL_JoystickOpen(Index);
    Pump();
    if (!SDL_IsGameController(Index)) {
        EXPECT_EQ(PadsPlaying(), 0);
    }
    SDL_JoystickSetVirtualButton(Wheel, 0, 1);
    Pump();
    EXPECT_FALSE(Held(VK_Z));
    SDL_JoystickClose(Wheel);
}

TEST_F(PadsTest, AJumpAndASwingInAMatchFromTheController) {
    SDL_Joystick *Pad = Plug();
    Typ_Player &Person = StartWithPersonOnLeft();
    Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    ParkBall();
    TickMatch();
    EXPECT_EQ(Person.State, Airborne);
    Button(Pad, SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    for (int Tick = 0; Tick < 60 && Person.State != Standing; ++Tick) {
        ParkBall();
        TickMatch();
    }
    ASSERT_EQ(Person.State, Standing);
    Button(Pad, SDL_CONTROLLER_BUTTON_X, true);
    ParkBall();
    TickMatch();
    EXPECT_EQ(Person.State, Swing);
}
