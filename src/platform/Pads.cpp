#include "platform/Pads.h"

#include <SDL.h>

#include "platform/KeySets.h"

namespace {

// The controls a person has: the five of the key sets, in their order, then Start and Back.
enum Control {
    Up = KeyRole::Up,
    Down = KeyRole::Down,
    Left = KeyRole::Left,
    Right = KeyRole::Right,
    Hit = KeyRole::Hit,
    Start,
    Back,
    ControlCount
};

// The key each control stands for, by person.
constexpr int32_t PersonKey(int Person, int Which) {
    return Which == Start ? VK_GAMEPAD_MENU : Which == Back ? VK_ESCAPE : KeySets[Person][Which];
}

// A stick counts as pushed past half its travel.
constexpr int16_t StickDeadZone = 16384;

// Seen promptly: at least every 10 ms while a controller plays, every quarter second otherwise.
constexpr int64_t PlayingWait = 10000;
constexpr int64_t WatchingWait = 250000;

struct Seat {
    SDL_GameController *Pad = nullptr;
    SDL_JoystickID Id = -1;
    bool Buttons[ControlCount] = {}; // d-pad and buttons
    bool Stick[4] = {};              // up, down, left, right of the left stick
    bool Muted[ControlCount] = {};   // let go by the game until released
};

Seat Seats[2];
bool Listening = false;

// Held by the controller itself, whatever the game made of it.
bool RawHolds(const Seat &Each, int Which) {
    return Each.Buttons[Which] || (Which < 4 && Each.Stick[Which]);
}

bool Holds(const Seat &Each, int Which) {
    return Each.Pad != nullptr && !Each.Muted[Which] && RawHolds(Each, Which);
}

Seat *SeatOf(SDL_JoystickID Id) {
    for (Seat &Each : Seats) {
        if (Each.Pad != nullptr && Each.Id == Id) {
            return &Each;
        }
    }
    return nullptr;
}

} // namespace

int16_t PadDirection(int16_t Key) {
    constexpr int16_t Own[KeyRole::Count] = {VK_GAMEPAD_DPAD_UP, VK_GAMEPAD_DPAD_DOWN, VK_GAMEPAD_DPAD_LEFT,
                                             VK_GAMEPAD_DPAD_RIGHT, 0};
    for (const auto &Keys : KeySets) {
        for (int Role = 0; Role < KeyRole::Count; ++Role) {
            if (Keys[Role] == Key) {
                return Own[Role];
            }
        }
    }
    return Key;
}

