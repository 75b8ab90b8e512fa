// The page's timing of the longest rollback online, beside the desktop's benchmark of the same work
// (bench/RollbackBench.cpp): the page passes "--bench" and prints one line a script reads.
#pragma once

// Restores the match saved a whole rollback window ago and runs every tick again, each frame drawn,
// many times over; prints the time one such rollback takes. Gives the program's exit status.
int TimeLongestRollback();
