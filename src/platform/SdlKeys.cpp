#include "platform/SdlKeys.h"

#include "platform/Keyboard.h"
#include "platform/Pads.h"

namespace {

constexpr int16_t VK_TAB = 0x09;
constexpr int16_t VK_SHIFT = 0x10;
constexpr int16_t VK_CONTROL = 0x11;
constexpr int16_t VK_MENU = 0x12;
constexpr int16_t VK_NUMPAD0 = 0x60;
constexpr int16_t VK_F1 = 0x70;

// The keypad's digit keys, by their place on the keyboard: they send their digit codes whether
// Num Lock is on or off, as the match's second key set needs.
constexpr SDL_Scancode KeypadDigits[10] = {
    SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4,
    SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9,
};

} // namespace

int16_t VirtualKeyOf(const SDL_Keysym &Key) {
    const SDL_Scancode Code = Key.scancode;
    for (int16_t Digit = 0; Digit < 10; ++Digit) {
        if (Code == KeypadDigits[Digit]) {
            return static_cast<int16_t>(VK_NUMPAD0 + Digit);
        }
    }
    if (Code >= SDL_SCANCODE_A && Code <= SDL_SCANCODE_Z) {
        return static_cast<int16_t>('A' + (Code - SDL_SCANCODE_A));
    }
    // The digit row runs 1 to 9, then 0.
    if (Code >= SDL_SCANCODE_1 && Code <= SDL_SCANCODE_9) {
        return static_cast<int16_t>('1' + (Code - SDL_SCANCODE_1));
    }
    if (Code == SDL_SCANCODE_0) {
        return '0';
    }
    if (Code >= SDL_SCANCODE_F1 && Code <= SDL_SCANCODE_F12) {
        return static_cast<int16_t>(VK_F1 + (Code - SDL_SCANCODE_F1));
    }
    switch (Code) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
        return VK_ESCAPE;
    case SDL_SCANCODE_SPACE:
        return VK_SPACE;
    case SDL_SCANCODE_BACKSPACE:
        return VK_BACK;
    case SDL_SCANCODE_TAB:
        return VK_TAB;
    case SDL_SCANCODE_LEFT:
        return VK_LEFT;
    case SDL_SCANCODE_UP:
        return VK_UP;
    case SDL_SCANCODE_RIGHT:
        return VK_RIGHT;
    case SDL_SCANCODE_DOWN:
        return VK_DOWN;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return VK_MENU;
    default:
        return 0;
    }
}

namespace {

bool ScancodeHeld(SDL_Scancode Code) {
    const Uint8 *State = SDL_GetKeyboardState(nullptr);
    return Code != SDL_SCANCODE_UNKNOWN && State[Code] != 0;
}

bool ReadKeyboard(int32_t VirtualKey) {
    if (VirtualKey >= 'A' && VirtualKey <= 'Z') {
        return ScancodeHeld(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (VirtualKey - 'A')));
    }
    if (VirtualKey >= '1' && VirtualKey <= '9') {
        return ScancodeHeld(static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (VirtualKey - '1')));
    }
    if (VirtualKey == '0') {
        return ScancodeHeld(SDL_SCANCODE_0);
    }
    if (VirtualKey >= VK_NUMPAD0 && VirtualKey < VK_NUMPAD0 + 10) {
        return ScancodeHeld(KeypadDigits[VirtualKey - VK_NUMPAD0]);
    }
    switch (VirtualKey) {
    case VK_RETURN:
        return ScancodeHeld(SDL_SCANCODE_RETURN) || ScancodeHeld(SDL_SCANCODE_KP_ENTER);
    case VK_ESCAPE:
        return ScancodeHeld(SDL_SCANCODE_ESCAPE);
    case VK_SPACE:
        return ScancodeHeld(SDL_SCANCODE_SPACE);
    case VK_LEFT:
        return ScancodeHeld(SDL_SCANCODE_LEFT);
    case VK_UP:
        return ScancodeHeld(SDL_SCANCODE_UP);
    case VK_RIGHT:
        return ScancodeHeld(SDL_SCANCODE_RIGHT);
    case VK_DOWN:
        return ScancodeHeld(SDL_SCANCODE_DOWN);
    case VK_SHIFT:
        return ScancodeHeld(SDL_SCANCODE_LSHIFT) || ScancodeHeld(SDL_SCANCODE_RSHIFT);
    case VK_CONTROL:
        return ScancodeHeld(SDL_SCANCODE_LCTRL) || ScancodeHeld(SDL_SCANCODE_RCTRL);
    default:
        return false;
    }
}

} // namespace

bool ReadSdlKey(int32_t VirtualKey) {
    return ReadKeyboard(VirtualKey) || PadHolds(VirtualKey);
}
