// The computer player's rules on both sides.
#include <gtest/gtest.h>

#include "TestHelpers.h"

namespace {

struct Controls {
    bool Up, Down, Back, Front, Hit;
};

// Runs ThinkCpu for character Index standing at (X, 265) with the ball at (BX, BY) moving (VX, VY).
Controls Think(int Index, int32_t X, int16_t State, int32_t BX, int32_t BY, int16_t VX = 0, int16_t VY = 0) {
    StartDefaultMatch();
    Typ_Player &P = Gl_Players[Index];
    P.X = X;
    P.Y = 265;
    P.State = State;
    Gl_BallX = BX;
    Gl_BallY = BY;
    Gl_BallVX = VX;
    Gl_BallVY = VY;
    P.InUp = P.InDown = P.InBack = P.InFront = P.InHit = FlagOff;
    ThinkCpu(static_cast<int16_t>(P.Side), static_cast<int16_t>(Index));
    return {P.InUp != 0, P.InDown != 0, P.InBack != 0, P.InFront != 0, P.InHit != 0};
}

bool Same(const Controls &A, const Controls &B) {
    return A.Up == B.Up && A.Down == B.Down && A.Back == B.Back && A.Front == B.Front && A.Hit == B.Hit;
}

// The first draw of the game's sequence decides the even chance of the tests below.
bool FirstDrawIsEven() {
    ResetRnd();
    const bool Even = Rnd() < 0.5;
    ResetRnd();
    return Even;
}

TEST(Cpu, NearTheNetStandingDrawsOnceForAHighJumpOrABackSwing) {
    const bool Even = FirstDrawIsEven();
    MarkDraws();
    const Controls C = Think(0, 159, Standing, 170, 250);
    EXPECT_EQ(DrawsSinceMark(), 1);
    const Typ_Player &P = Gl_Players[0];
    if (Even) {
        EXPECT_EQ(P.State, HighJump);
        EXPECT_EQ(P.VX, 1);
        EXPECT_EQ(P.VY, 20);
        EXPECT_TRUE(Same(C, {false, false, false, false, true}));
    } else {
        EXPECT_EQ(P.State, Standing);
        EXPECT_TRUE(Same(C, {false, false, true, false, true}));
    }
}

TEST(Cpu, EvenChanceIsDecidedByTheDraw) {
    // Two consecutive draws of one fixed seed cover both outcomes across these seeds.
    bool SawJump = false, SawSwing = false;
    for (uint64_t Seed = 1; Seed <= 20; ++Seed) {
        StartDefaultMatch();
        SeedRnd(Seed);
        const double R = Rnd();
        StartDefaultMatch();
        Typ_Player &P = Gl_Players[0];
        P.X = 159;
        Gl_BallX = 170;
        Gl_BallY = 250;
        SeedRnd(Seed);
        ThinkCpu(0, 0);
        EXPECT_EQ(P.State == HighJump, R < 0.5) << "seed " << Seed;
        SawJump |= R < 0.5;
        SawSwing |= R >= 0.5;
    }
    EXPECT_TRUE(SawJump && SawSwing);
}

TEST(Cpu, NearTheNetInASwingDrawsButAlwaysHoldsBackAndHit) {
    MarkDraws();
    const Controls C = Think(0, 159, Swing, 170, 250);
    EXPECT_EQ(DrawsSinceMark(), 1);
    EXPECT_TRUE(Same(C, {false, false, true, false, true}));
    EXPECT_EQ(Gl_Players[0].State, Swing);
}

TEST(Cpu, AwayFromTheNetNearBallsAreHitWithoutADraw) {
    MarkDraws();
    EXPECT_TRUE(Same(Think(0, 158, Standing, 170, 250), {false, false, false, false, true}));
    EXPECT_TRUE(Same(Think(0, 49, Standing, 60, 250), {false, false, false, true, true}));
    EXPECT_EQ(DrawsSinceMark(), 0);
    // Side 1's back wall is at X > 398.
    EXPECT_TRUE(Same(Think(1, 399, Standing, 400, 250), {false, false, false, true, true}));
}

TEST(Cpu, RightSideAirborneNearTheNetSpinsOrSpikes) {
    const bool Even = FirstDrawIsEven();
    const Controls C = Think(1, 289, Airborne, 280, 250);
    if (Even) {
        EXPECT_EQ(Gl_Players[1].State, Spin);
        EXPECT_TRUE(Same(C, {false, false, false, false, true}));
    } else {
        EXPECT_TRUE(Same(C, {true, false, false, true, true}));
    }
}

TEST(Cpu, ZoneBoundsAreExclusive) {
    // bx = X + 40 is just outside the left side's near zone; the ball is then on its own side.
    const Controls C = Think(0, 100, Standing, 140, 250);
    EXPECT_FALSE(C.Hit);
    EXPECT_TRUE(Same(Think(0, 100, Standing, 139, 250), {false, false, false, false, true}));
}

TEST(Cpu, LowBallAheadDivesOnBothSides) {
    EXPECT_TRUE(Same(Think(0, 100, Standing, 200, 200, 3, 0), {false, true, false, false, true}));
    EXPECT_TRUE(Same(Think(1, 400, Standing, 300, 200, 3, 0), {false, true, false, false, true}));
    EXPECT_FALSE(Think(1, 400, Standing, 300, 200, -3, 0).Down) << "both sides test vx > 0";
}

TEST(Cpu, BallOverheadJumpsBackingOffFromARisingBall) {
    EXPECT_TRUE(Same(Think(0, 100, Standing, 110, 150, 0, -10), {true, false, false, false, false}));
    EXPECT_TRUE(Same(Think(0, 100, Standing, 110, 150, 0, 0), {true, false, true, false, false}));
    EXPECT_TRUE(Same(Think(1, 400, Standing, 440, 150, 12, -10), {true, false, true, false, false}));
}

TEST(Cpu, BallOnOwnSideWalksToWhereItIsHeading) {
    EXPECT_TRUE(Same(Think(0, 100, Standing, 140, 50, -5, 0), {false, false, false, true, false}));
    EXPECT_TRUE(Same(Think(0, 100, Standing, 84, 50, -5, 0), {false, false, true, false, false}));
    EXPECT_TRUE(Same(Think(1, 400, Standing, 300, 50, 12, 6), {false, false, true, false, false}));
    EXPECT_TRUE(Same(Think(1, 400, Standing, 300, 50, 0, 0), {false, false, false, true, false}));
}

TEST(Cpu, FarBallsMoveUpOrCharge) {
    EXPECT_TRUE(Same(Think(0, 100, Standing, 300, 20), {false, false, true, true, true})) << "rule 6";
    EXPECT_TRUE(Same(Think(0, 100, Standing, 420, 20), {false, false, false, true, false})) << "rule 5";
    EXPECT_TRUE(Same(Think(1, 400, Standing, 30, 20), {false, false, false, true, false})) << "rule 5";
    EXPECT_TRUE(Same(Think(1, 400, Standing, 100, 20), {false, false, true, true, true})) << "rule 6";
}

} // namespace
