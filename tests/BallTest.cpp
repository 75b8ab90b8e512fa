// The ball: flight, walls, floor, the dead-ball events and every contact rule.
#include <gtest/gtest.h>

#include "TestHelpers.h"

namespace {

// Puts the ball where the next MoveBall will leave it at (X, Y) with the given speeds after
// gravity, so tests can speak of the ball's position "in" the tick.
void AimBall(int32_t X, int32_t Y, int16_t VX, int16_t VYAfterGravity) {
    Gl_BallVX = VX;
    Gl_BallVY = static_cast<int16_t>(VYAfterGravity + 2);
    Gl_BallX = X - VX;
    Gl_BallY = Y + VYAfterGravity;
}

// A match with nobody able to touch the ball: everyone standing, far below.
void StartEmptyCourt() {
    StartDefaultMatch();
    for (Typ_Player &P : Gl_Players) {
        P.State = Standing;
    }
}

// Places character Index in a state at (X, 265) for a contact test.
Typ_Player &Pose(int Index, int16_t State, int32_t X, int32_t Y = 265) {
    Typ_Player &P = Gl_Players[Index];
    P.State = State;
    P.X = X;
    P.Y = Y;
    P.Spent = 0;
    P.Tick = 0;
    return P;
}

TEST(BallFlight, AnUntouchedServeFallsStraightAndLandsOnTheServersHalf) {
    StartEmptyCourt();
    for (int T = 1; T <= 20; ++T) {
        MoveBall();
        ASSERT_EQ(Gl_PointWinner, -1) << "tick " << T;
    }
    MoveBall();
    EXPECT_EQ(Gl_BallX, 12);
    EXPECT_EQ(Gl_BallY, 277);
    EXPECT_EQ(Gl_PointWinner, 2) << "the right side wins a serve that lands on the left";

    StartEmptyCourt();
    Gl_ServeSide = 1;
    ResetRally();
    for (Typ_Player &P : Gl_Players) {
        P.State = Standing;
    }
    for (int T = 1; T <= 21; ++T) {
        MoveBall();
    }
    EXPECT_EQ(Gl_PointWinner, 1);
}

TEST(BallFlight, HalfLineSplitsAt227And228) {
    StartEmptyCourt();
    AimBall(227, 280, 0, -5);
    MoveBall();
    EXPECT_EQ(Gl_PointWinner, 2);
    EXPECT_EQ(Gl_BallY, 277);
    StartEmptyCourt();
    AimBall(228, 280, 0, -5);
    MoveBall();
    EXPECT_EQ(Gl_PointWinner, 1);
}

TEST(BallFlight, FloorBounceKeepsTheFullSpeed) {
    StartEmptyCourt();
    AimBall(100, 290, 0, -20);
    MoveBall();
    EXPECT_EQ(Gl_BallVY, 20);
    EXPECT_EQ(Gl_BallY, 277);
}

TEST(BallFlight, TopOfTheWindowTurnsTheBallDownWithoutMovingIt) {
    StartEmptyCourt();
    AimBall(100, -3, 0, 6);
    MoveBall();
    EXPECT_EQ(Gl_BallVY, -6);
    EXPECT_EQ(Gl_BallY, -3);
}

TEST(BallFlight, WallStaysOutsideForOneTickAndItsOutcomeIsFrozen) {
    StartEmptyCourt();
    AimBall(-4, 100, -10, 0);
    MoveBall();
    EXPECT_EQ(Gl_PointWinner, 1) << "out past the left wall counts for the left side";
    EXPECT_EQ(Gl_BallX, -4);
    EXPECT_EQ(Gl_BallVX, 10);
    // It comes back and later lands on the left half: the outcome stays.
    AimBall(100, 290, 10, -5);
    MoveBall();
    EXPECT_EQ(Gl_PointWinner, 1);

    StartEmptyCourt();
    AimBall(460, 290, 10, -5);
    MoveBall();
    EXPECT_EQ(Gl_PointWinner, 2) << "the wall decides over the floor in the same tick";
}

TEST(BallFlight, KindsChooseTheirCells) {
    StartEmptyCourt();
    Gl_BallKind = 1;
    AimBall(100, 100, 10, -10);
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 24) << "a tie is flat";
    AimBall(100, 100, 9, -10);
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 48);
    Gl_BallKind = 2;
    Gl_BallAnim = 0;
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 96);
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 72);
    Gl_BallKind = 3;
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 144) << "the counter carries over from the power shot";
    Gl_BallKind = 0;
    MoveBall();
    EXPECT_EQ(Gl_BallCell, 0);
}

