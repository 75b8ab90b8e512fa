// The one source of random numbers: uniform draws in [0, 1), one at a time. It is never seeded by
// the game, so every run of the program draws the same sequence and a match replays exactly from
// its keys alone.
#pragma once

#include <cstdint>

double Rnd();

// Restarts the sequence: from the game's own start, or from another seed (the headless tool).
void ResetRnd();
void SeedRnd(uint64_t Seed);

// Where the sequence stands, to come back to it (a match is saved and restored with it).
uint64_t RndPosition();
void SetRndPosition(uint64_t Position);

// The draws made since the last MarkDraws, for tracing. Only the first MaxLoggedDraws are kept; a
// tick makes at most eight (one per computer character, one per swing contact). The count stops
// at MaxLoggedDraws + 1.
constexpr int MaxLoggedDraws = 16;
void MarkDraws();
int DrawsSinceMark();
double DrawSinceMark(int Which);
