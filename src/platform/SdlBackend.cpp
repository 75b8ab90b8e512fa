#include "platform/SdlBackend.h"

#include <SDL.h>

#include <deque>
#include <limits>
#include <memory>

#include "platform/Keyboard.h"
#include "platform/Pads.h"
#include "platform/SdlKeys.h"
#include "platform/SdlScreen.h"
#include "platform/SdlSystem.h"
#include "platform/ToolkitBackend.h"

namespace {

constexpr int16_t VK_F11 = 0x7A;

class SdlBackend final : public Backend {
  public:
    explicit SdlBackend(const DisplayOptions &Options) : Screen(Options) {}

    uint64_t NowMicros() override {
        const uint64_t Ticks = SDL_GetPerformanceCounter();
        const uint64_t PerSecond = SDL_GetPerformanceFrequency();
        return Ticks / PerSecond * 1000000 + Ticks % PerSecond * 1000000 / PerSecond;
    }

    bool PollEvent(ToolkitEvent &Event) override {
        ListenForPads();
        if (TakePending(Event)) {
            return true;
        }
        SDL_Event Raw;
        while (TakeSystemEvent(Raw)) {
            if (Translate(Raw, Event)) {
                return true;
            }
        }
        return false;
    }

    bool WaitEvent(uint64_t Deadline, ToolkitEvent &Event) override {
        ListenForPads();
        for (;;) {
            if (TakePending(Event)) {
                return true;
            }
            int64_t Timeout = -1; // microseconds, -1 for no limit
            if (Deadline != std::numeric_limits<uint64_t>::max()) {
                const uint64_t At = NowMicros();
                if (At >= Deadline) {
                    return false;
                }
                Timeout = static_cast<int64_t>(Deadline - At);
            }
            // Controllers are read only when SDL pumps its events: the wait wakes often enough for
            // them (and for one plugged in meanwhile), then goes on waiting.
            const int64_t Limit = PadWaitLimit();
            if (Limit >= 0 && (Timeout < 0 || Timeout > Limit)) {
                Timeout = Limit;
            }
            SDL_Event Raw;
            const Woken What = WaitSystemEvent(Raw, Timeout);
            if (What == Woken::Event && Translate(Raw, Event)) {
                return true;
            }
            if (What == Woken::Socket) {
                return false; // for the socket's handler, in this round of the event loop
            }
        }
    }

    void Sleep(uint32_t Milliseconds) override { SDL_Delay(Milliseconds); }

    // Every call on the screen may talk to the display, and so read what it sent meanwhile.
    uint32_t CreateWindow(const WindowLook &Look) override {
        DisplayUsed();
        return Screen.Create(Look);
    }
    void ShowWindow(uint32_t Id) override {
        DisplayUsed();
        Screen.Show(Id);
    }
    void HideWindow(uint32_t Id) override {
        DisplayUsed();
        Screen.Hide(Id);
    }
    void DestroyWindow(uint32_t Id) override {
        DisplayUsed();
        Screen.Destroy(Id);
    }
    void RetitleWindow(uint32_t Id, const std::string &Caption) override {
        DisplayUsed();
        Screen.Retitle(Id, Caption);
    }
    void Present(uint32_t Id, const Surface &Frame) override {
        DisplayUsed();
        Screen.Present(Id, Frame);
    }
    void WatchSocket(intptr_t Socket) override { WatchSystemSocket(Socket); }
    void UnwatchSocket(intptr_t Socket) override { UnwatchSystemSocket(Socket); }

  private:
    // Controllers start listening at the first look at the events, when the first window is already
    // on the screen: their start, a search of the machine's devices, need not hold the window up.
    // Those already connected arrive as events in that same look.
    // Controllers are read only when SDL pumps its events: as often as the wait wakes for them.
    void ListenForPads() {
        if (!PadsAsked) {
            PadsAsked = true;
            OpenPads();
        }
        PumpAtLeastEvery(PadWaitLimit());
    }

    bool TakePending(ToolkitEvent &Event) {
        if (Pending.empty()) {
            return false;
        }
        Event = Pending.front();
        Pending.pop_front();
        return true;
    }

