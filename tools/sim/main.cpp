// zorbump-sim: plays a match headless, from a line-up and per-tick key states, and reports the
// score, a trace of every field, pictures of the frames, or its sound.
//
//   zorbump-sim [--lineup L] [--people P] [--keys FILE] [--ticks N] [--trace] [--seed S]
//               [--frames DIR] [--every K] [--sheets DIR] [--sounds DIR] [--audio FILE]
//               [--record FILE] [--replay FILE] [--help]
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "match/Lineup.h"
#include "match/Match.h"
#include "match/Trace.h"
#include "net/Meeting.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"
#include "platform/StandardOutput.h"
#include "records/BasCmnDef.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayMatch.h"
#include "tools/sim/Online.h"
#include "tools/sim/SimPictures.h"
#include "tools/sim/SimSounds.h"
#include "tools/sim/Watch.h"

namespace {

// A match between computer characters can keep a rally alive for ever; the tool stops here.
constexpr int64_t SafetyCapTicks = 1000000;

struct Options {
    int Sides[4] = {0, 1, 0, 1};
    int Slots[4] = {0, 0, 1, 1};
    int People[2] = {-1, -1};
    std::vector<std::vector<int>> Keys; // per tick, tick 1 first
    int64_t Ticks = -1;
    bool Trace = false;
    bool Seeded = false;
    uint64_t Seed = 0;
    std::string FramesDir;
    int64_t Every = 1;
    bool EveryGiven = false;
    std::string SheetsDir;
    std::string SoundsDir;
    std::string AudioPath;
    bool Help = false;
    // Online play.
    bool Hosting = false, Joining = false;
    std::string Address;
    // Online through a server: what this player asks for there.
    std::string Server;
    int ServerWants = 0; // 1 quick, 2 new room, 3 a room by its code, 4 watch a room by its code
    std::string Room;
    uint16_t Port = 0;
    std::string RecordPath;
    int Delay = 0;
    bool LineupGiven = false;
    // A kept match to play, in place of the line-up, the people, the seed and the keys.
    std::string ReplayPath;
    Typ_Replay Replay;
};

constexpr const char *Usage =
    "usage: zorbump-sim [--lineup L] [--people P] [--keys FILE] [--ticks N] [--trace] [--seed S]\n"
    "                   [--frames DIR] [--every K] [--sheets DIR] [--sounds DIR] [--audio FILE]\n"
    "                   [--host PORT | --join HOST:PORT |\n"
    "                    --server HOST:PORT (--quick | --new-room | --room CODE | --watch CODE)]\n"
    "                   [--record FILE] [--replay FILE] [--delay N] [--help]\n"
    "Plays a match headless with the game's own ticks.\n"
    "  --lineup L     side/slot of characters 0 to 3, comma-separated (default 0/0,1/0,0/1,1/1)\n"
    "  --people P     the characters people drive: none (default), i, or i,j\n"
    "  --keys FILE    per tick, one line of the virtual-key codes held; nothing after the last line\n"
    "  --ticks N      stop after N ticks (default: when a side wins)\n"
    "  --trace        every field of the game's records after each tick, as JSON lines\n"
    "  --seed S       another sequence of random numbers than the game's own\n"
    "  --frames DIR   the match window's picture as frame-NNNNNN.png ...\n"
    "  --every K      ... after every K-th tick (default 1)\n"
    "  --sheets DIR   every picture the game builds, as PNG files\n"
    "  --sounds DIR   every sound effect as a 16-bit mono WAV named after it (DIR is created)\n"
    "  --audio FILE   the sound of the run as one WAV, one tick per 33 ms (its folder is created)\n"
    "  --host PORT    play online: wait for one guest on UDP PORT; --lineup and --people decide the match\n"
    "  --join HOST:PORT  play online as the guest of HOST\n"
    "  --server HOST:PORT  play online through a server, with another player who asks there:\n"
    "    --quick        the next player who asks for a quick match\n"
    "    --new-room     a new room: its code is written as 'room CODE' on standard error\n"
    "    --room CODE    the room of that code\n"
    "    --watch CODE   watch the match of the room of that code, as confirmed, about 2 s behind its\n"
    "                   players: --trace prints the players' trace; ends with the match (or --ticks)\n"
    "                 the room's host (the first to come) decides --lineup and --people (default 0,1)\n"
    "                 online, --keys holds the local person's keys (letter keys), --trace prints the\n"
    "                 confirmed state of every tick, and the summary adds rollbacks, stalls, bytes, round "
    "trip\n"
    "  --record FILE  keep the match as a replay file (online too: every confirmed tick)\n"
    "  --replay FILE  play a replay file: its line-up, people, seed and keys, to its last tick\n"
    "  --delay N      online: hold back the local input N ticks (0 to 3, default 0)\n"
    "  --help         this text\n";

struct BadArgument {
    std::string Message;
};

[[noreturn]] void Fail(const std::string &Message) {
    throw BadArgument{Message};
}

int64_t ParseNumber(const std::string &Text, const char *What, int64_t Low, int64_t High) {
    if (Text.empty()) {
        Fail(std::string(What) + " is empty");
    }
    char *End = nullptr;
    errno = 0;
    const long long Value = std::strtoll(Text.c_str(), &End, 10);
    if (*End != '\0' || errno == ERANGE || Value < Low || Value > High) {
        Fail(std::string(What) + " must be a whole number from " + std::to_string(Low) + " to " +
             std::to_string(High) + ", not '" + Text + "'");
    }
    return Value;
}

std::vector<std::string> Split(const std::string &Text, char Separator) {
    std::vector<std::string> Parts;
    std::string Part;
    std::istringstream Stream(Text);
    while (std::getline(Stream, Part, Separator)) {
        Parts.push_back(Part);
    }
    if (!Text.empty() && Text.back() == Separator) {
        Parts.push_back("");
    }
    return Parts;
}

// Four groups side/slot, for characters 0 to 3.
void ParseLineup(const std::string &Text, Options &Opt) {
    const std::vector<std::string> Groups = Split(Text, ',');
    if (Groups.size() != 4) {
        Fail("--lineup needs four groups side/slot, one per character, e.g. 0/0,1/0,0/1,1/1");
    }
    for (int I = 0; I < 4; ++I) {
        const std::vector<std::string> Pair = Split(Groups[I], '/');
        if (Pair.size() != 2) {
            Fail("--lineup group '" + Groups[I] + "' is not side/slot");
        }
        Opt.Sides[I] = static_cast<int>(ParseNumber(Pair[0], "a --lineup side", 0, 1));
        Opt.Slots[I] = static_cast<int>(ParseNumber(Pair[1], "a --lineup slot", 0, 2));
    }
    const std::string Problem = LineupProblem(Opt.Sides, Opt.Slots);
    if (!Problem.empty()) {
        Fail("--lineup " + Problem);
    }
}

void ParsePeople(const std::string &Text, Options &Opt) {
    if (Text.empty() || Text == "none") {
        return;
    }
    const std::vector<std::string> Names = Split(Text, ',');
    if (Names.size() > 2) {
        Fail("--people names at most two characters");
    }
    for (size_t I = 0; I < Names.size(); ++I) {
        Opt.People[I] = static_cast<int>(ParseNumber(Names[I], "a --people character", 0, 3));
    }
    if (Names.size() == 2 && Opt.People[0] == Opt.People[1]) {
        Fail("--people names the same character twice");
    }
}

void ReadKeys(const std::string &Path, Options &Opt) {
    std::ifstream File(Path);
    if (!File) {
        Fail("cannot read keys file '" + Path + "'");
    }
    std::string Line;
    int64_t LineNumber = 0;
    while (std::getline(File, Line)) {
        LineNumber++;
        std::vector<int> Codes;
        std::istringstream Words(Line);
        std::string Word;
        while (Words >> Word) {
            Codes.push_back(static_cast<int>(ParseNumber(
                Word, ("a key code on line " + std::to_string(LineNumber) + " of the keys file").c_str(), 0,
                255)));
        }
        Opt.Keys.push_back(Codes);
    }
    if (File.bad()) {
        Fail("cannot read keys file '" + Path + "'");
    }
}

// A replay of another build or format, or a damaged one, is refused whole: nothing of it is played.
void ReadReplay(Options &Opt) {
    const ReplayCheck Check = LoadReplay(Opt.ReplayPath, Opt.Replay);
    if (Check.Problem != ReplayProblem::None) {
        Fail("replay '" + Opt.ReplayPath + "': " + Check.Reason);
    }
}

// The replay is written at the end; a file that cannot be written is said before anything runs.
void CheckRecordFile(const std::string &Path) {
    std::FILE *File = std::fopen(Path.c_str(), "wb");
    if (File == nullptr) {
        Fail("cannot write '" + Path + "': " + std::strerror(errno));
    }
    std::fclose(File);
}

Options ParseOptions(int Argc, char **Argv) {
    Options Opt;
    std::string KeysPath;
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        auto Value = [&]() -> std::string {
            if (I + 1 >= Argc) {
                Fail(Arg + " needs a value");
            }
            return Argv[++I];
        };
        if (Arg == "--lineup") {
            ParseLineup(Value(), Opt);
            Opt.LineupGiven = true;
        } else if (Arg == "--people") {
            ParsePeople(Value(), Opt);
        } else if (Arg == "--keys") {
            KeysPath = Value();
            if (KeysPath.empty()) {
                Fail("--keys needs a file");
            }
        } else if (Arg == "--ticks") {
            Opt.Ticks = ParseNumber(Value(), "--ticks", 0, SafetyCapTicks);
        } else if (Arg == "--trace") {
            Opt.Trace = true;
        } else if (Arg == "--seed") {
            const std::string Text = Value();
            char *End = nullptr;
            errno = 0;
            Opt.Seed = std::strtoull(Text.c_str(), &End, 10);
            if (Text.empty() || Text[0] == '-' || *End != '\0' || errno == ERANGE) {
                Fail("--seed must be a whole number from 0 to 18446744073709551615, not '" + Text + "'");
            }
            Opt.Seeded = true;
        } else if (Arg == "--frames") {
            Opt.FramesDir = Value();
            if (Opt.FramesDir.empty()) {
                Fail("--frames needs a folder");
            }
        } else if (Arg == "--every") {
            Opt.Every = ParseNumber(Value(), "--every", 1, SafetyCapTicks);
            Opt.EveryGiven = true;
        } else if (Arg == "--sheets") {
            Opt.SheetsDir = Value();
            if (Opt.SheetsDir.empty()) {
                Fail("--sheets needs a folder");
            }
        } else if (Arg == "--sounds") {
            Opt.SoundsDir = Value();
            if (Opt.SoundsDir.empty()) {
                Fail("--sounds needs a folder");
            }
        } else if (Arg == "--audio") {
            Opt.AudioPath = Value();
            if (Opt.AudioPath.empty()) {
                Fail("--audio needs a file");
            }
        } else if (Arg == "--host") {
            Opt.Hosting = true;
            Opt.Port = static_cast<uint16_t>(ParseNumber(Value(), "--host's port", 1, 65535));
        } else if (Arg == "--join") {
            const std::string Where = Value();
            const size_t Colon = Where.rfind(':');
            if (Colon == std::string::npos || Colon == 0) {
                Fail("--join needs HOST:PORT, not '" + Where + "'");
            }
            Opt.Joining = true;
            Opt.Address = Where.substr(0, Colon);
            Opt.Port = static_cast<uint16_t>(ParseNumber(Where.substr(Colon + 1), "--join's port", 1, 65535));
        } else if (Arg == "--server") {
            const std::string Where = Value();
            const size_t Colon = Where.rfind(':');
            if (Colon == std::string::npos || Colon == 0) {
                Fail("--server needs HOST:PORT, not '" + Where + "'");
            }
            Opt.Server = Where.substr(0, Colon);
            Opt.Port =
                static_cast<uint16_t>(ParseNumber(Where.substr(Colon + 1), "--server's port", 1, 65535));
        } else if (Arg == "--quick" || Arg == "--new-room" || Arg == "--room" || Arg == "--watch") {
            if (Opt.ServerWants != 0) {
                Fail("--quick, --new-room, --room and --watch cannot go together");
            }
            Opt.ServerWants = Arg == "--quick" ? 1 : Arg == "--new-room" ? 2 : Arg == "--room" ? 3 : 4;
            if (Arg == "--room" || Arg == "--watch") {
                const std::string Typed = Value();
                Opt.Room = Meeting::NormalCode(Typed);
                if (Opt.Room.empty()) {
                    Fail(Arg + " needs a code of 4 letters, not '" + Typed + "'");
                }
            }
        } else if (Arg == "--record") {
            Opt.RecordPath = Value();
            if (Opt.RecordPath.empty()) {
                Fail("--record needs a file");
            }
        } else if (Arg == "--replay") {
            Opt.ReplayPath = Value();
            if (Opt.ReplayPath.empty()) {
                Fail("--replay needs a file");
            }
        } else if (Arg == "--delay") {
            Opt.Delay = static_cast<int>(ParseNumber(Value(), "--delay", 0, 3));
        } else if (Arg == "--help") {
            Opt.Help = true;
        } else {
            Fail("unknown argument '" + Arg + "'");
        }
    }
    if (Opt.EveryGiven && Opt.FramesDir.empty()) {
        Fail("--every needs --frames");
    }
    if (Opt.Hosting && Opt.Joining) {
        Fail("--host and --join cannot go together");
    }
    if (!Opt.Server.empty() && (Opt.Hosting || Opt.Joining)) {
        Fail("--server plays through a server: not with --host or --join");
    }
    if (Opt.Server.empty() != (Opt.ServerWants == 0)) {
        Fail(Opt.Server.empty() ? "--quick, --new-room, --room and --watch need --server"
                                : "--server needs --quick, --new-room, --room CODE or --watch CODE");
    }
    if (Opt.ServerWants == 4 && (Opt.LineupGiven || Opt.People[0] >= 0 || Opt.Seeded || !KeysPath.empty() ||
                                 !Opt.RecordPath.empty() || Opt.Delay != 0)) {
        Fail("a watcher learns the match from the server: --watch takes none of --lineup, --people, --seed, "
             "--keys, --record, --delay");
    }
    const bool Online = Opt.Hosting || Opt.Joining || !Opt.Server.empty();
    if (Opt.Joining && (Opt.LineupGiven || Opt.People[0] >= 0 || Opt.Seeded)) {
        Fail(
            "the guest learns the line-up, the people and the seed from the host: --join takes none of them");
    }
    if (!Online && Opt.Delay != 0) {
        Fail("--delay is for online play (--host, --join or --server)");
    }
    if (!Opt.ReplayPath.empty() && (Opt.LineupGiven || Opt.People[0] >= 0 || Opt.Seeded ||
                                    !KeysPath.empty() || Online || !Opt.RecordPath.empty())) {
        Fail("--replay takes the line-up, the people, the seed and the keys from its file: it goes with none "
             "of --lineup, --people, --seed, --keys, --record, --host, --join, --server");
    }
    if (Online && (!Opt.FramesDir.empty() || !Opt.SheetsDir.empty() || !Opt.SoundsDir.empty() ||
                   !Opt.AudioPath.empty())) {
        Fail("online play writes no pictures or sounds");
    }
    if (!KeysPath.empty() && !Opt.Help) {
        ReadKeys(KeysPath, Opt);
    }
    if (!Opt.ReplayPath.empty() && !Opt.Help) {
        ReadReplay(Opt);
    }
    if (!Opt.RecordPath.empty() && !Opt.Hosting && !Opt.Joining && !Opt.Help) {
        CheckRecordFile(Opt.RecordPath);
    }
    return Opt;
}

