// The characters: one tick of each action state, the motion in whole pixels, the image cell that
// shows the action, and the keeping of every character inside its own half of the court.
#include "records/BasCmnDef.h"
#include "match/Match.h"

namespace {

constexpr int32_t Gravity = 2;

// Image rows of the character sheet.
constexpr int32_t RowStanding = 0;
constexpr int32_t RowWalk = 32; // and 64 for the second frame
constexpr int32_t RowAirborne = 96;
constexpr int32_t RowSpike = 128;
constexpr int32_t RowSwing = 160;
constexpr int32_t RowCrouch = 192;
constexpr int32_t RowStartled = 224;
constexpr int32_t RowCharred = 256;
constexpr int32_t RowLying = 320;

void StepAnimFrame(Typ_Player &P) {
    P.AnimFrame = P.AnimFrame + 1;
    if (P.AnimFrame > 1) {
        P.AnimFrame = 0;
    }
}

// The speed changes before the position moves.
void FlightStep(Typ_Player &P) {
    P.X = P.X + P.VX;
    P.VY = P.VY - Gravity;
    P.Y = P.Y - P.VY;
}

// Strict: a character that comes to exactly the floor is still in the air for this tick.
bool FloorTest(Typ_Player &P) {
    if (P.Y > FloorY) {
        P.Y = FloorY;
        return true;
    }
    return false;
}

void UpdateStanding(Typ_Player &P) {
    P.VX = 0;
    P.VY = 0;
    P.Spent = 0;
    if (P.InUp) {
        P.State = Airborne;
        P.VY = P.JumpSpeed;
        if (P.InBack) {
            P.VX = P.RunSpeed * P.BackDir;
        } else if (P.InFront) {
            P.VX = -P.RunSpeed * P.BackDir;
        } else {
            P.VX = 0;
        }
    } else if (P.InHit) {
        if (P.InFront && P.InBack) {
            P.State = Charging;
            P.Tick = 0;
        } else if (P.InDown) {
            P.State = Dive;
            P.VY = 10;
            P.VX = -(P.RunSpeed + 4) * P.BackDir;
            P.Tick = 0;
        } else {
            P.State = Swing;
            P.Tick = 0;
        }
    }
    // The tick in which a move begins still walks and still shows the standing or walking image.
    if (!P.InBack && !P.InFront) {
        P.CellY = RowStanding;
        return;
    }
    StepAnimFrame(P);
    P.CellY = RowWalk + P.AnimFrame * 32;
    if (P.InBack) {
        P.X = P.X + P.RunSpeed * P.BackDir;
    }
    if (P.InFront) {
        P.X = P.X - P.RunSpeed * P.BackDir;
    }
}

// A jump keeps its take-off speed; there is no steering in the air.
void UpdateAirborne(Typ_Player &P) {
    P.CellY = RowAirborne;
    P.Spent = 0;
    if (P.InHit) {
        P.State = P.InUp ? Spike : Swing;
        P.Tick = 0;
    }
    FlightStep(P);
    if (FloorTest(P)) {
        P.State = Standing; // landing wins over a hit begun in this tick
    }
}

// Swing and spike share their timing and differ only in the image. A swing that comes down to
// exactly the floor is no longer in the air, so it stays there unmoving until its time is up.
void UpdateSwingOrSpike(Typ_Player &P) {
    const bool InAir = P.Y < FloorY;
    P.CellY = P.State == Swing ? RowSwing : RowSpike;
    P.Tick = P.Tick + 1;
    if (P.Tick > 10) {
        P.State = InAir ? Airborne : Standing;
    }
    if (InAir) {
        FlightStep(P);
        if (FloorTest(P)) {
            P.State = Standing;
        }
    }
}

// Reaching the floor does not end a dive: the character slides on until its time is up.
void UpdateDive(Typ_Player &P) {
    P.CellY = RowCrouch;
    P.Tick = P.Tick + 1;
    if (P.Tick > 12) {
        P.State = Standing;
    }
    FlightStep(P);
    FloorTest(P);
}

void UpdateKnockedBack(Typ_Player &P) {
    if (P.Phase == 1) {
        P.CellY = RowStartled;
    } else if (P.Phase == 2) {
        P.CellY = RowCharred;
    } else {
        StepAnimFrame(P); // charred and electrocuted in turn
        P.CellY = RowCharred + P.AnimFrame * 32;
    }
    FlightStep(P);
    if (FloorTest(P)) {
        P.State = Recovering;
        P.Tick = P.Phase == 1 ? 10 : P.Phase == 2 ? 15 : 25;
    }
}

// Lying on the floor. The ball can still reach a lying character and throws it again.
void UpdateRecovering(Typ_Player &P) {
    P.CellY = RowLying;
    P.Spent = 0;
    P.Tick = P.Tick - 1;
    if (P.Tick < 0) {
        P.State = Standing;
    }
}

void UpdateCharging(Typ_Player &P) {
    P.CellY = RowStanding;
    P.Spent = 0;
    P.Tick = P.Tick + 1; // the frame of the aura: 1, 2, 0, 1, 2, ...
    if (P.Tick > 2) {
        P.Tick = 0;
    }
    P.Power = P.Power + 2;
    if (P.Power > 100) {
        P.Power = 100;
    }
    if (!(P.InHit && P.InFront && P.InBack)) {
        P.State = Standing;
    }
}

// A spin keeps the vertical speed it began with: begun in the air it follows the jump's arc, begun
// on the floor it stays there. The facing flips at every tick.
void UpdateSpin(Typ_Player &P, int16_t Index) {
    StepAnimFrame(P);
    P.CellX = Index * 64 + P.AnimFrame * 32;
    P.MaskX = 256 + P.AnimFrame * 32;
    P.CellY = RowStartled;
    P.X = P.X - 5 * P.BackDir;
    P.VY = P.VY - Gravity;
    P.Y = P.Y - P.VY;
    FloorTest(P);
    P.Tick2 = P.Tick2 + 1;
    if (P.Tick2 > 13) {
        P.State = Airborne;
        P.VX = 0;
        P.Tick2 = 0;
    }
}

// Here the position moves before the speed changes, and nothing stops the rise at the floor.
void UpdateHighJump(Typ_Player &P) {
    StepAnimFrame(P);
    P.CellY = P.AnimFrame * 64;
    P.X = P.X + P.VX;
    P.Y = P.Y - P.VY;
    P.VY = P.VY - Gravity;
    if (P.VY < 0) {
        P.State = Airborne;
        P.VX = 0;
        P.VY = 0;
        P.Tick2 = 0;
    }
}

// Three stages: a hop toward the net, a straight rise, then a spinning dive.
void UpdateSuperMove(Typ_Player &P, int16_t Index) {
    if (P.Phase == 0) {
        P.CellY = RowCrouch;
        P.Tick2 = P.Tick2 + 1;
        if (P.Tick2 > 12) {
            P.Phase = 1;
            P.Tick2 = 0;
        }
        FlightStep(P);
        FloorTest(P);
    } else if (P.Phase == 1) {
        StepAnimFrame(P);
        P.CellY = P.AnimFrame * 64;
        P.Tick2 = P.Tick2 + 1;
        if (P.Tick2 > 29) {
            P.Phase = 2;
            P.Tick2 = 0;
            P.VY = 10;
        }
        P.X = P.X - P.BackDir;
        P.Y = P.Y - 6;
    } else {
        UpdateSpin(P, Index);
    }
}

void ClampToOwnHalf(Typ_Player &P) {
    if (P.Side == 0) {
        if (P.X < 0) {
            P.X = 0;
        }
        if (P.X > 208) {
            P.X = 208;
        }
    } else {
        if (P.X > 448) {
            P.X = 448;
        }
        if (P.X < 240) {
            P.X = 240;
        }
    }
}

} // namespace

