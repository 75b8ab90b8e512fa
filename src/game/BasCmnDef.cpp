#include "game/BasCmnDef.h"

#include <cstdio>
#include <cstdlib>

Typ_Player Gl_Players[4];
Typ_Team Gl_Teams[2];

Int32 Gl_BallX;
Int32 Gl_BallY;
Int16 Gl_BallVX;
Int16 Gl_BallVY;
Int16 Gl_BallKind;
Int32 Gl_BallCell;
Int16 Gl_BallAnim;
Int16 Gl_PointWinner;
Int16 Gl_PointDelay;

Int16 Gl_PlayerCount;
Int16 Gl_ServeSide;
Int16 Gl_Blink;

void OverflowFault(int Bits, int64_t Value) {
    std::fprintf(stderr, "Zorbump: overflow: %lld does not fit a %d-bit field\n",
                 static_cast<long long>(Value), Bits);
    std::abort();
}

void ClearGameState() {
    for (Typ_Player &Player : Gl_Players) {
        Player = Typ_Player{};
    }
    for (Typ_Team &Team : Gl_Teams) {
        Team = Typ_Team{};
    }
    Gl_BallX = 0;
    Gl_BallY = 0;
    Gl_BallVX = 0;
    Gl_BallVY = 0;
    Gl_BallKind = 0;
    Gl_BallCell = 0;
    Gl_BallAnim = 0;
    Gl_PointWinner = 0;
    Gl_PointDelay = 0;
    Gl_PlayerCount = 0;
    Gl_ServeSide = 0;
    Gl_Blink = 0;
}