TEST(ContactBox, EachIndexReachesToThePixel) {
    struct Case {
        int Index;
        int32_t X, Touched1, Touched2, Missed1, Missed2;
    };
    for (const Case &C : {Case{0, 100, 88, 128, 87, 129}, Case{1, 300, 272, 312, 271, 313},
                          Case{2, 100, 72, 128, 71, 129}, Case{3, 300, 272, 328, 271, 329}}) {
        StartEmptyCourt();
        Pose(C.Index, Swing, C.X);
        Gl_BallY = 265;
        for (int32_t BX : {C.Touched1, C.Touched2}) {
            Gl_BallX = BX;
            EXPECT_TRUE(BallTouches(static_cast<int16_t>(C.Index))) << "index " << C.Index << " x " << BX;
        }
        for (int32_t BX : {C.Missed1, C.Missed2}) {
            Gl_BallX = BX;
            EXPECT_FALSE(BallTouches(static_cast<int16_t>(C.Index))) << "index " << C.Index << " x " << BX;
        }
        Gl_BallX = C.X;
        for (int32_t BY : {242, 288}) {
            Gl_BallY = BY;
            EXPECT_TRUE(BallTouches(static_cast<int16_t>(C.Index))) << "y " << BY;
        }
        for (int32_t BY : {241, 289}) {
            Gl_BallY = BY;
            EXPECT_FALSE(BallTouches(static_cast<int16_t>(C.Index))) << "y " << BY;
        }
    }
}

TEST(Contacts, SwingSpeedsByDirectionHeld) {
    // Character 2 on the left: forward is +x.
    StartEmptyCourt();
    Typ_Player &P = Pose(2, Swing, 100, 200);
    P.Tick = 3;
    P.InBack = FlagOn;
    AimBall(110, 200, 0, 0);
    MarkDraws();
    MoveBall();
    EXPECT_EQ(Gl_BallVY, 28);
    EXPECT_EQ(Gl_BallVX, 2);
    EXPECT_EQ(P.Spent, 1);
    EXPECT_EQ(DrawsSinceMark(), 0) << "a back swing draws nothing";

    StartEmptyCourt();
    Typ_Player &Q = Pose(3, Swing, 300, 200); // right side: forward is -x
    Q.Tick = 4;
    Q.InFront = FlagOn;
    AimBall(310, 200, 0, 0);
    ResetRnd();
    const double R = Rnd();
    ResetRnd();
    MoveBall();
    EXPECT_EQ(Gl_BallVY, 15);
    EXPECT_EQ(Gl_BallVX, -(4 + 14 + static_cast<int>(3 * R)));

    StartEmptyCourt();
    Typ_Player &S = Pose(2, Swing, 100, 200);
    S.Tick = 0;
    AimBall(110, 200, 0, 0);
    ResetRnd();
    MoveBall();
    EXPECT_EQ(Gl_BallVY, 20);
    EXPECT_EQ(Gl_BallVX, 8 + static_cast<int>(3 * R));
}

TEST(Contacts, SpikeDiveSpinHighJumpAndSuperMove) {
    struct Case {
        int16_t State, Phase;
        bool Back, Front;
        int16_t Power, KindBefore;
        int64_t VX, VY, Kind;
        int64_t Spent;
    };
    const Case Cases[] = {
        {Spike, 0, true, false, 0, 0, 10, -12, 0, 1},      {Spike, 0, false, true, 0, 0, 20, -12, 0, 1},
        {Spike, 0, false, false, 100, 0, 15, -12, 1, 1},   {Dive, 0, false, false, 100, 0, 5, 20, 0, 1},
        {Spin, 0, false, false, 0, 0, 23, 0, 1, 1},        {Spin, 0, false, false, 100, 0, 23, 0, 2, 1},
        {HighJump, 0, false, false, 0, 2, 3, 35, 1, 1},    {HighJump, 0, false, false, 100, 0, 3, 35, 2, 1},
        {SuperMove, 0, false, false, 0, 0, 5, 10, 3, 0},   {SuperMove, 1, false, false, 0, 0, 1, 10, 3, 0},
        {SuperMove, 2, false, false, 0, 1, 23, -15, 3, 0},
    };
    for (const Case &C : Cases) {
        StartEmptyCourt();
        Typ_Player &P = Pose(2, C.State, 100, 200);
        P.Tick = 2;
        P.Phase = C.Phase;
        P.Power = C.Power;
        P.InBack = C.Back ? FlagOn : FlagOff;
        P.InFront = C.Front ? FlagOn : FlagOff;
        Gl_BallKind = C.KindBefore;
        AimBall(110, 200, 0, 0);
        MoveBall();
        EXPECT_EQ(Gl_BallVX, C.VX) << "state " << C.State << " phase " << C.Phase;
        EXPECT_EQ(Gl_BallVY, C.VY) << "state " << C.State;
        EXPECT_EQ(Gl_BallKind, C.Kind) << "state " << C.State << " power " << C.Power;
        EXPECT_EQ(P.Spent, C.Spent) << "state " << C.State;
        EXPECT_EQ(P.State, C.State) << "no knock-back by a plain ball or in a high jump";
    }
}

