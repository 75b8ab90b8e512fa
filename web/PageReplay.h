// A kept match in the page's viewer: the page fetches a server's kept match (?replay=ID) or reads a
// file dropped on it, holds the bytes as Module.replayBytes and starts the game with "--replay"
// ("--tick N" to open paused at tick N). The page has no files: the bytes cross as they are.
#pragma once

// True when the page started the game to watch a replay.
bool PageWantsReplay(int Count, char **Arguments);
// Shows the page's replay in the viewer until Escape; a file that cannot be played is said in one
// line. Gives the program's exit status.
int WatchPageReplay(int Count, char **Arguments);
