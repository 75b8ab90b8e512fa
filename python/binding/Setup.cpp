#include "python/binding/Setup.h"

#include <string>
#include <vector>

#include "SimCopies.h"

namespace py = pybind11;

namespace {

const char *const LineupExample = "four groups side/slot like \"0/0,1/0,0/1,1/1\"";

[[noreturn]] void Refuse(const std::string &Sentence) {
    throw py::value_error(Sentence);
}

std::vector<std::string> Split(const std::string &Text, char Separator) {
    std::vector<std::string> Parts(1);
    for (char C : Text) {
        if (C == Separator) {
            Parts.emplace_back();
        } else {
            Parts.back() += C;
        }
    }
    return Parts;
}

// A digit from Low to High, alone.
bool ReadDigit(const std::string &Text, int Low, int High, int &Value) {
    if (Text.size() != 1 || Text[0] < '0' + Low || Text[0] > '0' + High) {
        return false;
    }
    Value = Text[0] - '0';
    return true;
}

void ReadLineup(const py::object &Lineup, Typ_Setup &Setup) {
    if (!py::isinstance<py::str>(Lineup)) {
        Refuse(std::string("lineup must be a string of ") + LineupExample + ".");
    }
    const std::string Text = Lineup.cast<std::string>();
    const std::vector<std::string> Groups = Split(Text, ',');
    if (Groups.size() != 4) {
        Refuse("lineup \"" + Text + "\" is not " + LineupExample + ".");
    }
    for (int I = 0; I < 4; ++I) {
        const std::vector<std::string> Pair = Split(Groups[I], '/');
        if (Pair.size() != 2 || !ReadDigit(Pair[0], 0, 1, Setup.Sides[I]) ||
            !ReadDigit(Pair[1], 0, 2, Setup.Slots[I])) {
            Refuse("lineup group \"" + Groups[I] + "\" is not a side 0 or 1 and a slot 0 to 2 as side/slot.");
        }
    }
    const std::string Problem = SimCopies[0]->LineupProblem(Setup.Sides, Setup.Slots);
    if (!Problem.empty()) {
        Refuse("lineup \"" + Text + "\" " + Problem + ".");
    }
}

void ReadPeople(const py::object &People, Typ_Setup &Setup) {
    if (People.is_none()) {
        return;
    }
    if (py::isinstance<py::str>(People) || !py::isinstance<py::iterable>(People)) {
        Refuse("people must be a sequence of at most two character numbers 0 to 3, like (0, 1) or ().");
    }
    for (const py::handle Person : People) {
        if (Setup.PeopleCount == 2) {
            Refuse(
                "people names at most two characters: one plays with the letter keys, one with the keypad.");
        }
        const int Character = int(ReadWhole(Person, "a character in people", 0, 3));
        if (Setup.PeopleCount == 1 && Setup.People[0] == Character) {
            Refuse("people names character " + std::to_string(Character) + " twice.");
        }
        Setup.People[Setup.PeopleCount++] = Character;
    }
}

} // namespace

int64_t ReadWhole(const py::handle &Value, const char *What, int64_t Low, int64_t High) {
    const py::object Whole = py::reinterpret_steal<py::object>(PyNumber_Index(Value.ptr()));
    if (!Whole) {
        PyErr_Clear();
        Refuse(std::string(What) + " must be a whole number, not " +
               std::string(py::str(Value.get_type().attr("__name__"))) + ".");
    }
    int Overflow = 0;
    const long long Number = PyLong_AsLongLongAndOverflow(Whole.ptr(), &Overflow);
    if (Overflow != 0 || Number < Low || Number > High) {
        Refuse(std::string(What) + " must be from " + std::to_string(Low) + " to " + std::to_string(High) +
               ", not " + std::string(py::repr(Whole)) + ".");
    }
    return Number;
}

Typ_Setup ReadSetup(const py::object &Lineup, const py::object &People, const py::object &Seed) {
    Typ_Setup Setup;
    ReadLineup(Lineup, Setup);
    ReadPeople(People, Setup);
    if (!Seed.is_none()) {
        const py::object Whole = py::reinterpret_steal<py::object>(PyNumber_Index(Seed.ptr()));
        const unsigned long long Number = Whole ? PyLong_AsUnsignedLongLong(Whole.ptr()) : 0;
        if (!Whole || PyErr_Occurred()) {
            PyErr_Clear();
            Refuse("seed must be None or a whole number from 0 to 18446744073709551615.");
        }
        Setup.Seeded = true;
        Setup.Seed = Number;
    }
    return Setup;
}

std::string LineupText(const Typ_Setup &Setup) {
    std::string Text;
    for (int I = 0; I < 4; ++I) {
        Text += (I > 0 ? "," : "") + std::to_string(Setup.Sides[I]) + "/" + std::to_string(Setup.Slots[I]);
    }
    return Text;
}

py::tuple PeopleTuple(const Typ_Setup &Setup) {
    py::tuple People(Setup.PeopleCount);
    for (int I = 0; I < Setup.PeopleCount; ++I) {
        People[I] = Setup.People[I];
    }
    return People;
}

bool SameLineup(const Typ_Setup &A, const Typ_Setup &B) {
    for (int I = 0; I < 4; ++I) {
        if (A.Sides[I] != B.Sides[I] || A.Slots[I] != B.Slots[I]) {
            return false;
        }
    }
    return A.PeopleCount == B.PeopleCount && A.People[0] == B.People[0] && A.People[1] == B.People[1];
}
