#include "platform/SdlSystem.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/WaylandWatch.h"

namespace {

// The X display connection of the first window, -1 until there is one (or on Wayland).
int DisplayFd = -1;
// The Wayland display connection of the first window, when it is one.
void *WaylandDisplay = nullptr;
std::vector<int> Sockets;

// SIGTERM and SIGINT end the program as closing it does, from the event loop: the handler only
// writes a byte into this pipe, whose reading end every wait watches. A second signal ends the
// program at once, the system's way.
int EndPipe[2] = {-1, -1};
volatile sig_atomic_t EndSignal = 0;

void OnEndSignal(int Signal) {
    const int Saved = errno;
    EndSignal = Signal;
    const char Byte = 1;
    if (write(EndPipe[1], &Byte, 1) < 0) {
        // The pipe is full: a byte is already waiting to be read, which is all the wait needs.
    }
    errno = Saved;
}

void CatchEndSignals() {
    if (EndPipe[0] >= 0 || pipe2(EndPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    struct sigaction Action;
    std::memset(&Action, 0, sizeof Action);
    Action.sa_handler = OnEndSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESETHAND;
    sigaction(SIGTERM, &Action, nullptr);
    sigaction(SIGINT, &Action, nullptr);
    // A write to a display or a peer that has gone fails with an error the program handles, rather
    // than killing it unannounced.
    signal(SIGPIPE, SIG_IGN);
}

// Whether a signal asked the program to end since the last look; empties the pipe.
bool EndAsked() {
    char Bytes[16];
    while (EndPipe[0] >= 0 && read(EndPipe[0], Bytes, sizeof Bytes) > 0) {
    }
    return EndSignal != 0;
}

// Nothing can be shown or pressed any more: the program ends at once, touching nothing of the
// display on its way out (Xlib's own handler would run the exit handlers, and closing a window on
// a dead connection waits forever).
[[noreturn]] void DisplayLost() {
    static const char Line[] = "Zorbump: the display was lost\n";
    if (write(STDERR_FILENO, Line, sizeof Line - 1) < 0) {
        // Nowhere left to say it.
    }
    _exit(1);
}

int OnDisplayError(void *) {
    DisplayLost();
}

// Xlib's handler of a broken connection, installed through the library SDL itself loads, so the
// game links no X library of its own.
void GuardDisplayConnection() {
    void *Xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (Xlib == nullptr) {
        return;
    }
    using Handler = int (*)(void *);
    using Setter = Handler (*)(Handler);
    const auto SetHandler = reinterpret_cast<Setter>(dlsym(Xlib, "XSetIOErrorHandler"));
    if (SetHandler != nullptr) {
        SetHandler(OnDisplayError);
    }
}

// Notes the window's display connection: X11's to wait on, Wayland's to ask after a quit.
void NoteDisplayConnection(SDL_Window *Window) {
    SDL_SysWMinfo Info;
    SDL_VERSION(&Info.version);
    if (SDL_GetWindowWMInfo(Window, &Info) != SDL_TRUE) {
        return;
    }
#if defined(SDL_VIDEO_DRIVER_X11)
    if (Info.subsystem == SDL_SYSWM_X11) {
        DisplayFd = ConnectionNumber(Info.info.x11.display);
    }
#endif
#if defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (Info.subsystem == SDL_SYSWM_WAYLAND) {
        WaylandDisplay = Info.info.wl.display;
    }
#endif
}

// On Wayland, SDL turns a broken display connection into a quit, as if the last window had been
// closed; the game would then close its windows on the dead connection and end as if asked to.
void CheckQuit(const SDL_Event &Raw) {
    if (Raw.type == SDL_QUIT && WaylandConnectionLost(WaylandDisplay)) {
        DisplayLost();
    }
}

bool Set(const char *Name) {
    const char *Value = std::getenv(Name);
    return Value != nullptr && *Value != '\0';
}

// A pump of SDL's events on X11 is about six system calls: the display connection read, the
// controllers' hot-plug watch. In a match it came three times a tick, each a few microseconds after
// the last. Now it comes when the display may have sent something since the last one: after a wait
// that the display connection ended, after a call that talked to the display (its round trip reads
// whatever the display sent meanwhile into SDL's queues, where no wait would see it), and at least
// every PumpEvery. A wait that ends with nothing to read leaves nothing to pump.
bool PumpNeeded = true;
uint64_t LastPump = 0;    // SDL's milliseconds
uint64_t PumpEvery = 250; // milliseconds

bool TakeEvent(SDL_Event &Raw) {
    const uint64_t Now = SDL_GetTicks64();
    if (PumpNeeded || DisplayFd < 0 || Now - LastPump >= PumpEvery) {
        SDL_PumpEvents();
        PumpNeeded = false;
        LastPump = Now;
    }
    if (SDL_PeepEvents(&Raw, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) {
        return false;
    }
    CheckQuit(Raw);
    return true;
}

} // namespace

bool PrepareSystem(std::string &Error) {
    // Windows' pictures are large blocks that come and go with the menus: give each its own
    // mapping, so a closed window's memory goes back to the system at once.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // Only a real screen will do: without one, SDL would fall back to drawing nowhere, and the game
    // would run unseen.
    const char *Driver = std::getenv("SDL_VIDEODRIVER");
    if (Driver == nullptr) {
        if (Set("DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
            Driver = "x11";
        } else if (Set("WAYLAND_DISPLAY")) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
            Driver = "wayland";
        } else {
            Error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
            return false;
        }
    }
    if (std::strcmp(Driver, "x11") == 0) {
        GuardDisplayConnection();
    }
    // The game's own handlers, not SDL's: SDL's only mark a quit for the next look at its events,
    // which a wait on the display connection does not make.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    CatchEndSignals();
    return true;
}

void WatchWindowSystem(SDL_Window *Window) {
    if (DisplayFd < 0 && WaylandDisplay == nullptr) {
        NoteDisplayConnection(Window);
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
    if (EndAsked()) {
        Raw = SDL_Event{};
        Raw.type = SDL_QUIT;
        return Woken::Event;
    }
    if (DisplayFd < 0 && Sockets.empty()) {
        // SDL's own wait (Wayland) does not see the pipe: it is cut short often enough that a
        // signal ends the program well within a second.
        constexpr int64_t SignalLookMicros = 250000;
        if (Timeout < 0 || Timeout > SignalLookMicros) {
            Timeout = SignalLookMicros;
        }
        // Rounded up: waking a little late keeps a timer's schedule, waking early only costs
        // another wait.
        const int Millis = static_cast<int>((Timeout + 999) / 1000);
        if (SDL_WaitEventTimeout(&Raw, Millis) == 0) {
            return Woken::Nothing;
        }
        CheckQuit(Raw);
        return Woken::Event;
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
    const std::ptrdiff_t FirstSocket = DisplayFd >= 0 ? 1 : 0;
    if (DisplayFd >= 0) {
        Watched.push_back({DisplayFd, POLLIN, 0});
    }
    for (int Socket : Sockets) {
        Watched.push_back({Socket, POLLIN, 0});
    }
    if (EndPipe[0] >= 0) {
        Watched.push_back({EndPipe[0], POLLIN, 0});
    }
    const timespec Limit = {static_cast<time_t>(Timeout / 1000000),
                            static_cast<long>(Timeout % 1000000 * 1000)};
    const int Ready = ppoll(Watched.data(), Watched.size(), Timeout < 0 ? nullptr : &Limit, nullptr);
    if (Ready == 0) {
        // The time is up and nothing came: SDL has nothing new to read either. The caller's next
        // look at the events pumps them anyway, so this wake costs no look of its own.
        return Woken::Nothing;
    }
    if (DisplayFd >= 0) {
        const short Display = Watched.front().revents;
        PumpNeeded = PumpNeeded || Display != 0;
        if ((Display & POLLNVAL) != 0) {
            // No longer a connection: never poll it again, which would return at once forever.
            DisplayFd = -1;
        } else if ((Display & (POLLHUP | POLLERR)) != 0) {
            DisplayLost();
        }
    }
    if (EndAsked()) {
        Raw = SDL_Event{};
        Raw.type = SDL_QUIT;
        return Woken::Event;
    }
    if (TakeEvent(Raw)) {
        return Woken::Event;
    }
    const auto SocketsBegin = Watched.begin() + FirstSocket;
    const bool SocketReady =
        std::any_of(SocketsBegin, SocketsBegin + static_cast<std::ptrdiff_t>(Sockets.size()),
                    [](const pollfd &Each) { return Each.revents != 0; });
    return SocketReady ? Woken::Socket : Woken::Nothing;
}

bool TakeSystemEvent(SDL_Event &Raw) {
    return TakeEvent(Raw);
}

void DisplayUsed() {
    PumpNeeded = true;
}

void PumpAtLeastEvery(int64_t Micros) {
    PumpEvery = Micros < 0 ? 250 : static_cast<uint64_t>(Micros) / 1000;
}
