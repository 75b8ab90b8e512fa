#include "match/Trace.h"

#include <string>

#include "platform/Random.h"
#include "records/BasCmnDef.h"
#include "records/MatchFields.h"

namespace {

void Field(std::string &Line, const char *Name, int64_t Value, bool First = false) {
    if (!First) {
        Line += ',';
    }
    Line += '"';
    Line += Name;
    Line += "\":";
    Line += std::to_string(Value);
}

// One object of fields, in the record's order.
template <typename Walk> void Object(std::string &Line, Walk &&ForEach) {
    Line += '{';
    bool First = true;
    ForEach([&](const char *Name, int64_t Value) {
        Field(Line, Name, Value, First);
        First = false;
    });
    Line += '}';
}

} // namespace

std::string TraceLine(int64_t Tick) {
    double Draws[MaxLoggedDraws];
    const int Count = DrawsSinceMark() < MaxLoggedDraws ? DrawsSinceMark() : MaxLoggedDraws;
    for (int I = 0; I < Count; ++I) {
        Draws[I] = DrawSinceMark(I);
    }
    return TraceLineWithDraws(Tick, Draws, Count);
}

std::string TraceLineWithDraws(int64_t Tick, const double *Draws, int Count) {
    std::string Line = "{";
    Field(Line, "tick", Tick, true);
    Line += ",\"draws\":[";
    for (int I = 0; I < Count; ++I) {
        char Number[40];
        std::snprintf(Number, sizeof Number, "%.17g", Draws[I]);
        if (I > 0) {
            Line += ',';
        }
        Line += Number;
    }
    Line += "],\"Gl_Players\":[";
    for (int I = 0; I < 4; ++I) {
        if (I > 0) {
            Line += ',';
        }
        Object(Line, [I](auto &&Visit) { ForEachPlayerField(Gl_Players[I], Visit); });
    }
    Line += "],\"Gl_Teams\":[";
    for (int I = 0; I < 2; ++I) {
        if (I > 0) {
            Line += ',';
        }
        Object(Line, [I](auto &&Visit) { ForEachTeamField(Gl_Teams[I], Visit); });
    }
    Line += ']';
    ForEachBallField(Gl_Match, [&Line](const char *Name, int64_t Value) { Field(Line, Name, Value); });
    Line += "}\n";
    return Line;
}

void WriteTraceLine(std::FILE *Out, int64_t Tick) {
    std::fputs(TraceLine(Tick).c_str(), Out);
}
