#include "game/GameOptions.h"

#include <cstdlib>
#include <cstring>

#include "net/Meeting.h"

const char *const GameUsage =
    "Usage: zorbump [--scale N] [--fullscreen] [--host [PORT] | --join HOST[:PORT] |\n"
    "               --server HOST[:PORT] [--watch CODE]] [--delay N] [--record DIR]\n"
    "               [--replay FILE [--tick N]] [--help]\n"
    "  --scale N     show every window N times its size (1 to 8); without it the\n"
    "                largest whole scale that fits the screen\n"
    "  --fullscreen  start in full screen (F11 or Alt+Enter toggles it while playing)\n"
    "  --host [PORT] play online: wait for the other player on UDP PORT (default 24680)\n"
    "  --join HOST[:PORT]\n"
    "                play online: join the game hosted at HOST (port 24680 unless given)\n"
    "  --server HOST[:PORT]\n"
    "                meet players through the zorbump-server at HOST (port 24680 unless\n"
    "                given): the title gains ONLINE, for a quick match, a friend's room, or\n"
    "                watching a room's match\n"
    "  --watch CODE  with --server, watch the match of the room of that code as it is\n"
    "                played, about 2 s behind its players: Space pauses, the down and\n"
    "                up arrows change the speed up to live, Escape closes\n"
    "  --delay N     online, hold every key of yours N ticks before it plays (0 to 3,\n"
    "                default 0); a little delay means fewer corrections on a slow line\n"
    "  --record DIR  keep every match played as a replay file in DIR, named by the\n"
    "                date and time it began (DIR is made when missing)\n"
    "  --replay FILE watch a replay file: Space pauses, the right arrow steps a tick\n"
    "                while paused, up and down change the speed, the left arrow goes\n"
    "                back 5 seconds, Escape closes\n"
    "  --tick N      open the replay paused at tick N\n"
    "  --help        print these options and exit\n";

namespace {

// A whole number from First to Last, written in plain decimal digits.
bool ReadNumber(const char *Text, int First, int Last, int &Value) {
    if (Text == nullptr || *Text == '\0' || std::strlen(Text) > 9) {
        return false;
    }
    for (const char *Digit = Text; *Digit != '\0'; ++Digit) {
        if (*Digit < '0' || *Digit > '9') {
            return false;
        }
    }
    Value = std::atoi(Text);
    return Value >= First && Value <= Last;
}

// HOST or HOST:PORT. The host is a name or an IPv4 address, made of letters, digits, dots and
// hyphens only.
bool ReadAddress(const char *Text, SessionOptions &Online) {
    if (Text == nullptr) {
        return false;
    }
    std::string Host = Text;
    const size_t Colon = Host.find(':');
    if (Colon != std::string::npos) {
        int Port = 0;
        if (!ReadNumber(Host.c_str() + Colon + 1, 1, 65535, Port)) {
            return false;
        }
        Online.Port = uint16_t(Port);
        Host.resize(Colon);
    }
    if (Host.empty() || Host.size() > 253) {
        return false;
    }
    for (char Each : Host) {
        const bool Allowed = (Each >= 'a' && Each <= 'z') || (Each >= 'A' && Each <= 'Z') ||
                             (Each >= '0' && Each <= '9') || Each == '.' || Each == '-';
        if (!Allowed) {
            return false;
        }
    }
    Online.Address = Host;
    return true;
}

} // namespace

bool ParseGameOptions(int Count, const char *const *Arguments, GameOptions &Options, std::string &Error) {
    int Roles = 0; // 1 host, 2 join, 4 server
    bool DelayGiven = false;
    for (int Index = 1; Index < Count; ++Index) {
        const std::string Argument = Arguments[Index];
        if (Argument == "--help") {
            Options.Help = true;
        } else if (Argument == "--fullscreen") {
            Options.Display.FullScreen = true;
        } else if (Argument == "--scale") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            int Scale = 0;
            if (!ReadNumber(Value, 1, 8, Scale)) {
                Error = "--scale needs a whole number from 1 to 8";
                return false;
            }
            Options.Display.Scale = Scale;
        } else if (Argument == "--host") {
            // The port is optional: a next argument that is a number is it.
            int Port = 0;
            if (Index + 1 < Count && ReadNumber(Arguments[Index + 1], 0, 99999999, Port)) {
                ++Index;
                if (Port < 1 || Port > 65535) {
                    Error = "--host needs a port from 1 to 65535";
                    return false;
                }
                Options.Online.Port = uint16_t(Port);
            }
            Roles |= 1;
            Options.Online.Role = SessionOptions::Roles::Host;
        } else if (Argument == "--join") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            if (!ReadAddress(Value, Options.Online)) {
                Error = "--join needs HOST or HOST:PORT, with a port from 1 to 65535";
                return false;
            }
            Roles |= 2;
            Options.Online.Role = SessionOptions::Roles::Guest;
        } else if (Argument == "--server") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            if (!ReadAddress(Value, Options.Online)) {
                Error = "--server needs HOST or HOST:PORT, with a port from 1 to 65535";
                return false;
            }
            Roles |= 4;
            Options.Online.ServerKnown = true;
        } else if (Argument == "--watch") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            Options.WatchRoom = Meeting::NormalCode(Value != nullptr ? Value : "");
            if (Options.WatchRoom.empty()) {
                Error = "--watch needs a room's code of 4 letters";
                return false;
            }
        } else if (Argument == "--delay") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            int Delay = 0;
            if (!ReadNumber(Value, 0, 3, Delay)) {
                Error = "--delay needs a whole number from 0 to 3";
                return false;
            }
            Options.Online.Delay = Delay;
            DelayGiven = true;
        } else if (Argument == "--record" || Argument == "--replay") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            if (Value == nullptr || *Value == '\0') {
                Error = Argument + (Argument == "--record" ? " needs a folder" : " needs a file");
                return false;
            }
            (Argument == "--record" ? Options.RecordDir : Options.ReplayPath) = Value;
        } else if (Argument == "--tick") {
            const char *Value = Index + 1 < Count ? Arguments[++Index] : nullptr;
            int Tick = 0;
            if (!ReadNumber(Value, 0, 99999999, Tick)) {
                Error = "--tick needs a whole number of ticks from 0";
                return false;
            }
            Options.ReplayTick = Tick;
        } else {
            Error = "unknown option '" + Argument + "' (try --help)";
            return false;
        }
    }
    if (Roles == 3) {
        Error = "--host and --join cannot go together";
        return false;
    }
    if ((Roles & 4) != 0 && Roles != 4) {
        Error = "--server goes with neither --host nor --join";
        return false;
    }
    if (!Options.WatchRoom.empty() &&
        (Roles != 4 || !Options.RecordDir.empty() || !Options.ReplayPath.empty() || DelayGiven)) {
        Error = "--watch watches a room through a server: it needs --server, and goes with none of --record, "
                "--replay, --delay";
        return false;
    }
    if (Options.ReplayTick >= 0 && Options.ReplayPath.empty()) {
        Error = "--tick goes with --replay";
        return false;
    }
    if (!Options.ReplayPath.empty() && (Roles != 0 || !Options.RecordDir.empty())) {
        Error = "--replay watches a kept match: it goes with none of --host, --join, --server, --record";
        return false;
    }
    if (DelayGiven && Roles == 0) {
        Error = "--delay is for online play, with --host, --join or --server";
        return false;
    }
    return true;
}
