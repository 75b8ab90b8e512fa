// Who plays a match, as Python gives it: the line-up as zorbump-sim's --lineup writes it, the
// characters the people (or agents) drive, the random source's seed. Wrong values are refused with
// a ValueError of one sentence.
#pragma once

#include <pybind11/pybind11.h>

#include "python/core/Copy.h"

Typ_Setup ReadSetup(const pybind11::object &Lineup, const pybind11::object &People,
                    const pybind11::object &Seed);

// The same setup as Python would write it back: ("0/0,1/0,0/1,1/1", (0, 1)).
std::string LineupText(const Typ_Setup &Setup);
pybind11::tuple PeopleTuple(const Typ_Setup &Setup);

// Whether two setups put the same characters in the same places with the same people.
bool SameLineup(const Typ_Setup &A, const Typ_Setup &B);

// A whole number from Low to High, or a ValueError naming What.
int64_t ReadWhole(const pybind11::handle &Value, const char *What, int64_t Low, int64_t High);
