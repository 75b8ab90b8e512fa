// The game's few messages (a bad option, no display) reach the terminal it was started from.
#pragma once

// Connects standard output and standard error to the terminal that started the program, where
// they are not connected already. On Windows the game is a window program, which gets no console
// of its own: started from a Command Prompt, it writes into that one. Elsewhere the streams are
// always connected.
void UseStartingConsole();
