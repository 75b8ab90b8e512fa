// How the game's windows are shown: chosen on the command line, held for the whole run, never saved.
#pragma once

#include <cstdint>

struct DisplayOptions {
    int32_t Scale = 0;       // 1 to 8; 0 picks the largest that fits the screen
    bool FullScreen = false; // desktop full screen, toggled by F11 and Alt+Enter
};