    // Every window shows its picture anew (after a change of size or of full screen).
    void RepaintAll() {
        Screen.ForEach([this](uint32_t Id) {
            Screen.Resized(Id);
            ToolkitEvent Repaint;
            Repaint.Type = ToolkitEvent::Expose;
            Repaint.Window = Id;
            Pending.push_back(Repaint);
        });
    }

    // A key press as the window in front receives it.
    bool KeyPress(int16_t KeyCode, ToolkitEvent &Event) {
        Event.Type = ToolkitEvent::KeyDown;
        Event.Window = Screen.Focused();
        Event.KeyCode = KeyCode;
        return KeyCode != 0 && Event.Window != 0;
    }

    bool Translate(const SDL_Event &Raw, ToolkitEvent &Event) {
        Event = ToolkitEvent{};
        switch (Raw.type) {
        case SDL_QUIT:
            Event.Type = ToolkitEvent::Quit;
            return true;
        case SDL_WINDOWEVENT:
            return TranslateWindow(Raw.window, Event);
        case SDL_KEYDOWN: {
            // F11 and Alt+Enter belong to the screen, not to the game: no window hears them.
            const int16_t KeyCode = VirtualKeyOf(Raw.key.keysym);
            const bool AltEnter = KeyCode == VK_RETURN && (Raw.key.keysym.mod & KMOD_ALT) != 0;
            if (KeyCode == VK_F11 || AltEnter) {
                if (Raw.key.repeat == 0) {
                    DisplayUsed();
                    Screen.ToggleFullScreen();
                    RepaintAll();
                }
                return false;
            }
            Event.Type = ToolkitEvent::KeyDown;
            Event.Window = Screen.WindowOf(Raw.key.windowID);
            Event.KeyCode = KeyCode;
            Event.Repeat = Raw.key.repeat != 0;
            return Event.KeyCode != 0;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (Raw.button.button != SDL_BUTTON_LEFT) {
                return false;
            }
            Event.Type = Raw.type == SDL_MOUSEBUTTONDOWN ? ToolkitEvent::MouseDown : ToolkitEvent::MouseUp;
            Event.Window = Screen.WindowOf(Raw.button.windowID);
            Event.X = Raw.button.x;
            Event.Y = Raw.button.y;
            Screen.ToDrawingArea(Event.Window, Event.X, Event.Y);
            return true;
        default: {
            const int16_t KeyCode = HandlePadEvent(Raw);
            if (!KeyPress(KeyCode, Event)) {
                return false;
            }
            Event.Pad = true;
            // A face button is also the window's own choice of key (the title takes it as Enter).
            if (KeyCode == VK_Z || KeyCode == VK_UP) {
                ToolkitEvent Face = Event;
                Face.KeyCode = VK_GAMEPAD_A;
                Pending.push_back(Face);
            }
            return true;
        }
        }
    }

    bool TranslateWindow(const SDL_WindowEvent &Raw, ToolkitEvent &Event) {
        Event.Window = Screen.WindowOf(Raw.windowID);
        switch (Raw.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Event.Type = ToolkitEvent::Close;
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            Screen.Resized(Event.Window);
            Event.Type = ToolkitEvent::Expose;
            return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
            Screen.Resized(Event.Window);
            Event.Type = ToolkitEvent::Expose;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // Nothing stays held in a window that no longer hears its keys being let go.
            SDL_ResetKeyboard();
            ReleasePads();
            return false;
        default:
            return false;
        }
    }

    SdlScreen Screen;
    std::deque<ToolkitEvent> Pending;
    bool PadsAsked = false;
};

std::unique_ptr<SdlBackend> Opened;

} // namespace

Backend *OpenSdlBackend(const DisplayOptions &Options, std::string &Error) {
    if (Opened != nullptr) {
        return Opened.get();
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
    // Controllers are welcome but not needed: without them the game plays with the keyboard. They
    // open with the first look at the events.
    Opened = std::make_unique<SdlBackend>(Options);
    SetKeyReader(ReadSdlKey);
    return Opened.get();
}

Backend *OpenSdlBackend(std::string &Error) {
    return OpenSdlBackend(DisplayOptions{}, Error);
}

void CloseSdlBackend() {
    SetKeyReader(nullptr);
    Opened.reset();
    ClosePads();
    SDL_Quit();
}