TEST(Contacts, ChargedBallKeepsTheReceiversSpeedsAndThrowsThem) {
    StartEmptyCourt();
    Typ_Player &P = Pose(2, Swing, 100, 200);
    P.InBack = FlagOn;
    Gl_BallKind = 2;
    AimBall(110, 200, 0, 0);
    MoveBall();
    EXPECT_EQ(P.State, KnockedBack);
    EXPECT_EQ(P.Phase, 2);
    EXPECT_EQ(Gl_BallKind, 0);
    EXPECT_EQ(Gl_BallVY, 25);

    StartEmptyCourt();
    Typ_Player &Q = Pose(2, Swing, 100, 200);
    Q.Power = 100;
    Q.InBack = FlagOn;
    Gl_BallKind = 3;
    AimBall(110, 200, 0, 0);
    MoveBall();
    EXPECT_EQ(Q.State, KnockedBack);
    EXPECT_EQ(Q.Phase, 3);
    EXPECT_EQ(Gl_BallKind, 1) << "a full-power receiver still returns a struck ball";
}

TEST(Contacts, ALyingCharacterIsAlwaysThrownAgain) {
    StartEmptyCourt();
    Typ_Player &P = Pose(2, Recovering, 100);
    P.Tick = 5;
    AimBall(110, 265, 0, 0);
    MoveBall();
    EXPECT_EQ(P.State, KnockedBack);
    EXPECT_EQ(P.Phase, 1);
    EXPECT_EQ(P.Spent, 0);
    EXPECT_EQ(Gl_BallKind, 0);
    EXPECT_EQ(Gl_BallVX, 4);
    EXPECT_EQ(Gl_BallVY, 10);
}

TEST(Contacts, PassiveStatesAndSpentCharactersLetTheBallThrough) {
    for (int16_t State : {Standing, Airborne, KnockedBack, Charging}) {
        StartEmptyCourt();
        Typ_Player &P = Pose(2, State, 100, 200);
        P.Phase = 1;
        Gl_BallKind = 2;
        AimBall(110, 200, 3, 4);
        MoveBall();
        EXPECT_EQ(Gl_BallVX, 3) << "state " << State;
        EXPECT_EQ(Gl_BallVY, 4);
        EXPECT_EQ(Gl_BallKind, 2);
    }
    StartEmptyCourt();
    Typ_Player &P = Pose(2, Swing, 100, 200);
    P.Spent = 1;
    AimBall(110, 200, 3, 4);
    MoveBall();
    EXPECT_EQ(Gl_BallVX, 3);
}

TEST(Contacts, TheHigherIndexSetsTheSpeedsWhenTwoTouch) {
    StartEmptyCourt();
    Pose(0, Dive, 100, 200);
    Typ_Player &P = Pose(2, Swing, 100, 200);
    P.InBack = FlagOn;
    AimBall(110, 200, 0, 0);
    MoveBall();
    EXPECT_EQ(Gl_BallVY, 25);
    EXPECT_EQ(Gl_BallVX, 2);
    EXPECT_EQ(Gl_Players[0].Spent, 1);
    EXPECT_EQ(P.Spent, 1);
}

TEST(Contacts, SuperMoveRiseCarriesTheBallUpUntilItLeavesTheBox) {
    StartEmptyCourt();
    Typ_Player &P = Pose(0, SuperMove, 100, 200);
    GiveToPerson(0, 0);
    P.Phase = 1;
    P.Tick2 = 0;
    Gl_BallX = 108;
    Gl_BallY = 200;
    Gl_BallVX = 1;
    Gl_BallVY = 10;
    Hold({});
    int Contacts = 0;
    for (int T = 0; T < 30; ++T) {
        MovePlayer(0);
        const int64_t Before = Gl_BallY;
        MoveBall();
        EXPECT_EQ(Gl_BallY, Before - 8);
        if (Gl_BallVY == 10) {
            Contacts++;
        } else {
            break;
        }
    }
    EXPECT_GT(Contacts, 5);
    EXPECT_LT(Contacts, 30) << "the ball gains two pixels a tick and leaves the box";
    EXPECT_EQ(Gl_BallKind, 3);
}

} // namespace
