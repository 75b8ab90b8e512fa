// zorbump.VecMatch: many matches of one line-up stepped together from NumPy actions, for learning
// agents; finished matches start again on their own.
#pragma once

#include <pybind11/pybind11.h>

void DefineVecMatch(pybind11::module_ &Module);
