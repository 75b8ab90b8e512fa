// What the SDL backend does differently on each operating system, one file per system:
// SdlSystemPosix.cpp (Linux, on X11 or Wayland) and SdlSystemWindows.cpp. Kept apart from the
// backend because the systems' own headers clash with the toolkit's names.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;
union SDL_Event;

// Before SDL starts: suits the program's memory and SDL's choice of video driver to the system.
// Returns false, with the reason in Error, when there is no screen to show the game on.
bool PrepareSystem(std::string &Error);

// Every new window: lets the event wait watch the connection the window's events come through.
void WatchWindowSystem(SDL_Window *Window);

// A socket (a file descriptor, or a Windows SOCKET) whose incoming data also ends the event wait.
void WatchSystemSocket(intptr_t Socket);
void UnwatchSystemSocket(intptr_t Socket);

// Waits until an SDL event arrives or Timeout microseconds pass (-1: no limit), or a watched socket
// has data. An event comes back in Raw.
enum class Woken { Event, Socket, Nothing };
Woken WaitSystemEvent(SDL_Event &Raw, int64_t Timeout);

// An event already waiting, if any, without waiting.
bool TakeSystemEvent(SDL_Event &Raw);

// SDL reads what the system sent when it pumps its events. Where a pump costs system calls, the
// system's file pumps only when something may have come: after a wait the display ended, after a
// call that talked to the display (DisplayUsed), and at least every PumpEvery microseconds (-1: a
// quarter of a second), for the controllers and SDL's own housekeeping.
void DisplayUsed();
void PumpAtLeastEvery(int64_t PumpEvery);
