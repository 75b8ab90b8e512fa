#include "match/Trace.h"

#include <string>

#include "records/BasCmnDef.h"
#include "platform/Random.h"

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

void PlayerObject(std::string &Line, const Typ_Player &P) {
    Line += '{';
    Field(Line, "Side", P.Side, true);
    Field(Line, "Control", P.Control);
    Field(Line, "KeySet", P.KeySet);
    Field(Line, "State", P.State);
    Field(Line, "Phase", P.Phase);
    Field(Line, "AnimFrame", P.AnimFrame);
    Field(Line, "Spent", P.Spent);
    Field(Line, "RunSpeed", P.RunSpeed);
    Field(Line, "JumpSpeed", P.JumpSpeed);
    Field(Line, "Stat3", P.Stat3);
    Field(Line, "Power", P.Power);
    Field(Line, "X", P.X);
    Field(Line, "Y", P.Y);
    Field(Line, "OldX", P.OldX);
    Field(Line, "OldY", P.OldY);
    Field(Line, "VX", P.VX);
    Field(Line, "VY", P.VY);
    Field(Line, "CellX", P.CellX);
    Field(Line, "CellY", P.CellY);
    Field(Line, "MaskX", P.MaskX);
    Field(Line, "Slot", P.Slot);
    Field(Line, "BackDir", P.BackDir);
    Field(Line, "Tick", P.Tick);
    Field(Line, "Tick2", P.Tick2);
    Field(Line, "InUp", P.InUp);
    Field(Line, "InDown", P.InDown);
    Field(Line, "InBack", P.InBack);
    Field(Line, "InFront", P.InFront);
    Field(Line, "InHit", P.InHit);
    Field(Line, "ComboBack", P.ComboBack);
    Field(Line, "ComboFront", P.ComboFront);
    Field(Line, "GaugeColor", P.GaugeColor);
    Field(Line, "FlashCount", P.FlashCount);
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
        PlayerObject(Line, Gl_Players[I]);
    }
    Line += "],\"Gl_Teams\":[";
    for (int I = 0; I < 2; ++I) {
        Line += I > 0 ? ",{" : "{";
        Field(Line, "Score", Gl_Teams[I].Score, true);
        Field(Line, "Members", Gl_Teams[I].Members);
        Line += '}';
    }
    Line += ']';
    Field(Line, "Gl_BallX", Gl_BallX);
    Field(Line, "Gl_BallY", Gl_BallY);
    Field(Line, "Gl_BallVX", Gl_BallVX);
    Field(Line, "Gl_BallVY", Gl_BallVY);
    Field(Line, "Gl_BallKind", Gl_BallKind);
    Field(Line, "Gl_BallCell", Gl_BallCell);
    Field(Line, "Gl_BallAnim", Gl_BallAnim);
    Field(Line, "Gl_PointWinner", Gl_PointWinner);
    Field(Line, "Gl_PointDelay", Gl_PointDelay);
    Field(Line, "Gl_ServeSide", Gl_ServeSide);
    Field(Line, "Gl_Blink", Gl_Blink);
    Line += "}\n";
    return Line;
}

void WriteTraceLine(std::FILE *Out, int64_t Tick) {
    std::fputs(TraceLine(Tick).c_str(), Out);
}
