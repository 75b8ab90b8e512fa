// The trace of a match: one JSON object per line with every field of the game's records by name and
// the random numbers drawn during the tick.
#pragma once

#include <cstdint>
#include <cstdio>

#include <string>

void WriteTraceLine(std::FILE *Out, int64_t Tick);
// The same line as a string, newline included.
std::string TraceLine(int64_t Tick);
// The line of a tick whose random draws were kept elsewhere (a match saved and restored since).
std::string TraceLineWithDraws(int64_t Tick, const double *Draws, int Count);
