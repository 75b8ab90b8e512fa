// Zorbump: opens the display and runs the game until its last window closes.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "assets/Pictures.h"
#include "audio/Sound.h"
#include "game/FrmMain.h"
#include "game/GameOptions.h"
#include "net/Links.h"
#include "online/OnlineSession.h"
#include "platform/Console.h"
#include "platform/SdlBackend.h"
#include "platform/Toolkit.h"
#include "replay/FrmReplay.h"
#include "replay/LiveFeed.h"
#include "replay/ReplayMatch.h"

int main(int Count, char **Arguments) {
    UseStartingConsole();
    GameOptions Options;
    std::string Error;
    if (!ParseGameOptions(Count, Arguments, Options, Error)) {
        std::fprintf(stderr, "zorbump: %s\n", Error.c_str());
        return 2;
    }
    if (Options.Help) {
        std::fputs(GameUsage, stdout);
        return 0;
    }
    // A replay that cannot be played, or a folder that cannot be made, is said before any window.
    Typ_Replay Replay;
    if (!Options.ReplayPath.empty()) {
        const ReplayCheck Check = LoadReplay(Options.ReplayPath, Replay);
        if (Check.Problem != ReplayProblem::None) {
            std::fprintf(stderr, "zorbump: replay '%s': %s\n", Options.ReplayPath.c_str(),
                         Check.Reason.c_str());
            return 2;
        }
        if (Options.ReplayTick > int64_t(Replay.Ticks)) {
            std::fprintf(stderr, "zorbump: --tick %lld is past the replay's last tick, %lu\n",
                         static_cast<long long>(Options.ReplayTick),
                         static_cast<unsigned long>(Replay.Ticks));
            return 2;
        }
    }
    if (!Options.RecordDir.empty()) {
        std::error_code Made;
        std::filesystem::create_directories(Options.RecordDir, Made);
        if (Made || !std::filesystem::is_directory(Options.RecordDir)) {
            std::fprintf(stderr, "zorbump: --record folder '%s' cannot be made: %s\n",
                         Options.RecordDir.c_str(), Made ? Made.message().c_str() : "it is not a folder");
            return 2;
        }
    }
    Backend *Screen = OpenSdlBackend(Options.Display, Error);
    if (Screen == nullptr) {
        std::fprintf(stderr, "Zorbump: cannot open a display: %s\n", Error.c_str());
        return 1;
    }
    // The first window's pictures are drawn once the display is open, not beside its opening on
    // another core: measured on two cores, the opening then took longer than the drawing saved. The
    // rest wait until a window after the title needs them.
    GetWindowPictures();
    SetBackend(Screen);
    // Sound starts once the first window is on the screen: opening a sound card can take longer than
    // showing the window. Without a sound card the game plays on silently, saying so once.
    RunSoon([] {
        std::string SoundError;
        if (!StartSound(nullptr, SoundError)) {
            std::fprintf(stderr, "Zorbump: playing without sound: %s\n", SoundError.c_str());
        }
    });
    if (!Options.ReplayPath.empty()) {
        RunReplayViewer(Replay, Options.ReplayTick);
    } else if (!Options.WatchRoom.empty()) {
        std::unique_ptr<Transport> ToServer =
            OpenServerLink(Options.Online.Address, Options.Online.Port, Options.Online.Secure, Error);
        if (ToServer == nullptr) {
            std::fprintf(stderr, "Zorbump: %s\n", Error.c_str());
        } else {
            LiveFeed Feed(std::move(ToServer), Options.WatchRoom,
                          Options.Online.Address + ":" + std::to_string(Options.Online.Port));
            RunWatchViewer(Feed, Options.WatchRoom);
        }
    } else {
        // Online, the session runs the screens until it ends; it says goodbye when the program does.
        OnlineSession Session(Options.Online, Options.RecordDir);
        const bool Online = Options.Online.Role != SessionOptions::Roles::None || Options.Online.ServerKnown;
        RunProgram(Online ? &Session : nullptr, Options.RecordDir);
    }
    StopSound();
    SetBackend(nullptr);
    CloseSdlBackend();
    return 0;
}
