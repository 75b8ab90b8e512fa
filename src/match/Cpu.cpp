// The computer player: once per tick it looks at the ball and sets a character's controls as a
// person would press them. It remembers nothing between ticks. The two sides have their own
// numbers, which are not mirror images of each other; the speed tests use the same signs on both.
#include <cmath>

#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "platform/Random.h"

namespace {

bool EvenChance() {
    return static_cast<int64_t>(std::floor(10.0 * Rnd())) < 5;
}

struct CpuView {
    int64_t BX, BY, VX, VY; // the ball, as the last tick left it
    int64_t X, Y;           // the character, before this tick's move
};

// Rule 1: the ball is near. Returns false when the ball is not in the near zone.
bool PlayNearBall(Typ_Player &P, const CpuView &V, bool LeftSide) {
    const bool NearX = LeftSide ? (V.X - 24 < V.BX && V.BX < V.X + 40) : (V.X - 40 < V.BX && V.BX < V.X + 24);
    const bool NearY = V.Y - 60 < V.BY && V.BY < V.Y + 24;
    if (!(NearX && NearY)) {
        return false;
    }
    const bool AtNet = LeftSide ? V.X > 158 : V.X < 290;
    const bool AtBackWall = LeftSide ? V.X < 50 : V.X > 398;
    if (AtNet && P.State != Airborne) {
        // The draw is made whatever the state.
        const bool Chance = EvenChance();
        if (P.State == Standing && Chance) {
            P.State = HighJump;
            P.VX = -P.BackDir;
            P.VY = 20;
            P.Tick2 = 0;
            P.InHit = FlagOn;
        } else {
            P.InBack = FlagOn;
            P.InHit = FlagOn;
        }
    } else if (AtNet) {
        if (EvenChance()) {
            P.State = Spin;
            P.Tick2 = 0;
            P.InHit = FlagOn;
        } else {
            P.InUp = FlagOn;
            P.InFront = FlagOn;
            P.InHit = FlagOn;
        }
    } else if (AtBackWall) {
        P.InFront = FlagOn;
        P.InHit = FlagOn;
    } else {
        P.InHit = FlagOn;
    }
    return true;
}

} // namespace

void ThinkCpu(int16_t Side, int16_t Index) {
    Typ_Player &P = Gl_Players[Index];
    const CpuView V = {Gl_BallX, Gl_BallY, Gl_BallVX, Gl_BallVY, P.X, P.Y};
    const bool LeftSide = Side == 0;

    if (PlayNearBall(P, V, LeftSide)) {
        return;
    }

    // Rule 2: a low ball ahead: dive for it.
    const bool LowAhead = LeftSide ? (V.X + 30 < V.BX && V.BX < 280) : (180 < V.BX && V.BX < V.X - 50);
    if (LowAhead && V.BY > 185 && V.VX > 0) {
        P.InDown = FlagOn;
        P.InHit = FlagOn;
        return;
    }

    // Rule 3: the ball overhead: jump, backing off from a rising or fast ball.
    const bool OverX = LeftSide ? (V.X - 48 < V.BX && V.BX < V.X + 32) : (V.X - 24 < V.BX && V.BX < V.X + 48);
    const bool OverY = V.Y - 180 < V.BY && V.BY < V.Y - 60;
    if (OverX && OverY) {
        P.InUp = FlagOn;
        if (V.VY > -4 || V.VX > 10) {
            P.InBack = FlagOn;
        }
        return;
    }

    // Rule 4: the ball on our side: walk to where it is heading.
    const bool OwnSide = LeftSide ? V.BX <= 267 : V.BX > 212;
    if (OwnSide) {
        if (V.VX > 10 && V.VY > 5) {
            P.InBack = FlagOn;
        } else if (LeftSide) {
            (V.BX > V.X + 3 * V.VX ? P.InFront : P.InBack) = FlagOn;
        } else {
            (V.BX < V.X - 3 * V.VX ? P.InFront : P.InBack) = FlagOn;
        }
        return;
    }

    // Rule 5: the ball deep in the other court: move up.
    const bool DeepAcross = LeftSide ? V.BX > 398 : V.BX < 50;
    if (DeepAcross) {
        P.InFront = FlagOn;
        return;
    }

    // Rule 6: otherwise hold both directions and hit, which charges the gauge from standing.
    P.InBack = FlagOn;
    P.InFront = FlagOn;
    P.InHit = FlagOn;
}
