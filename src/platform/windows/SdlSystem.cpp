#include "platform/SdlSystem.h"

// Winsock first: it must come before anything that brings in windows.h.
#include <winsock2.h>

#include <SDL.h>
#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// A watched socket and the event Windows signals when data arrives on it.
struct WatchedSocket {
    SOCKET Socket;
    WSAEVENT Readable;
};

std::vector<WatchedSocket> Sockets;

// Ctrl+C and Ctrl+Break in the console the game was started from end it as closing it does: the
// console's handler (on a thread of its own) only sets this event, which every wait watches.
HANDLE EndAsked = nullptr;

BOOL WINAPI OnConsoleControl(DWORD Control) {
    if ((Control == CTRL_C_EVENT || Control == CTRL_BREAK_EVENT) && EndAsked != nullptr) {
        SetEvent(EndAsked);
        return TRUE;
    }
    return FALSE;
}

bool TakeEndRequest(SDL_Event &Raw) {
    if (EndAsked == nullptr || WaitForSingleObject(EndAsked, 0) != WAIT_OBJECT_0) {
        return false;
    }
    ResetEvent(EndAsked);
    Raw = SDL_Event{};
    Raw.type = SDL_QUIT;
    return true;
}

bool TakeEvent(SDL_Event &Raw) {
    SDL_PumpEvents();
    return SDL_PeepEvents(&Raw, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

} // namespace

bool PrepareSystem(std::string &) {
    // Windows always has its own screen, and its heap already gives large blocks back at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (EndAsked == nullptr) {
        EndAsked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    }
    return true;
}

void WatchWindowSystem(SDL_Window *) {
    // Every window's messages come through the thread's one message queue, which the wait watches.
}

void WatchSystemSocket(intptr_t Socket) {
    const SOCKET Handle = static_cast<SOCKET>(Socket);
    for (const WatchedSocket &Entry : Sockets) {
        if (Entry.Socket == Handle) {
            return;
        }
    }
    WSAEVENT Readable = WSACreateEvent();
    if (Readable == WSA_INVALID_EVENT) {
        return;
    }
    // The socket stays non-blocking, as the network code keeps it.
    if (WSAEventSelect(Handle, Readable, FD_READ | FD_CLOSE) != 0) {
        WSACloseEvent(Readable);
        return;
    }
    Sockets.push_back({Handle, Readable});
}

void UnwatchSystemSocket(intptr_t Socket) {
    const SOCKET Handle = static_cast<SOCKET>(Socket);
    for (auto It = Sockets.begin(); It != Sockets.end(); ++It) {
        if (It->Socket == Handle) {
            WSAEventSelect(Handle, nullptr, 0);
            WSACloseEvent(It->Readable);
            Sockets.erase(It);
            return;
        }
    }
}

// The wait is one MsgWaitForMultipleObjects on the message queue and the sockets' events. SDL reads
// game controllers by polling (XInput sends no message), so while any is plugged in the wait wakes
// every few milliseconds to let SDL look at them.
Woken WaitSystemEvent(SDL_Event &Raw, int64_t Timeout) {
    if (TakeEndRequest(Raw) || TakeEvent(Raw)) {
        return Woken::Event;
    }
    constexpr int64_t ControllerPollMicros = 5000;
    if (SDL_NumJoysticks() > 0 && (Timeout < 0 || Timeout > ControllerPollMicros)) {
        Timeout = ControllerPollMicros;
    }
    // Rounded up: waking a little late keeps a timer's schedule, waking early only costs another
    // wait.
    const DWORD Milliseconds = Timeout < 0 ? INFINITE : static_cast<DWORD>((Timeout + 999) / 1000);
    std::vector<HANDLE> Handles;
    for (const WatchedSocket &Entry : Sockets) {
        Handles.push_back(Entry.Readable);
    }
    if (EndAsked != nullptr) {
        Handles.push_back(EndAsked);
    }
    MsgWaitForMultipleObjectsEx(static_cast<DWORD>(Handles.size()), Handles.data(), Milliseconds, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    bool SocketReady = false;
    for (const WatchedSocket &Entry : Sockets) {
        WSANETWORKEVENTS Happened{};
        WSAEnumNetworkEvents(Entry.Socket, Entry.Readable, &Happened); // resets the event for the next wait
        SocketReady = SocketReady || Happened.lNetworkEvents != 0;
    }
    if (TakeEndRequest(Raw) || TakeEvent(Raw)) {
        return Woken::Event;
    }
    return SocketReady ? Woken::Socket : Woken::Nothing;
}

bool TakeSystemEvent(SDL_Event &Raw) {
    return TakeEvent(Raw);
}

// Every look pumps SDL's events here, as SDL_PollEvent does.
void DisplayUsed() {}
void PumpAtLeastEvery(int64_t) {}
