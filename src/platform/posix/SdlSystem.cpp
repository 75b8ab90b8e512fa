#include "platform/SdlSystem.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <malloc.h>
#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// The X display connection of the first window, -1 until there is one (or on Wayland).
int DisplayFd = -1;
std::vector<int> Sockets;

int DisplayConnection(SDL_Window *Window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo Info;
    SDL_VERSION(&Info.version);
    if (SDL_GetWindowWMInfo(Window, &Info) == SDL_TRUE && Info.subsystem == SDL_SYSWM_X11) {
        return ConnectionNumber(Info.info.x11.display);
    }
#else
    (void)Window;
#endif
    return -1;
}

bool Set(const char *Name) {
    const char *Value = std::getenv(Name);
    return Value != nullptr && *Value != '\0';
}

bool TakeEvent(SDL_Event &Raw) {
    SDL_PumpEvents();
    return SDL_PeepEvents(&Raw, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

} // namespace

bool PrepareSystem(std::string &Error) {
    // Windows' pictures are large blocks that come and go with the menus: give each its own
    // mapping, so a closed window's memory goes back to the system at once.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // Only a real screen will do: without one, SDL would fall back to drawing nowhere, and the game
    // would run unseen.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
        if (Set("DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        } else if (Set("WAYLAND_DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
        } else {
            Error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
            return false;
        }
    }
    return true;
}

void WatchWindowSystem(SDL_Window *Window) {
    if (DisplayFd < 0) {
        DisplayFd = DisplayConnection(Window);
    }
}

void WatchSystemSocket(intptr_t Socket) {
    if (std::find(Sockets.begin(), Sockets.end(), static_cast<int>(Socket)) == Sockets.end()) {
        Sockets.push_back(static_cast<int>(Socket));
    }
}

void UnwatchSystemSocket(intptr_t Socket) {
    Sockets.erase(std::remove(Sockets.begin(), Sockets.end(), static_cast<int>(Socket)), Sockets.end());
}

// On X11 the wait is a poll of the display connection. SDL's own waiting (2.26) may later send its
// wake-up message to a window that has since been destroyed, which ends the program with an X
// error when a menu window closes.
Woken WaitSystemEvent(SDL_Event &Raw, int64_t Timeout) {
    if (DisplayFd < 0 && Sockets.empty()) {
        // Rounded up: waking a little late keeps a timer's schedule, waking early only costs
        // another wait.
        const int Millis = Timeout < 0 ? -1 : static_cast<int>((Timeout + 999) / 1000);
        return SDL_WaitEventTimeout(&Raw, Millis) != 0 ? Woken::Event : Woken::Nothing;
    }
    if (TakeEvent(Raw)) {
        return Woken::Event;
    }
    if (DisplayFd < 0 && (Timeout < 0 || Timeout > 5000)) {
        // Sockets without a display connection to watch: SDL's events are looked at every few
        // milliseconds.
        Timeout = 5000;
    }
    // Until the display or a socket has something or the time is up; a signal also ends the wait,
    // and SDL turns it into an event at the next pump.
    std::vector<pollfd> Watched;
    if (DisplayFd >= 0) {
        Watched.push_back({DisplayFd, POLLIN, 0});
    }
    for (int Socket : Sockets) {
        Watched.push_back({Socket, POLLIN, 0});
    }
    const timespec Limit = {static_cast<time_t>(Timeout / 1000000),
                            static_cast<long>(Timeout % 1000000 * 1000)};
    ppoll(Watched.data(), Watched.size(), Timeout < 0 ? nullptr : &Limit, nullptr);
    if (DisplayFd >= 0) {
        const short Display = Watched.front().revents;
        if ((Display & POLLNVAL) != 0) {
            // No longer a connection: never poll it again, which would return at once forever.
            DisplayFd = -1;
        } else if ((Display & (POLLHUP | POLLERR)) != 0) {
            // The display has gone: after what was already waiting, nothing can be shown or
            // pressed any more, and the program ends.
            if (!TakeEvent(Raw)) {
                Raw = SDL_Event{};
                Raw.type = SDL_QUIT;
            }
            return Woken::Event;
        }
    }
    if (TakeEvent(Raw)) {
        return Woken::Event;
    }
    const bool SocketReady = std::any_of(Watched.begin() + (DisplayFd >= 0 ? 1 : 0), Watched.end(),
                                         [](const pollfd &Each) { return Each.revents != 0; });
    return SocketReady ? Woken::Socket : Woken::Nothing;
}
