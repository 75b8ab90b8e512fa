#include "game/GameOptions.h"

#include <cstdlib>
#include <cstring>

const char *const GameUsage =
    "Usage: zorbump [--scale N] [--fullscreen] [--help]\n"
    "  --scale N     show every window N times its size (1 to 8); without it the\n"
    "                largest whole scale that fits the screen\n"
    "  --fullscreen  start in full screen (F11 or Alt+Enter toggles it while playing)\n"
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

} // namespace

bool ParseGameOptions(int Count, const char *const *Arguments, GameOptions &Options, std::string &Error) {
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
        } else {
            Error = "unknown option '" + Argument + "' (try --help)";
            return false;
        }
    }
    return true;
}