void SetUpMatch(const Options &Opt) {
    if (!Opt.ReplayPath.empty()) {
        StartReplay(Opt.Replay);
        return;
    }
    StartLineup(Opt.Sides, Opt.Slots, Opt.People, Opt.Seeded, Opt.Seed);
}

void HoldKeysOfTick(const Options &Opt, int64_t Tick) {
    if (!Opt.ReplayPath.empty()) {
        HoldReplayTick(Opt.Replay, Tick);
        return;
    }
    ReleaseScriptedKeys();
    if (Tick - 1 < static_cast<int64_t>(Opt.Keys.size())) {
        for (int Code : Opt.Keys[static_cast<size_t>(Tick - 1)]) {
            SetScriptedKey(Code, true);
        }
    }
}

int Run(const Options &Opt) {
    if (Opt.Help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (Opt.Hosting || Opt.Joining || !Opt.Server.empty()) {
        OnlineOptions Online;
        Online.Hosting = Opt.Hosting;
        Online.Address = Opt.Server.empty() ? Opt.Address : Opt.Server;
        Online.ThroughServer = !Opt.Server.empty();
        Online.ServerWants = Opt.ServerWants;
        Online.Room = Opt.Room;
        if (Online.ThroughServer && Opt.People[0] < 0 && Opt.People[1] < 0) {
            // Two people meet through a server: both drive a character unless the host says which.
            Online.People[0] = 0;
            Online.People[1] = 1;
        }
        Online.Port = Opt.Port;
        for (int I = 0; I < 4; ++I) {
            Online.Sides[I] = Opt.Sides[I];
            Online.Slots[I] = Opt.Slots[I];
        }
        if (!Online.ThroughServer || Opt.People[0] >= 0 || Opt.People[1] >= 0) {
            Online.People[0] = Opt.People[0];
            Online.People[1] = Opt.People[1];
        }
        Online.Seeded = Opt.Seeded;
        Online.Seed = Opt.Seed;
        Online.Keys = Opt.Keys;
        Online.Ticks = Opt.Ticks;
        Online.Trace = Opt.Trace;
        Online.RecordPath = Opt.RecordPath;
        Online.Delay = Opt.Delay;
        return Online.ServerWants == 4 ? RunWatch(Online) : RunOnline(Online);
    }
    SimPictures Pictures(Opt.FramesDir, Opt.Every);
    if (!Opt.SheetsDir.empty()) {
        Pictures.WriteSheets(Opt.SheetsDir);
    }
    if (!Opt.SoundsDir.empty()) {
        SimSounds::WriteEffects(Opt.SoundsDir);
    }
    // Writing pictures or effects alone plays no match.
    if ((!Opt.SheetsDir.empty() || !Opt.SoundsDir.empty()) && Opt.Ticks < 0 && Opt.FramesDir.empty() &&
        !Opt.Trace && Opt.AudioPath.empty()) {
        return 0;
    }
    SimSounds Sounds(Opt.AudioPath);
    SetUpMatch(Opt);
    ReplayRecorder Recorder;
    if (!Opt.RecordPath.empty()) {
        Recorder.Begin(ReplayOrigin::Tool, Opt.Sides, Opt.Slots, Opt.People, Opt.Seeded, Opt.Seed);
    }
    if (Opt.Trace) {
        WriteTraceLine(stdout, 0);
    }
    const bool Replaying = !Opt.ReplayPath.empty();
    int64_t Limit = Opt.Ticks >= 0 ? Opt.Ticks : SafetyCapTicks;
    if (Replaying) {
        Limit = std::min<int64_t>(Limit, Opt.Replay.Ticks);
    }
    int64_t Tick = 0;
    while (Tick < Limit && Gl_ServeSide != MatchOver) {
        Tick++;
        HoldKeysOfTick(Opt, Tick);
        if (Recorder.Recording()) {
            const std::vector<int> None;
            const std::vector<int> &Held =
                Tick - 1 < int64_t(Opt.Keys.size()) ? Opt.Keys[size_t(Tick - 1)] : None;
            Recorder.AddTick(PersonControlsOfKeys(Held, 0), PersonControlsOfKeys(Held, 1));
        }
        MarkDraws();
        Sounds.BeforeTick();
        TickMatch();
        Sounds.AfterTick(Tick);
        Pictures.AfterTick(Tick);
        if (Opt.Trace) {
            WriteTraceLine(stdout, Tick);
        }
    }
    Sounds.Finish();
    if (Recorder.Recording()) {
        std::string Error;
        if (!WriteReplayFile(Opt.RecordPath, Recorder.Finish(), Error)) {
            Fail("cannot write '" + Opt.RecordPath + "': " + Error);
        }
    }
    if (!Opt.Trace) {
        const char *Ending = Gl_ServeSide == MatchOver             ? "match won"
                             : Opt.Ticks >= 0 && Tick == Opt.Ticks ? "stopped at --ticks"
                             : Replaying                           ? "end of the replay"
                                                                   : "stopped at the safety cap, no winner";
        std::printf("score %" PRId64 "-%" PRId64 " after %" PRId64 " ticks (%s)\n",
                    int64_t(Gl_Teams[0].Score), int64_t(Gl_Teams[1].Score), Tick, Ending);
    }
    return 0;
}

} // namespace

int main(int Argc, char **Argv) {
    SetStandardOutputBinary();
    Options Opt;
    try {
        Opt = ParseOptions(Argc, Argv);
    } catch (const BadArgument &Bad) {
        std::fprintf(stderr, "zorbump-sim: %s\n", Bad.Message.c_str());
        return 2;
    }
    try {
        return Run(Opt);
    } catch (const BadArgument &Bad) {
        std::fprintf(stderr, "zorbump-sim: %s\n", Bad.Message.c_str());
        return 2;
    }
}
