// One tick of a match, the booking of a rally with side-out scoring, and the set-up of the next one.
#include "match/Match.h"

#include "records/BasCmnDef.h"

namespace {

// Starting x of a character by side and court position.
int32_t StartX(int64_t Side, int64_t Slot) {
    static constexpr int32_t Left[3] = {0, 104, 208};
    static constexpr int32_t Right[3] = {448, 344, 240};
    const int64_t Column = Slot >= 2 ? 2 : Slot;
    return Side == 0 ? Left[Column] : Right[Column];
}

void ResetPlayerForRally(int16_t Index) {
    Typ_Player &P = Gl_Players[Index];
    P.State = Standing;
    P.Phase = 0;
    P.AnimFrame = 0;
    P.Spent = 0;
    P.RunSpeed = 8;
    P.JumpSpeed = 18;
    P.Stat3 = 10;
    P.X = StartX(P.Side, P.Slot);
    P.Y = FloorY;
    P.OldX = 0;
    P.OldY = 0;
    P.VX = 0;
    P.VY = 0;
    P.CellX = P.Side * 32 + Index * 64;
    P.CellY = 0;
    P.MaskX = 0; // the first tick of the rally sets the real mask column
    P.BackDir = P.Side == 0 ? -1 : 1;
    P.Tick = 0;
    P.Tick2 = 0;
    P.InUp = FlagOff;
    P.InDown = FlagOff;
    P.InBack = FlagOff;
    P.InFront = FlagOff;
    P.InHit = FlagOff;
    P.ComboBack = 1;
    P.ComboFront = 1;
}

void ResetBallForRally() {
    Gl_BallKind = 0;
    // The ball hangs above the serving side's back corner. After the winning point the serve side
    // is the match-over marker and the ball goes far off court; the match ends in that same tick.
    Gl_BallX = 12 + Gl_ServeSide * 430;
    Gl_BallY = 250;
    Gl_BallCell = 0;
    Gl_BallVX = 0;
    Gl_BallVY = 20;
    Gl_PointWinner = -1;
    Gl_PointDelay = 0;
    Gl_BallAnim = 0;
}

// Side-out scoring: only the serving side scores; a receiving side that wins gains the serve.
void BookRally() {
    const int16_t Winner = static_cast<int16_t>(Gl_PointWinner - 1);
    if (Winner == Gl_ServeSide) {
        Gl_Teams[Winner].Score = Gl_Teams[Winner].Score + 1;
    }
    Gl_ServeSide = Gl_Teams[Winner].Score >= WinningScore ? MatchOver : Winner;
    ResetRally();
}

} // namespace

void TickMatch() {
    for (int16_t Index = 0; Index < 4; ++Index) {
        MovePlayer(Index);
    }
    MoveBall();
    DrawFrame(); // the frame shows the tick before any booking
    if (Gl_PointWinner != -1) {
        Gl_PointDelay = Gl_PointDelay + 1;
        if (Gl_PointDelay >= DeadBallDelay) {
            BookRally();
        }
    }
}

void ResetRally() {
    DrawCourt();
    // Everyone moves up one position; the rotation runs at every rally start, whoever won.
    for (Typ_Player &P : Gl_Players) {
        P.Slot = P.Slot + 1;
        if (P.Slot >= Gl_Teams[P.Side].Members) {
            P.Slot = 0;
        }
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        ResetPlayerForRally(Index);
    }
    ResetBallForRally();
}

void StartMatch() {
    Gl_ServeSide = 0;
    for (int16_t Index = 0; Index < 4; ++Index) {
        Gl_Players[Index].Power = 0;
        Gl_Players[Index].FlashCount = 0;
        Gl_Players[Index].GaugeColor = IndexGaugeColor[Index];
    }
    ResetRally();
}
