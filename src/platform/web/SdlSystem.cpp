#include "platform/SdlSystem.h"

#include <SDL.h>
#include <emscripten.h>

#include <algorithm>

namespace {

// How long the page is left to itself at most between two looks at SDL's events.
constexpr int64_t LookEveryMicros = 8000;

bool TakeEvent(SDL_Event &Raw) {
    SDL_PumpEvents();
    return SDL_PeepEvents(&Raw, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

} // namespace

bool PrepareSystem(std::string &) {
    // The page is the screen: it is always there.
    return true;
}

void WatchWindowSystem(SDL_Window *) {
    // The browser hands the page its events; the wait below gives it the chance to.
}

void WatchSystemSocket(intptr_t) {
    // A page has no sockets: online play is not part of the browser's game.
}

void UnwatchSystemSocket(intptr_t) {}

// The page must give the browser back its thread to receive anything at all: the wait sleeps in
// short steps (the game's code is suspended meanwhile and resumed where it was, nested windows and
// all), looking at SDL's events after each step.
Woken WaitSystemEvent(SDL_Event &Raw, int64_t Timeout) {
    if (TakeEvent(Raw)) {
        return Woken::Event;
    }
    const int64_t Step = Timeout < 0 ? LookEveryMicros : std::min(Timeout, LookEveryMicros);
    emscripten_sleep(static_cast<unsigned>((Step + 999) / 1000));
    return TakeEvent(Raw) ? Woken::Event : Woken::Nothing;
}

bool TakeSystemEvent(SDL_Event &Raw) {
    return TakeEvent(Raw);
}

// Every look pumps SDL's events here, as SDL_PollEvent does.
void DisplayUsed() {}
void PumpAtLeastEvery(int64_t) {}
