// A match set up as the select screen would leave it: the line-up, the people, fresh scores, on top
// of the state the program starts with, and the match started.
#pragma once

#include <cstdint>

void StartLineup(const int Sides[4], const int Slots[4], const int People[2], bool Seeded, uint64_t Seed);
