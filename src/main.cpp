// Zorbump: opens the display and runs the game until its last window closes.
#include <cstdio>
#include <string>
#include <thread>

#include "assets/Pictures.h"
#include "audio/Sound.h"
#include "game/FrmMain.h"
#include "game/GameOptions.h"
#include "online/OnlineSession.h"
#include "platform/Console.h"
#include "platform/SdlBackend.h"
#include "platform/Toolkit.h"

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
    // The pictures are drawn on the other core while SDL opens the display, which is mostly waiting.
    std::thread Drawing([] { GetPictures(); });
    Backend *Screen = OpenSdlBackend(Options.Display, Error);
    Drawing.join();
    if (Screen == nullptr) {
        std::fprintf(stderr, "Zorbump: cannot open a display: %s\n", Error.c_str());
        return 1;
    }
    SetBackend(Screen);
    // Sound starts once the first window is on the screen: opening a sound card can take longer than
    // showing the window. Without a sound card the game plays on silently, saying so once.
    RunSoon([] {
        std::string SoundError;
        if (!StartSound(nullptr, SoundError)) {
            std::fprintf(stderr, "Zorbump: playing without sound: %s\n", SoundError.c_str());
        }
    });
    {
        // Online, the session runs the screens until it ends; it says goodbye when the program does.
        OnlineSession Session(Options.Online);
        RunProgram(Options.Online.Role == SessionOptions::Roles::None ? nullptr : &Session);
    }
    StopSound();
    SetBackend(nullptr);
    CloseSdlBackend();
    return 0;
}
