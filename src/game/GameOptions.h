// The game's few command-line options. Without any, the game is the game as it always was.
#pragma once

#include <string>

#include "platform/DisplayOptions.h"

struct GameOptions {
    DisplayOptions Display;
    bool Help = false;
};

// The options' description for --help.
extern const char *const GameUsage;

// Reads the command line. Returns false with a one-line reason in Error when an argument is not one
// of the options or its value is out of range.
bool ParseGameOptions(int Count, const char *const *Arguments, GameOptions &Options, std::string &Error);
