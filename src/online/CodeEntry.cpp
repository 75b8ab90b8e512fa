#include "online/CodeEntry.h"

#include <cstring>

#include "net/Meeting.h"
#include "platform/Keyboard.h"
#include "platform/Pads.h"

namespace {

// The letter's place in the alphabet, -1 for a letter no code has.
int AlphabetIndex(char Letter) {
    const char *Found = std::strchr(Meeting::CodeAlphabet, Letter);
    return Letter != '\0' && Found != nullptr ? int(Found - Meeting::CodeAlphabet) : -1;
}

} // namespace

CodeEntry::CodeEntry() : Typed(Meeting::CodeLength, ' ') {}

void CodeEntry::Turn(int Step) {
    const int Size = Meeting::CodeAlphabetSize;
    const int Now = AlphabetIndex(Typed[Place]);
    // A blank place starts from the first letter going up and from the last going down.
    const int Next = Now < 0 ? (Step > 0 ? 0 : Size - 1) : (Now + Step + Size) % Size;
    Typed[Place] = Meeting::CodeAlphabet[Next];
}

CodeEntry::Result CodeEntry::Key(int16_t KeyCode) {
    const int Last = Meeting::CodeLength - 1;
    switch (KeyCode) {
    case VK_ESCAPE:
        return Result::GaveUp;
    case VK_RETURN:
        return Complete() ? Result::Done : Result::Typing;
    case VK_BACK:
        if (Place == Last && Typed[Place] != ' ') {
            Typed[Place] = ' ';
        } else if (Place > 0) {
            --Place;
            Typed[Place] = ' ';
        }
        return Result::Typing;
    case VK_UP:
    case VK_NUMPAD8:
    case VK_GAMEPAD_DPAD_UP:
        Turn(1);
        return Result::Typing;
    case VK_DOWN:
    case VK_NUMPAD2:
    case VK_GAMEPAD_DPAD_DOWN:
        Turn(-1);
        return Result::Typing;
    case VK_LEFT:
    case VK_NUMPAD4:
    case VK_GAMEPAD_DPAD_LEFT:
        Place = Place > 0 ? Place - 1 : 0;
        return Result::Typing;
    case VK_RIGHT:
    case VK_NUMPAD6:
    case VK_GAMEPAD_DPAD_RIGHT:
        Place = Place < Last ? Place + 1 : Last;
        return Result::Typing;
    default:
        break;
    }
    if (KeyCode >= VK_A && KeyCode <= VK_Z && AlphabetIndex(char(KeyCode)) >= 0) {
        Typed[Place] = char(KeyCode);
        Place = Place < Last ? Place + 1 : Last;
    }
    return Result::Typing;
}
