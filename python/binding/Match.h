// zorbump.Match: one match, ticked with the keys held in each tick, looked at as the tool's trace,
// saved and loaded as one snapshot, drawn as the match window's picture.
#pragma once

#include <pybind11/pybind11.h>

void DefineMatch(pybind11::module_ &Module);

// The match window's picture of a kept match as a (360, 480, 3) array of uint8.
pybind11::object FrameArray(const struct Typ_Kept &Kept);
// The trace object of a kept match's last tick, as a dict.
pybind11::object TraceDict(const struct Typ_Kept &Kept);
