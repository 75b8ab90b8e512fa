// A match set up as the select screen would leave it: the line-up, the people, fresh scores, on top
// of the state the program starts with, and the match started.
#pragma once

#include <cstdint>
#include <string>

void StartLineup(const int Sides[4], const int Slots[4], const int People[2], bool Seeded, uint64_t Seed);

// What is wrong with a line-up of sides and slots, as the end of a sentence about it ("puts
// characters 0 and 2 on the same slot of side 0"), or nothing. Only line-ups the select screen can
// make are taken: one to three characters a side, each on its own slot.
std::string LineupProblem(const int Sides[4], const int Slots[4]);
