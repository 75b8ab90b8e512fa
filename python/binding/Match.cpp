#include "python/binding/Match.h"

#include <pybind11/numpy.h>

#include <string>
#include <vector>

#include "SimCopies.h"
#include "python/binding/Setup.h"

namespace py = pybind11;

namespace {

// A whole match as one copy: who plays, and the match between two ticks.
struct MatchSnapshot {
    Typ_Setup Setup;
    Typ_Kept Kept;
};

class Match {
  public:
    Match(const py::object &Lineup, const py::object &People, const py::object &Seed)
        : Setup(ReadSetup(Lineup, People, Seed)) {
        SimCopies[0]->Start(Kept, Setup, false);
    }

    void Step(const py::object &Keys) {
        if (SimCopies[0]->Over(Kept)) {
            throw py::value_error(
                "the match is over: a side has 15 points; load a snapshot or make a new Match.");
        }
        Held.clear();
        if (!Keys.is_none()) {
            if (py::isinstance<py::str>(Keys) || !py::isinstance<py::iterable>(Keys)) {
                throw py::value_error(
                    "keys must be a sequence of the virtual-key codes held, each 0 to 255.");
            }
            for (const py::handle Key : Keys) {
                Held.push_back(int32_t(ReadWhole(Key, "a key code", 0, 255)));
            }
        }
        SimCopies[0]->Step(Kept, Held.data(), Held.size());
    }

    py::object State() const { return TraceDict(Kept); }
    py::object Frame() const { return FrameArray(Kept); }

    py::array_t<float> Observe() const {
        py::array_t<float> Out({Setup.PeopleCount, ObservationSize});
        SimCopies[0]->Observe(Kept, Setup, Out.mutable_data());
        return Out;
    }

    MatchSnapshot Save() const { return {Setup, Kept}; }

    void Load(const MatchSnapshot &Snapshot) {
        if (!SameLineup(Snapshot.Setup, Setup)) {
            throw py::value_error("the snapshot is of a match with line-up \"" + LineupText(Snapshot.Setup) +
                                  "\" and people " + std::string(py::repr(PeopleTuple(Snapshot.Setup))) +
                                  ", not this match's \"" + LineupText(Setup) + "\" and " +
                                  std::string(py::repr(PeopleTuple(Setup))) + ".");
        }
        Kept = Snapshot.Kept;
    }

    int64_t Tick() const { return Kept.Tick; }
    bool Over() const { return SimCopies[0]->Over(Kept); }
    const Typ_Setup &GetSetup() const { return Setup; }

  private:
    Typ_Setup Setup;
    Typ_Kept Kept;
    std::vector<int32_t> Held;
};

} // namespace

py::object FrameArray(const Typ_Kept &Kept) {
    py::array_t<uint8_t> Picture({360, 480, 3});
    SimCopies[0]->Frame(Kept, Picture.mutable_data());
    return std::move(Picture);
}

py::object TraceDict(const Typ_Kept &Kept) {
    // Kept for the life of the process: an object released after the interpreter ends would crash.
    static const py::object *const Loads = new py::object(py::module_::import("json").attr("loads"));
    return (*Loads)(SimCopies[0]->Trace(Kept));
}

void DefineMatch(py::module_ &Module) {
    py::class_<MatchSnapshot>(
        Module, "Snapshot", "A whole match between two ticks, from Match.save(); Match.load() takes it back.")
        .def_property_readonly("tick", [](const MatchSnapshot &S) { return S.Kept.Tick; })
        .def_property_readonly("lineup", [](const MatchSnapshot &S) { return LineupText(S.Setup); })
        .def_property_readonly("people", [](const MatchSnapshot &S) { return PeopleTuple(S.Setup); });

    py::class_<Match>(Module, "Match", R"(One match, ticked with the virtual-key codes held in each tick.

lineup: side/slot of characters 0 to 3, as zorbump-sim's --lineup.
people: the characters people drive, at most two; the first plays with the letter keys
(Y N G J Z), the second with the keypad keys (8 2 4 6 and the up arrow). The others are
the computer.
seed: the random source's seed, or None for the game's own sequence.)")
        .def(py::init<const py::object &, const py::object &, const py::object &>(),
             py::arg("lineup") = "0/0,1/0,0/1,1/1", py::arg("people") = py::make_tuple(0, 1),
             py::arg("seed") = py::none())
        .def("step", &Match::Step, py::arg("keys") = py::none(),
             "Runs one tick with these virtual-key codes held (and no others).")
        .def("state", &Match::State, "The trace object of the last tick, as zorbump-sim --trace prints it.")
        .def("frame", &Match::Frame,
             "The match window's picture after the last tick: (360, 480, 3) uint8 RGB.")
        .def("observe", &Match::Observe,
             "Each person's observation, (people, 78) float32, as VecMatch gives it.")
        .def("save", &Match::Save, "The whole match as one snapshot.")
        .def("load", &Match::Load, py::arg("snapshot"), "Puts the match back as a snapshot of it left it.")
        .def_property_readonly("tick", &Match::Tick)
        .def_property_readonly("over", &Match::Over, "Whether a side has won (at 15 points).")
        .def_property_readonly("lineup", [](const Match &M) { return LineupText(M.GetSetup()); })
        .def_property_readonly("people", [](const Match &M) { return PeopleTuple(M.GetSetup()); });
}
