// The Python module zorbump._zorbump: the match for learning agents and their tools.
#include <pybind11/pybind11.h>

#include "SimCopies.h"
#include "python/binding/Match.h"
#include "python/binding/VecMatch.h"

PYBIND11_MODULE(_zorbump, Module) {
    Module.doc() = "The match of Zorbump, exact and headless: one match, or many stepped together.";
    Module.attr("OBSERVATION_SIZE") = ObservationSize;
    Module.attr("ACTION_COUNT") = ActionCount;
    Module.attr("MAX_THREADS") = SimCopyCount;
    DefineMatch(Module);
    DefineVecMatch(Module);
}
