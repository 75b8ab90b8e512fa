// What the toolkit needs from a window system: a clock, events, and windows that show a finished
// surface. The SDL2 backend serves the game, the headless one the tests.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Surface.h"

struct ToolkitEvent {
    enum Kind { None, KeyDown, MouseDown, MouseUp, Close, Expose, Quit };
    Kind Type = None;
    uint32_t Window = 0;  // the backend's window id; 0 for Quit
    int16_t KeyCode = 0;  // virtual-key code of a KeyDown
    bool Repeat = false;  // a KeyDown sent again because the key is still held
    bool Pad = false;     // a KeyDown a controller made
    int32_t X = 0, Y = 0; // position of a mouse event in the window's drawing area
};

// How a window looks on the screen apart from its drawing area.
struct WindowLook {
    std::string Caption;
    int32_t Width = 0, Height = 0;
    const Surface *Icon = nullptr, *IconMask = nullptr;       // mask white = transparent
    const Surface *Pointer = nullptr, *PointerMask = nullptr; // mask white = transparent
    int32_t PointerHotX = 0, PointerHotY = 0;
};

class Backend {
  public:
    virtual ~Backend() = default;

    // Microseconds on a clock that never goes back.
    virtual uint64_t NowMicros() = 0;
    // The next waiting event, without waiting.
    virtual bool PollEvent(ToolkitEvent &Event) = 0;
    // Waits until an event arrives, the clock reaches Deadline (UINT64_MAX: no deadline) or a
    // watched socket has data. Returns false when the deadline or the socket came first.
    virtual bool WaitEvent(uint64_t Deadline, ToolkitEvent &Event) = 0;
    virtual void Sleep(uint32_t Milliseconds) = 0;

    // A window of the given look, not yet shown. Returns its id, never 0.
    virtual uint32_t CreateWindow(const WindowLook &Look) = 0;
    // Shows a window centred on the screen and gives it the input focus.
    virtual void ShowWindow(uint32_t Window) = 0;
    virtual void HideWindow(uint32_t Window) = 0;
    virtual void DestroyWindow(uint32_t Window) = 0;
    // A new caption in the window's title bar; none by default (a backend without title bars).
    virtual void RetitleWindow(uint32_t Window, const std::string &Caption) {
        (void)Window;
        (void)Caption;
    }
    // Puts a finished drawing area on the screen.
    virtual void Present(uint32_t Window, const Surface &Frame) = 0;

    // A socket whose incoming data also ends a wait for events (online play); none by default.
    virtual void WatchSocket(intptr_t Socket) { (void)Socket; }
    virtual void UnwatchSocket(intptr_t Socket) { (void)Socket; }
};
