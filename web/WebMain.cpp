// Zorbump in the browser: the same game as the desktop's, its windows taking turns on the page's one
// canvas. The page passes "--selfcheck" to play instead the default match between four computer
// characters headless, and print what zorbump-sim prints of it, so the page can be held against
// the native tool.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/Sound.h"
#include "records/BasCmnDef.h"
#include "game/FrmMain.h"
#include "match/Match.h"
#include "platform/Random.h"
#include "platform/SdlBackend.h"
#include "platform/Toolkit.h"
#include "match/Lineup.h"
#include "match/Trace.h"

namespace {

// The select screen's first line-up, all driven by the computer, as the tool sets it without options.
int SelfCheck() {
    const int Sides[4] = {0, 1, 0, 1}, Slots[4] = {0, 0, 1, 1}, People[2] = {-1, -1};
    StartLineup(Sides, Slots, People, false, 0);
    int64_t Tick = 0;
    while (Gl_ServeSide != MatchOver && Tick < 1000000) {
        Tick++;
        MarkDraws();
        TickMatch();
    }
    std::printf("score %" PRId64 "-%" PRId64 " after %" PRId64 " ticks (%s)\n", int64_t(Gl_Teams[0].Score),
                int64_t(Gl_Teams[1].Score), Tick,
                Gl_ServeSide == MatchOver ? "match won" : "stopped at the safety cap, no winner");
    WriteTraceLine(stdout, Tick);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int Count, char **Arguments) {
    if (Count > 1 && std::strcmp(Arguments[1], "--selfcheck") == 0) {
        return SelfCheck();
    }
    std::string Error;
    Backend *Screen = OpenSdlBackend(Error);
    if (Screen == nullptr) {
        std::fprintf(stderr, "Zorbump: cannot use the page: %s\n", Error.c_str());
        return 1;
    }
    SetBackend(Screen);
    // Without sound in the browser the game plays on silently, saying so once.
    std::string SoundError;
    if (!StartSound(nullptr, SoundError)) {
        std::fprintf(stderr, "Zorbump: playing without sound: %s\n", SoundError.c_str());
    }
    RunProgram();
    StopSound();
    SetBackend(nullptr);
    CloseSdlBackend();
    return 0;
}
