// Keys go by their place on the keyboard, whatever they type: key presses as SDL reports them on
// German, French and Dvorak keyboards (the scancode says where the key is, the key symbol what it
// types), through the real SDL backend on SDL's dummy screen.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Keyboard.h"
#include "platform/SdlBackend.h"
#include "platform/ToolkitBackend.h"

namespace {

// One key of a layout: where it is, what it types there, and the key the game must take it for.
struct LayoutKey {
    SDL_Scancode Place;
    SDL_Keycode Types;
    int16_t Expected;
};

struct Layout {
    const char *Name;
    std::vector<LayoutKey> Keys;
};

// Every layout lists the keys the game reads, at their US places, and the keys that carry the same
// letters elsewhere, which must stay the keys of their own places.
const Layout Layouts[] = {
    {"German QWERTZ",
     {{SDL_SCANCODE_Y, SDLK_z, VK_Y},
      {SDL_SCANCODE_Z, SDLK_y, VK_Z},
      {SDL_SCANCODE_G, SDLK_g, VK_G},
      {SDL_SCANCODE_J, SDLK_j, VK_J},
      {SDL_SCANCODE_N, SDLK_n, VK_N},
      {SDL_SCANCODE_M, SDLK_m, VK_M},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN},
      {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE},
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, VK_ESCAPE},
      {SDL_SCANCODE_KP_8, SDLK_KP_8, VK_NUMPAD8},
      {SDL_SCANCODE_UP, SDLK_UP, VK_UP}}},
    {"French AZERTY",
     {{SDL_SCANCODE_Z, SDLK_w, VK_Z},
      {SDL_SCANCODE_W, SDLK_z, 'W'},
      {SDL_SCANCODE_Y, SDLK_y, VK_Y},
      {SDL_SCANCODE_G, SDLK_g, VK_G},
      {SDL_SCANCODE_J, SDLK_j, VK_J},
      {SDL_SCANCODE_N, SDLK_n, VK_N},
      {SDL_SCANCODE_M, SDLK_COMMA, VK_M},
      {SDL_SCANCODE_SEMICOLON, SDLK_m, 0},
      {SDL_SCANCODE_Q, SDLK_a, 'Q'},
      // Num Lock off: the keypad's 2 types a down arrow, and is still keypad 2.
      {SDL_SCANCODE_KP_2, SDLK_DOWN, VK_NUMPAD2}}},
    {"Dvorak",
     {{SDL_SCANCODE_Y, SDLK_f, VK_Y},
      {SDL_SCANCODE_T, SDLK_y, 'T'},
      {SDL_SCANCODE_N, SDLK_b, VK_N},
      {SDL_SCANCODE_L, SDLK_n, 'L'},
      {SDL_SCANCODE_G, SDLK_i, VK_G},
      {SDL_SCANCODE_U, SDLK_g, 'U'},
      {SDL_SCANCODE_J, SDLK_h, VK_J},
      {SDL_SCANCODE_C, SDLK_j, 'C'},
      {SDL_SCANCODE_Z, SDLK_SEMICOLON, VK_Z},
      {SDL_SCANCODE_SLASH, SDLK_z, 0},
      {SDL_SCANCODE_M, SDLK_m, VK_M}}},
};

class KeyPlaces : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string Error;
        Screen = OpenSdlBackend(Error);
        ASSERT_NE(Screen, nullptr) << Error;
        WindowLook Look;
        Look.Caption = "KeyPlaces";
        Look.Width = 480;
        Look.Height = 360;
        Window = Screen->CreateWindow(Look);
        Screen->ShowWindow(Window);
        for (uint32_t Id = 1; Id < 100 && SdlWindow == 0; ++Id) {
            SDL_Window *Each = SDL_GetWindowFromID(Id);
            if (Each != nullptr && std::strcmp(SDL_GetWindowTitle(Each), "KeyPlaces") == 0) {
                SdlWindow = Id;
            }
        }
        ASSERT_NE(SdlWindow, 0u);
        Drain();
    }
    void TearDown() override { CloseSdlBackend(); }

    std::vector<ToolkitEvent> Drain() {
        std::vector<ToolkitEvent> Events;
        ToolkitEvent Event;
        // A key the screen takes leaves its repaints for the next look.
        while (Screen->PollEvent(Event) || Screen->PollEvent(Event)) {
            Events.push_back(Event);
        }
        return Events;
    }

    // A key press as SDL's keyboard driver reports it; returns what the game's windows receive.
    std::vector<ToolkitEvent> Press(SDL_Scancode Place, SDL_Keycode Types, uint16_t Modifiers = KMOD_NONE) {
        SDL_Event Raw;
        SDL_zero(Raw);
        Raw.type = SDL_KEYDOWN;
        Raw.key.windowID = SdlWindow;
        Raw.key.state = SDL_PRESSED;
        Raw.key.keysym.scancode = Place;
        Raw.key.keysym.sym = Types;
        Raw.key.keysym.mod = Modifiers;
        EXPECT_EQ(SDL_PushEvent(&Raw), 1) << SDL_GetError();
        return Drain();
    }

    Backend *Screen = nullptr;
    uint32_t Window = 0;
    uint32_t SdlWindow = 0;
};

} // namespace

TEST_F(KeyPlaces, EveryLayoutGivesTheKeysOfTheirPlacesNotOfTheirLetters) {
    for (const Layout &Each : Layouts) {
        for (const LayoutKey &Key : Each.Keys) {
            const std::vector<ToolkitEvent> Heard = Press(Key.Place, Key.Types);
            const std::string What = std::string(Each.Name) + ": the key at " +
                                     SDL_GetScancodeName(Key.Place) + ", typing " + SDL_GetKeyName(Key.Types);
            if (Key.Expected == 0) {
                EXPECT_TRUE(Heard.empty()) << What << " reached the game";
                continue;
            }
            ASSERT_EQ(Heard.size(), 1u) << What;
            EXPECT_EQ(Heard[0].Type, ToolkitEvent::KeyDown) << What;
            EXPECT_EQ(Heard[0].Window, Window) << What;
            EXPECT_EQ(Heard[0].KeyCode, Key.Expected) << What;
        }
    }
}

TEST_F(KeyPlaces, F11AndAltEnterBelongToTheScreenAndEnterAloneToTheGame) {
    // The screen takes them and only repaints the windows (twice: full screen on, then off again).
    for (int Round = 0; Round < 2; ++Round) {
        for (const std::vector<ToolkitEvent> &Heard :
             {Press(SDL_SCANCODE_F11, SDLK_F11), Press(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT)}) {
            ASSERT_FALSE(Heard.empty());
            for (const ToolkitEvent &Event : Heard) {
                EXPECT_EQ(Event.Type, ToolkitEvent::Expose);
            }
        }
    }
    const std::vector<ToolkitEvent> Enter = Press(SDL_SCANCODE_RETURN, SDLK_RETURN);
    ASSERT_EQ(Enter.size(), 1u);
    EXPECT_EQ(Enter[0].KeyCode, VK_RETURN);
}
