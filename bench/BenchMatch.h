// The match both benchmarks run: four computer characters, two a side, as the select screen
// starts them, drawn onto the given canvas (or not drawn, with an empty one).
#pragma once

#include "records/BasCmnDef.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"

inline void StartComputerMatch(const Typ_MatchCanvas &Canvas) {
    ClearGameState();
    ReleaseScriptedKeys();
    ResetRnd();
    Gl_Canvas = Canvas;
    for (int I = 0; I < 4; ++I) {
        Gl_Players[I].Side = I % 2;
        Gl_Players[I].Slot = I / 2;
        Gl_Players[I].Control = ComputerControl;
        Gl_Players[I].KeySet = -1;
    }
    Gl_Teams[0].Members = 2;
    Gl_Teams[1].Members = 2;
    StartMatch();
}
