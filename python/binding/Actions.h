// The actions of many people in many matches, from NumPy: (n, people, 5) of 0 and 1 (up, down,
// back, front, hit) or (n, people) of combination numbers 0 to 31 (bit 0 up, 1 down, 2 back,
// 3 front, 4 hit), each turned into its combination number. Anything else is a ValueError.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>

void ReadActions(const pybind11::handle &Actions, size_t Matches, int People, uint8_t *Out);
