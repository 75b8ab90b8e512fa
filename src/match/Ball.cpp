// The ball: flight under gravity, the walls, the floor and the top of the window, the first
// dead-ball event of a rally, and what each character's action does to a ball it meets.
#include <cmath>
#include <cstdlib>

#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "platform/Random.h"

namespace {

constexpr int32_t Gravity = 2;
constexpr int32_t RightWallX = 456; // 480 less the ball's width
constexpr int32_t HalfLineX = 228;  // a ball down at 228 or more lies on the right half

int64_t Abs(int64_t Value) {
    return Value < 0 ? -Value : Value;
}

// Int(3 * r): 0, 1 or 2.
int64_t RandomThird() {
    return static_cast<int64_t>(std::floor(3.0 * Rnd()));
}

// Sets the ball's horizontal speed k pixels per tick toward the character's opponents.
void SendForward(const Typ_Player &P, int64_t Speed) {
    Gl_BallVX = -Speed * P.BackDir;
}

void ChooseCell() {
    switch (Gl_BallKind) {
    case 0:
        Gl_BallCell = 0;
        break;
    case 1: // squashed while it flies flat, stretched while it flies steep; a tie is flat
        Gl_BallCell = Abs(Gl_BallVX) >= Abs(Gl_BallVY) ? 24 : 48;
        break;
    case 2:
    case 3:
        // The counter is not reset when the kind changes: the two cells alternate from wherever
        // it stood.
        Gl_BallAnim = Gl_BallAnim + 1;
        if (Gl_BallAnim > 1) {
            Gl_BallAnim = 0;
        }
        Gl_BallCell = (Gl_BallKind == 2 ? 72 : 120) + 24 * Gl_BallAnim;
        break;
    default:
        break;
    }
}

// Only the first dead-ball event of a rally decides it; later ones are ignored until booking.
void DecideRally(int16_t Winner) {
    if (Gl_PointWinner == -1) {
        Gl_PointWinner = Winner;
    }
}

// A ball that passes a wall stays outside for this tick and comes back with the reversed speed. A
// ball out past a side's own back wall counts for that side.
void BounceWalls() {
    if (Gl_BallX < 0) {
        DecideRally(1);
        Gl_BallVX = -Gl_BallVX;
    } else if (Gl_BallX > RightWallX) {
        DecideRally(2);
        Gl_BallVX = -Gl_BallVX;
    }
}

void BounceFloorAndTop() {
    if (Gl_BallY > BallFloorY) {
        Gl_BallVY = Abs(Gl_BallVY); // the bounce keeps the full speed
        Gl_BallY = BallFloorY;
        DecideRally(Gl_BallX >= HalfLineX ? 1 : 2);
    } else if (Gl_BallY < 0) {
        Gl_BallVY = -Abs(Gl_BallVY);
    }
}

void ApplyContact(int16_t Index) {
    Typ_Player &P = Gl_Players[Index];
    // A charged ball throws back the character that meets it, after it has taken the new speeds.
    switch (P.State) {
    case Swing:
        if (P.InBack) {
            Gl_BallVY = P.Tick + 25;
            SendForward(P, 2);
        } else if (P.InFront) {
            Gl_BallVY = 15;
            SendForward(P, P.Tick + 14 + RandomThird());
        } else {
            Gl_BallVY = 20;
            SendForward(P, P.Tick + 8 + RandomThird());
        }
        P.Spent = 1;
        KnockBack(Index);
        if (P.Power == 100) {
            Gl_BallKind = 1;
        }
        break;
    case Spike:
        SendForward(P, P.InBack ? 10 : P.InFront ? 20 : 15);
        Gl_BallVY = -(P.Tick + 10);
        P.Spent = 1;
        KnockBack(Index);
        if (P.Power == 100) {
            Gl_BallKind = 1;
        }
        break;
    case Dive:
        SendForward(P, 5);
        Gl_BallVY = 20;
        P.Spent = 1;
        KnockBack(Index);
        break;
    case Recovering:
        // A lying character is always thrown again: a plain ball is charged first.
        if (Gl_BallKind == 0) {
            Gl_BallKind = 1;
        }
        KnockBack(Index);
        SendForward(P, 4);
        Gl_BallVY = 10;
        break;
    case Spin:
        SendForward(P, 23);
        Gl_BallVY = 0;
        P.Spent = 1;
        KnockBack(Index);
        Gl_BallKind = P.Power == 100 ? 2 : 1;
        break;
    case HighJump: // a charged ball does not throw a high jumper back
        SendForward(P, 3);
        Gl_BallVY = 35;
        P.Spent = 1;
        Gl_BallKind = P.Power == 100 ? 2 : 1;
        break;
    case SuperMove:
        // Never spent: the ball is caught again at every tick it stays in the box.
        Gl_BallKind = 3;
        if (P.Phase == 0) {
            SendForward(P, 5);
            Gl_BallVY = 10;
        } else if (P.Phase == 1) {
            SendForward(P, 1);
            Gl_BallVY = 10;
        } else {
            SendForward(P, 23);
            Gl_BallVY = -15;
        }
        break;
    default: // standing, airborne, knocked back or charging: the ball passes through
        break;
    }
}

} // namespace

// The box reaches 29 pixels either way, except that index 0 reaches only 13 to its left and index 1
// only 13 to its right, whichever sides they play on: the narrow edge belongs to the index, on purpose.
bool BallTouches(int16_t Index) {
    const Typ_Player &P = Gl_Players[Index];
    const int64_t Reach = 29, Narrow = 13;
    const int64_t LeftReach = Index == 0 ? Narrow : Reach;
    const int64_t RightReach = Index == 1 ? Narrow : Reach;
    return P.X - LeftReach < Gl_BallX && Gl_BallX < P.X + RightReach && P.Y - 24 < Gl_BallY &&
           Gl_BallY < P.Y + 24;
}

void MoveBall() {
    Gl_BallVY = Gl_BallVY - Gravity;
    Gl_BallX = Gl_BallX + Gl_BallVX;
    Gl_BallY = Gl_BallY - Gl_BallVY;
    ChooseCell(); // a kind set by a contact below shows from the next tick on
    BounceWalls();
    BounceFloorAndTop();
    // Everyone is tested; when several meet the ball, the last one's speeds stand.
    for (int16_t Index = 0; Index < 4; ++Index) {
        if (Gl_Players[Index].Spent == 0 && BallTouches(Index)) {
            ApplyContact(Index);
        }
    }
}
