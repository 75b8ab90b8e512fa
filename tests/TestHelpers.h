// Shared set-up for the tests: a fresh game as the program starts it, a line-up, keys, and a
// picture to copy from.
#pragma once

#include <initializer_list>

#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"
#include "platform/Surface.h"
#include "records/BasCmnDef.h"

// A picture whose every pixel is different, so a misplaced copy shows.
inline Surface Numbered(int32_t Width, int32_t Height, uint32_t Base) {
    Surface S(Width, Height);
    for (int32_t Y = 0; Y < Height; ++Y) {
        for (int32_t X = 0; X < Width; ++X) {
            S.Set(X, Y, (Base + static_cast<uint32_t>(Y * 1000 + X)) & 0xFFFFFF);
        }
    }
    return S;
}

// Clears everything, puts characters 0 and 2 on the left and 1 and 3 on the right (the select
// screen's start), all driven by the computer, and starts a match.
inline void StartDefaultMatch() {
    ClearGameState();
    ReleaseScriptedKeys();
    ResetRnd();
    Gl_Canvas = Typ_MatchCanvas{};
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

// Hands character Index to a person with the given key set.
inline void GiveToPerson(int Index, int KeySet) {
    Gl_Players[Index].Control = 1;
    Gl_Players[Index].KeySet = KeySet;
}

// Holds exactly these keys.
inline void Hold(std::initializer_list<int32_t> Keys) {
    ReleaseScriptedKeys();
    for (int32_t Key : Keys) {
        SetScriptedKey(Key, true);
    }
}

// Keeps the ball far away and harmless, high above the middle, so that it neither ends the rally
// nor reaches anyone, for tests of the characters alone.
inline void ParkBall() {
    Gl_BallX = 228;
    Gl_BallY = -10000;
    Gl_BallVX = 0;
    Gl_BallVY = 0;
}

// Runs one character's update with the ball parked: the same MovePlayer the tick runs.
inline void StepPlayer(int Index) {
    ParkBall();
    MovePlayer(static_cast<int16_t>(Index));
}

// One whole match tick with exactly these keys held and the ball parked out of everyone's way.
inline void TickWith(std::initializer_list<int32_t> Keys) {
    Hold(Keys);
    ParkBall();
    TickMatch();
}

// A default match whose character 0 (left side, X 104) is driven by the letter keys.
inline Typ_Player &StartWithPersonOnLeft() {
    StartDefaultMatch();
    GiveToPerson(0, 0);
    return Gl_Players[0];
}

// A default match whose character 1 (right side, X 344) is driven by the keypad keys.
inline Typ_Player &StartWithPersonOnRight() {
    StartDefaultMatch();
    GiveToPerson(1, 1);
    return Gl_Players[1];
}
