// Zorbump in the browser: the same game as the desktop's, its windows taking turns on the page's one
// canvas. The page passes "--selfcheck" to play instead the default match between four computer
// characters headless, and print what zorbump-sim prints of it, so the page can be held against
// the native tool; "--bench" times the longest rollback online instead (web/PageBench.h). Online,
// the page plays through a server it names with "--server HOST:PORT"
// ("--secure" for wss://): its title offers ONLINE, or it goes straight to a "--quick" match, a
// "--new-room" or "--room CODE"; "--link URL" is the page's own address a room's code completes
// for a friend.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "audio/Sound.h"
#include "records/BasCmnDef.h"
#include "game/FrmMain.h"
#include "game/GameOptions.h"
#include "match/Match.h"
#include "platform/Random.h"
#include "platform/SdlBackend.h"
#include "platform/Toolkit.h"
#include "match/Lineup.h"
#include "match/Trace.h"
#include "online/OnlineSession.h"
#include "web/PageBench.h"
#include "web/PageReplay.h"

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

// The page's online options. False, with the reason, for what the page never passes.
bool ReadOnline(int Count, char **Arguments, SessionOptions &Online, std::string &Error) {
    bool Straight = false; // to a match or a room at once, without the title
    for (int Index = 1; Index < Count; ++Index) {
        const std::string Name = Arguments[Index];
        const char *Value = Index + 1 < Count ? Arguments[Index + 1] : nullptr;
        if (Name == "--server" && Value != nullptr) {
            GameOptions Parsed;
            const char *Join[] = {"zorbump", "--join", Value};
            if (!ParseGameOptions(3, Join, Parsed, Error)) {
                return false;
            }
            Online.ServerKnown = true;
            Online.Address = Parsed.Online.Address;
            Online.Port = Parsed.Online.Port;
            ++Index;
        } else if (Name == "--secure") {
            Online.Secure = true;
        } else if (Name == "--quick") {
            Online.Meet = SessionOptions::Meets::Quick;
            Straight = true;
        } else if (Name == "--new-room") {
            Online.Meet = SessionOptions::Meets::NewRoom;
            Straight = true;
        } else if (Name == "--room" && Value != nullptr) {
            Online.Meet = SessionOptions::Meets::JoinRoom;
            Online.Room = Value;
            Straight = true;
            ++Index;
        } else if (Name == "--link" && Value != nullptr) {
            Online.FriendLink = Value;
            ++Index;
        } else {
            Error = "the page does not know " + Name;
            return false;
        }
    }
    if (Straight && !Online.ServerKnown) {
        Error = "a match or a room needs a server";
        return false;
    }
    if (Straight) {
        Online.Role = SessionOptions::Roles::ThroughServer;
    }
    return true;
}

// Each confirmed line of an online match, kept by the page for window.zorbumpTrace().
void ShareLine(const std::string &Line) {
    std::string Text = Line;
    while (!Text.empty() && Text.back() == '\n') {
        Text.pop_back();
    }
    EM_ASM({ Module.onlineTrace.push(UTF8ToString($0)); }, Text.c_str());
}

// Each match the page kept online, as its replay file's bytes, for window.zorbumpRecords().
void ShareRecord(const std::vector<uint8_t> &File) {
    EM_ASM({ Module.onlineRecords.push(Array.from(HEAPU8.subarray($0, $0 + $1))); }, File.data(), File.size());
}

// A hidden tab pauses an online match: the player has gone elsewhere.
EM_BOOL TabChanged(int, const EmscriptenVisibilityChangeEvent *Event, void *) {
    if (Event->hidden) {
        OnlineSession::PauseSoon();
    }
    return EM_FALSE;
}

} // namespace

int main(int Count, char **Arguments) {
    if (Count > 1 && std::strcmp(Arguments[1], "--selfcheck") == 0) {
        return SelfCheck();
    }
    if (Count > 1 && std::strcmp(Arguments[1], "--bench") == 0) {
        return TimeLongestRollback();
    }
    std::string Error;
    SessionOptions Online;
    const bool Watching = PageWantsReplay(Count, Arguments);
    if (!Watching && !ReadOnline(Count, Arguments, Online, Error)) {
        std::fprintf(stderr, "Zorbump: %s\n", Error.c_str());
        return 1;
    }
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
    int Status = 0;
    if (Watching) {
        Status = WatchPageReplay(Count, Arguments);
    } else {
        // Online, the session runs the screens until it ends; then the page is the local game.
        OnlineSession Session(Online);
        if (Online.ServerKnown) {
            OnlineSession::ShareTrace(ShareLine);
            OnlineSession::ShareKept(ShareRecord);
            emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, TabChanged);
        }
        RunProgram(Online.ServerKnown ? &Session : nullptr);
    }
    StopSound();
    SetBackend(nullptr);
    CloseSdlBackend();
    return Status;
}
