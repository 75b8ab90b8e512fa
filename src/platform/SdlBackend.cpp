#include "platform/SdlBackend.h"

#include <SDL.h>

#include <cstdlib>
#include <limits>
#include <map>

#include "platform/Keyboard.h"
#include "platform/SdlSystem.h"
#include "platform/ToolkitBackend.h"

namespace {

constexpr int16_t VK_BACK = 0x08;
constexpr int16_t VK_TAB = 0x09;
constexpr int16_t VK_SHIFT = 0x10;
constexpr int16_t VK_CONTROL = 0x11;
constexpr int16_t VK_MENU = 0x12;
constexpr int16_t VK_LEFT = 0x25;
constexpr int16_t VK_RIGHT = 0x27;
constexpr int16_t VK_DOWN = 0x28;
constexpr int16_t VK_NUMPAD0 = 0x60;
constexpr int16_t VK_F1 = 0x70;

// The keypad's digit keys, by their place on the keyboard: they send their digit codes whether
// Num Lock is on or off, as the match's second key set needs.
constexpr SDL_Scancode KeypadDigits[10] = {
    SDL_SCANCODE_KP_0, SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4,
    SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9,
};

// The virtual-key code of a pressed key, 0 for keys the game has no code for. Letters and digits go
// by the character the key types in the current layout; the keypad by the key's place.
int16_t VirtualKeyOf(const SDL_Keysym &Key) {
    for (int16_t Digit = 0; Digit < 10; ++Digit) {
        if (Key.scancode == KeypadDigits[Digit]) {
            return static_cast<int16_t>(VK_NUMPAD0 + Digit);
        }
    }
    if (Key.sym >= SDLK_a && Key.sym <= SDLK_z) {
        return static_cast<int16_t>('A' + (Key.sym - SDLK_a));
    }
    if (Key.sym >= SDLK_0 && Key.sym <= SDLK_9) {
        return static_cast<int16_t>('0' + (Key.sym - SDLK_0));
    }
    if (Key.sym >= SDLK_F1 && Key.sym <= SDLK_F12) {
        return static_cast<int16_t>(VK_F1 + (Key.sym - SDLK_F1));
    }
    switch (Key.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    default:
        return 0;
    }
}

bool ScancodeHeld(SDL_Scancode Code) {
    const Uint8 *State = SDL_GetKeyboardState(nullptr);
    return Code != SDL_SCANCODE_UNKNOWN && State[Code] != 0;
}

// What GetKeyState reads while the game runs: the keyboard state as of the last events handled.
bool ReadSdlKey(int32_t VirtualKey) {
    if (VirtualKey >= 'A' && VirtualKey <= 'Z') {
        return ScancodeHeld(SDL_GetScancodeFromKey(SDLK_a + (VirtualKey - 'A')));
    }
    if (VirtualKey >= '0' && VirtualKey <= '9') {
        return ScancodeHeld(SDL_GetScancodeFromKey(SDLK_0 + (VirtualKey - '0')));
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

// A surface of SDL's that shares the pixels of one of ours: red in the low byte, as the game packs it.
SDL_Surface *WrapPixels(const Surface &Source) {
    return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t *>(Source.Pixels.data()), Source.Width,
                                              Source.Height, 32, Source.Width * 4, SDL_PIXELFORMAT_XBGR8888);
}

// A picture with transparency for SDL: where the mask is white the picture is see-through.
SDL_Surface *MaskedPicture(const Surface &Image, const Surface *Mask) {
    SDL_Surface *Argb =
        SDL_CreateRGBSurfaceWithFormat(0, Image.Width, Image.Height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (Argb == nullptr) {
        return nullptr;
    }
    for (int32_t Y = 0; Y < Image.Height; ++Y) {
        auto *Row = reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(Argb->pixels) + Y * Argb->pitch);
        for (int32_t X = 0; X < Image.Width; ++X) {
            const uint32_t Pixel = Image.At(X, Y);
            const bool Clear = Mask != nullptr && (Mask->At(X, Y) & 0xFFFFFF) == 0xFFFFFF;
            const uint32_t Red = Pixel & 0xFF, Green = (Pixel >> 8) & 0xFF, Blue = (Pixel >> 16) & 0xFF;
            Row[X] = Clear ? 0 : (0xFF000000u | Red << 16 | Green << 8 | Blue);
        }
    }
    return Argb;
}

struct SdlWindow {
    SDL_Window *Window = nullptr;
    SDL_Surface *Frame = nullptr; // wraps the pixels last presented
    const uint32_t *FramePixels = nullptr;
};

class SdlBackend final : public Backend {
  public:
    ~SdlBackend() override {
        for (auto &Entry : Windows) {
            Release(Entry.second);
        }
        for (auto &Entry : Cursors) {
            SDL_FreeCursor(Entry.second);
        }
    }

    uint64_t NowMicros() override {
        const uint64_t Ticks = SDL_GetPerformanceCounter();
        const uint64_t PerSecond = SDL_GetPerformanceFrequency();
        return Ticks / PerSecond * 1000000 + Ticks % PerSecond * 1000000 / PerSecond;
    }

    bool PollEvent(ToolkitEvent &Event) override {
        SDL_Event Raw;
        while (SDL_PollEvent(&Raw) != 0) {
            if (Translate(Raw, Event)) {
                return true;
            }
        }
        return false;
    }

    bool WaitEvent(uint64_t Deadline, ToolkitEvent &Event) override {
        for (;;) {
            int64_t Timeout = -1; // microseconds, -1 for no limit
            if (Deadline != std::numeric_limits<uint64_t>::max()) {
                const uint64_t At = NowMicros();
                if (At >= Deadline) {
                    return false;
                }
                Timeout = static_cast<int64_t>(Deadline - At);
            }
            SDL_Event Raw;
            if (!WaitRaw(Raw, Timeout)) {
                return false;
            }
            if (Translate(Raw, Event)) {
                return true;
            }
        }
    }

    void Sleep(uint32_t Milliseconds) override { SDL_Delay(Milliseconds); }

    uint32_t CreateWindow(const WindowLook &Look) override {
        SDL_Window *Window =
            SDL_CreateWindow(Look.Caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Look.Width,
                             Look.Height, SDL_WINDOW_HIDDEN);
        if (Window == nullptr) {
            // Without its window the game could neither be seen nor closed: it ends at once, and
            // says why.
            SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "Zorbump: cannot create a window: %s", SDL_GetError());
            std::exit(1);
        }
        if (Look.Icon != nullptr) {
            if (SDL_Surface *Icon = MaskedPicture(*Look.Icon, Look.IconMask)) {
                SDL_SetWindowIcon(Window, Icon);
                SDL_FreeSurface(Icon);
            }
        }
        if (Look.Pointer != nullptr && Look.PointerMask != nullptr) {
            SetPointer(Look);
        }
        WatchWindowSystem(Window);
        const uint32_t Id = SDL_GetWindowID(Window);
        Windows[Id].Window = Window;
        return Id;
    }

    void ShowWindow(uint32_t Id) override {
        SDL_Window *Window = Find(Id);
        if (Window == nullptr) {
            return;
        }
        SDL_SetWindowPosition(Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        SDL_ShowWindow(Window);
        SDL_RaiseWindow(Window);
        SDL_SetWindowInputFocus(Window);
    }

    void HideWindow(uint32_t Id) override {
        if (SDL_Window *Window = Find(Id)) {
            SDL_HideWindow(Window);
        }
    }

    void DestroyWindow(uint32_t Id) override {
        auto It = Windows.find(Id);
        if (It != Windows.end()) {
            Release(It->second);
            Windows.erase(It);
        }
    }

    void Present(uint32_t Id, const Surface &Frame) override {
        auto It = Windows.find(Id);
        if (It == Windows.end()) {
            return;
        }
        SdlWindow &Target = It->second;
        if (Target.FramePixels != Frame.Pixels.data()) {
            SDL_FreeSurface(Target.Frame);
            Target.Frame = WrapPixels(Frame);
            Target.FramePixels = Frame.Pixels.data();
        }
        SDL_Surface *Screen = SDL_GetWindowSurface(Target.Window);
        if (Screen == nullptr || Target.Frame == nullptr) {
            return;
        }
        SDL_BlitSurface(Target.Frame, nullptr, Screen, nullptr);
        SDL_UpdateWindowSurface(Target.Window);
    }

  private:
    bool WaitRaw(SDL_Event &Raw, int64_t Timeout) { return WaitSystemEvent(Raw, Timeout); }

    SDL_Window *Find(uint32_t Id) {
        auto It = Windows.find(Id);
        return It == Windows.end() ? nullptr : It->second.Window;
    }

    static void Release(SdlWindow &Entry) {
        SDL_FreeSurface(Entry.Frame);
        Entry.Frame = nullptr;
        if (Entry.Window != nullptr) {
            SDL_DestroyWindow(Entry.Window);
            Entry.Window = nullptr;
        }
    }

    // The mouse pointer, the same for every window.
    void SetPointer(const WindowLook &Look) {
        SDL_Cursor *&Cursor = Cursors[Look.Pointer];
        if (Cursor == nullptr) {
            SDL_Surface *Argb = MaskedPicture(*Look.Pointer, Look.PointerMask);
            if (Argb == nullptr) {
                return;
            }
            Cursor = SDL_CreateColorCursor(Argb, Look.PointerHotX, Look.PointerHotY);
            SDL_FreeSurface(Argb);
        }
        if (Cursor != nullptr) {
            SDL_SetCursor(Cursor);
        }
    }

    bool Translate(const SDL_Event &Raw, ToolkitEvent &Event) {
        Event = ToolkitEvent{};
        switch (Raw.type) {
        case SDL_QUIT:
            Event.Type = ToolkitEvent::Quit;
            return true;
        case SDL_WINDOWEVENT:
            Event.Window = Raw.window.windowID;
            if (Raw.window.event == SDL_WINDOWEVENT_CLOSE) {
                Event.Type = ToolkitEvent::Close;
                return true;
            }
            if (Raw.window.event == SDL_WINDOWEVENT_EXPOSED || Raw.window.event == SDL_WINDOWEVENT_SHOWN) {
                Event.Type = ToolkitEvent::Expose;
                return true;
            }
            return false;
        case SDL_KEYDOWN:
            Event.Type = ToolkitEvent::KeyDown;
            Event.Window = Raw.key.windowID;
            Event.KeyCode = VirtualKeyOf(Raw.key.keysym);
            Event.Repeat = Raw.key.repeat != 0;
            return Event.KeyCode != 0;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (Raw.button.button != SDL_BUTTON_LEFT) {
                return false;
            }
            Event.Type = Raw.type == SDL_MOUSEBUTTONDOWN ? ToolkitEvent::MouseDown : ToolkitEvent::MouseUp;
            Event.Window = Raw.button.windowID;
            Event.X = Raw.button.x;
            Event.Y = Raw.button.y;
            return true;
        default:
            return false;
        }
    }

    std::map<uint32_t, SdlWindow> Windows;
    std::map<const Surface *, SDL_Cursor *> Cursors;
};

SdlBackend *Opened = nullptr;

} // namespace

Backend *OpenSdlBackend(std::string &Error) {
    if (Opened != nullptr) {
        return Opened;
    }
    // Frames are drawn in memory and only copied to the screen: no accelerated renderer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Which window's closing ends the program is the game's own decision.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (!PrepareSystem(Error)) {
        return nullptr;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        Error = SDL_GetError();
        return nullptr;
    }
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
    SDL_EventState(SDL_TEXTINPUT, SDL_IGNORE);
    SDL_StopTextInput();
    Opened = new SdlBackend();
    SetKeyReader(ReadSdlKey);
    return Opened;
}

void CloseSdlBackend() {
    SetKeyReader(nullptr);
    delete Opened;
    Opened = nullptr;
    SDL_Quit();
}