void MovePlayer(int16_t Index) {
    Typ_Player &P = Gl_Players[Index];
    ReadControls(static_cast<int16_t>(P.Side), Index);
    P.OldX = P.X;
    P.OldY = P.Y;
    P.CellX = Index * 64 + P.Side * 32;
    P.MaskX = 256 + P.Side * 32;
    // A state entered by the controls above is updated in this same tick; one entered below waits
    // for the next tick.
    switch (P.State) {
    case Standing:
        UpdateStanding(P);
        break;
    case Airborne:
        UpdateAirborne(P);
        break;
    case Swing:
    case Spike:
        UpdateSwingOrSpike(P);
        break;
    case Dive:
        UpdateDive(P);
        break;
    case KnockedBack:
        UpdateKnockedBack(P);
        break;
    case Recovering:
        UpdateRecovering(P);
        break;
    case Charging:
        UpdateCharging(P);
        break;
    case Spin:
        UpdateSpin(P, Index);
        break;
    case HighJump:
        UpdateHighJump(P);
        break;
    case SuperMove:
        UpdateSuperMove(P, Index);
        break;
    default:
        break;
    }
    ClampToOwnHalf(P);
}

void KnockBack(int16_t Index) {
    if (Gl_BallKind == 0) {
        return;
    }
    Typ_Player &P = Gl_Players[Index];
    P.Phase = Gl_BallKind;
    P.State = KnockedBack;
    P.VX = P.BackDir * 8; // away from the net
    P.VY = Gl_BallKind * 8;
    Gl_BallKind = 0;
}