namespace {

int SeatIndex(const Seat *Which) {
    return Which == &Seats[0] ? 0 : 1;
}

void Unseat(Seat &Each) {
    SDL_GameControllerClose(Each.Pad);
    Each = Seat{};
}

// A press of one control: the key it stands for, unless the control was already held another way
// (the d-pad and the stick both give the same direction).
int16_t Press(Seat &Each, int Which, bool &Flag) {
    const bool Before = RawHolds(Each, Which);
    Flag = true;
    if (Before) {
        return 0;
    }
    Each.Muted[Which] = false;
    return static_cast<int16_t>(PersonKey(SeatIndex(&Each), Which));
}

void Release(Seat &Each, int Which, bool &Flag) {
    Flag = false;
    if (!RawHolds(Each, Which)) {
        Each.Muted[Which] = false;
    }
}

int ControlOfButton(uint8_t Button) {
    switch (Button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return Up;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return Down;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return Left;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return Right;
    case SDL_CONTROLLER_BUTTON_A:
    case SDL_CONTROLLER_BUTTON_B:
    case SDL_CONTROLLER_BUTTON_X:
    case SDL_CONTROLLER_BUTTON_Y:
        return Hit;
    case SDL_CONTROLLER_BUTTON_START:
        return Start;
    case SDL_CONTROLLER_BUTTON_BACK:
        return Back;
    default:
        return -1;
    }
}

void Connect(int DeviceIndex) {
    // A joystick SDL has no mapping for is not a controller the game can read: it is left alone.
    if (!SDL_IsGameController(DeviceIndex)) {
        return;
    }
    const SDL_JoystickID Id = SDL_JoystickGetDeviceInstanceID(DeviceIndex);
    if (SeatOf(Id) != nullptr) {
        return;
    }
    for (Seat &Each : Seats) {
        if (Each.Pad == nullptr) {
            Each.Pad = SDL_GameControllerOpen(DeviceIndex);
            Each.Id = Each.Pad != nullptr ? Id : -1;
            return;
        }
    }
    // A third controller waits unopened; it is offered a seat again when it reconnects.
}

int16_t Axis(Seat &Each, uint8_t Which, int16_t Value) {
    int Lower, Upper;
    if (Which == SDL_CONTROLLER_AXIS_LEFTX) {
        Lower = Left;
        Upper = Right;
    } else if (Which == SDL_CONTROLLER_AXIS_LEFTY) {
        Lower = Up; // the stick's y grows downward
        Upper = Down;
    } else {
        return 0;
    }
    int16_t Pressed = 0;
    const bool LowerNow = Value <= -StickDeadZone, UpperNow = Value >= StickDeadZone;
    for (int Side = 0; Side < 2; ++Side) {
        const int Control = Side == 0 ? Lower : Upper;
        const bool Now = Side == 0 ? LowerNow : UpperNow;
        if (Now && !Each.Stick[Control]) {
            const int16_t Key = Press(Each, Control, Each.Stick[Control]);
            Pressed = Key != 0 ? Key : Pressed;
        } else if (!Now && Each.Stick[Control]) {
            Release(Each, Control, Each.Stick[Control]);
        }
    }
    return Pressed;
}

} // namespace

void OpenPads() {
    if (Listening) {
        return;
    }
    Listening = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void ClosePads() {
    for (Seat &Each : Seats) {
        if (Each.Pad != nullptr) {
            Unseat(Each);
        }
    }
    if (Listening) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        Listening = false;
    }
}

int16_t HandlePadEvent(const SDL_Event &Raw) {
    switch (Raw.type) {
    case SDL_CONTROLLERDEVICEADDED:
        Connect(Raw.cdevice.which);
        return 0;
    case SDL_CONTROLLERDEVICEREMOVED:
        // A controller pulled out lets go of everything it held.
        if (Seat *Each = SeatOf(Raw.cdevice.which)) {
            Unseat(*Each);
        }
        return 0;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        Seat *Each = SeatOf(Raw.cbutton.which);
        const int Which = ControlOfButton(Raw.cbutton.button);
        if (Each == nullptr || Which < 0) {
            return 0;
        }
        if (Raw.type == SDL_CONTROLLERBUTTONDOWN) {
            return Press(*Each, Which, Each->Buttons[Which]);
        }
        Release(*Each, Which, Each->Buttons[Which]);
        return 0;
    }
    case SDL_CONTROLLERAXISMOTION:
        if (Seat *Each = SeatOf(Raw.caxis.which)) {
            return Axis(*Each, Raw.caxis.axis, Raw.caxis.value);
        }
        return 0;
    default:
        return 0;
    }
}

bool PadHolds(int32_t VirtualKey) {
    for (int Person = 0; Person < 2; ++Person) {
        for (int Which = 0; Which < ControlCount; ++Which) {
            if (PersonKey(Person, Which) == VirtualKey && Holds(Seats[Person], Which)) {
                return true;
            }
        }
    }
    return false;
}

void ReleasePads() {
    for (Seat &Each : Seats) {
        for (bool &Muted : Each.Muted) {
            Muted = true;
        }
    }
}

int64_t PadWaitLimit() {
    if (!Listening) {
        return -1;
    }
    return PadsPlaying() > 0 ? PlayingWait : WatchingWait;
}

int PadsPlaying() {
    return (Seats[0].Pad != nullptr ? 1 : 0) + (Seats[1].Pad != nullptr ? 1 : 0);
}
