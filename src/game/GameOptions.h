// The game's few command-line options. Without any, the game is the game as it always was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/DisplayOptions.h"

// Online play: host a session, join one, meet through a server, or neither (the local game).
struct SessionOptions {
    enum class Roles { None, Host, Guest, ThroughServer };
    Roles Role = Roles::None;
    std::string Address; // the host a guest joins, or the server
    uint16_t Port = 24680;
    int32_t Delay = 0; // ticks every local input waits before it is played, 0 to 3
    // Through a server: a quick match, a new room, or the room of a code.
    enum class Meets { Quick, NewRoom, JoinRoom };
    Meets Meet = Meets::Quick;
    std::string Room;         // JoinRoom: the code
    bool Secure = false;      // the server over TLS, where the target can choose
    std::string FriendLink;   // with a room's code after it, the address that brings a friend in
    bool ServerKnown = false; // Address and Port name a server: the title offers ONLINE
};

struct GameOptions {
    DisplayOptions Display;
    SessionOptions Online;
    std::string RecordDir;   // every match played is kept here as a replay file
    std::string ReplayPath;  // a replay to watch, in place of the game
    int64_t ReplayTick = -1; // the tick the viewer opens paused at, -1 to play from the start
    std::string WatchRoom;   // the code of a room whose match is watched through the server
    bool Help = false;
};

// The options' description for --help.
extern const char *const GameUsage;

// Reads the command line. Returns false with a one-line reason in Error when an argument is not one
// of the options or its value is out of range.
bool ParseGameOptions(int Count, const char *const *Arguments, GameOptions &Options, std::string &Error);
