// zorbump-sim watching a room's match through a server: the same ticks the players confirmed, run
// as they arrive, traced as the players trace them.
#pragma once

#include "tools/sim/Online.h"

// Watches the first match shown to its end; returns the program's exit status.
int RunWatch(const OnlineOptions &Options);
