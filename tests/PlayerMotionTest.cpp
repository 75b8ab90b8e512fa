// The characters' action states, driven by a person's keys through the match tick.
#include <gtest/gtest.h>

#include "TestHelpers.h"

namespace {

// Letter set: Y up, N down, G left, J right, Z hit. Character 0 plays on the left, so J is front.
constexpr int32_t Up = VK_Y, Down = VK_N, Front = VK_J, Back = VK_G, Hit = VK_Z;

TEST(Jump, StraightJumpRisesSeventyTwoPixelsAndLandsAfterEighteenTicks) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up});
    EXPECT_EQ(P.State, Airborne);
    EXPECT_EQ(P.Y, 265) << "the take-off tick does not move";
    EXPECT_EQ(P.CellY, 0) << "the take-off tick shows the standing image";
    EXPECT_EQ(P.VY, 18);
    int Highest = 265;
    for (int T = 1; T <= 18; ++T) {
        TickWith({});
        Highest = std::min<int>(Highest, static_cast<int>(P.Y));
        if (T == 8 || T == 9) {
            EXPECT_EQ(P.Y, 193) << "airborne tick " << T;
        }
        if (T == 17) {
            EXPECT_EQ(P.Y, 265);
            EXPECT_EQ(P.State, Airborne) << "exactly at the floor is still in the air";
        }
        if (T < 18) {
            EXPECT_EQ(P.CellY, 96);
        }
    }
    EXPECT_EQ(Highest, 193);
    EXPECT_EQ(P.State, Standing);
    EXPECT_EQ(P.Y, 265);
    EXPECT_EQ(P.X, 104) << "no direction held: straight up";
}

TEST(Jump, KeepsItsTakeOffSpeedWithoutSteering) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up, Front});
    EXPECT_EQ(P.VX, 8);
    EXPECT_EQ(P.X, 112) << "the take-off tick still walks";
    TickWith({Back});
    EXPECT_EQ(P.X, 120) << "the back key does not steer in the air";
    EXPECT_EQ(P.VX, 8);
}

TEST(Jump, BackWinsOverFrontAtTakeOffOnTheRightSide) {
    Typ_Player &P = StartWithPersonOnRight();
    // Keypad set: 8 up, 4 left (front for the right side), 6 right (back).
    TickWith({VK_NUMPAD8, VK_NUMPAD6, VK_NUMPAD4});
    EXPECT_EQ(P.State, Airborne);
    EXPECT_EQ(P.VX, 8) << "away from the net is +x on the right side";
}

TEST(Walking, FrontAndBackOnBothSidesAndTheCourtLimits) {
    Typ_Player &L = StartWithPersonOnLeft();
    TickWith({Front});
    EXPECT_EQ(L.X, 112);
    EXPECT_EQ(L.CellY, 64) << "first walking tick shows the second frame";
    TickWith({Front});
    EXPECT_EQ(L.CellY, 32);
    for (int T = 0; T < 30; ++T) {
        TickWith({Front});
    }
    EXPECT_EQ(L.X, 208) << "left side stops at the net";
    for (int T = 0; T < 40; ++T) {
        TickWith({Back});
    }
    EXPECT_EQ(L.X, 0) << "left side stops at the back wall";

    Typ_Player &R = StartWithPersonOnRight();
    TickWith({VK_NUMPAD4});
    EXPECT_EQ(R.X, 336) << "left key is front on the right side";
    for (int T = 0; T < 30; ++T) {
        TickWith({VK_NUMPAD4});
    }
    EXPECT_EQ(R.X, 240);
    for (int T = 0; T < 40; ++T) {
        TickWith({VK_NUMPAD6});
    }
    EXPECT_EQ(R.X, 448);
}

TEST(Walking, BothDirectionsAlternateImagesWithoutMoving) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Front, Back});
    EXPECT_EQ(P.CellY, 64);
    TickWith({Front, Back});
    EXPECT_EQ(P.CellY, 32);
    EXPECT_EQ(P.X, 104);
    EXPECT_EQ(P.State, Standing);
}

TEST(Swing, OnTheFloorLastsElevenTicksWithoutMoving) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Hit});
    EXPECT_EQ(P.State, Swing);
    EXPECT_EQ(P.CellY, 0);
    for (int T = 1; T <= 11; ++T) {
        TickWith({});
        EXPECT_EQ(P.CellY, 160);
        EXPECT_EQ(P.X, 104);
        EXPECT_EQ(P.Y, 265);
        EXPECT_EQ(P.State, T < 11 ? Swing : Standing) << "tick " << T;
    }
}

TEST(Swing, InTheAirEndsAtLandingOrFallsOnAsAirborne) {
    // Hit early in the jump: the eleven ticks end first, and the character is airborne again.
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up});
    TickWith({Hit});
    EXPECT_EQ(P.State, Swing);
    for (int T = 1; T <= 11; ++T) {
        TickWith({});
    }
    EXPECT_EQ(P.State, Airborne);
    EXPECT_LT(P.Y, 265);

    // Falling past the floor ends it at once, before its time.
    StartWithPersonOnLeft();
    P.State = Spike;
    P.Tick = 0;
    P.Y = 255;
    P.VY = -6;
    TickWith({});
    EXPECT_EQ(P.State, Spike);
    EXPECT_EQ(P.CellY, 128);
    EXPECT_EQ(P.Y, 263);
    TickWith({});
    EXPECT_EQ(P.State, Standing);
    EXPECT_EQ(P.Y, 265);
}

TEST(Swing, ThatComesToExactlyTheFloorStandsThereUntilItsTimeIsUp) {
    // A jump from the floor passes exactly 265 on its way down, and the floor test is strict, so
    // a swing still running then stays on the floor, unmoving, for the rest of its eleven ticks.
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up});
    for (int T = 0; T < 12; ++T) {
        TickWith({});
    }
    TickWith({Up, Hit});
    EXPECT_EQ(P.State, Spike);
    for (int T = 1; T <= 10; ++T) {
        TickWith({});
        EXPECT_EQ(P.State, Spike);
    }
    EXPECT_EQ(P.Y, 265);
    TickWith({});
    EXPECT_EQ(P.State, Standing);
}

TEST(Swing, LandingOverridesAHitBegunInTheSameTick) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up});
    for (int T = 0; T < 17; ++T) {
        TickWith({});
    }
    ASSERT_EQ(P.State, Airborne);
    TickWith({Hit});
    EXPECT_EQ(P.State, Standing);
}

TEST(Dive, ThirteenTicksTwelvePixelsTowardTheNetEndingOnTheFloor) {
    Typ_Player &P = StartWithPersonOnLeft();
    P.X = 0;
    TickWith({Down, Hit});
    EXPECT_EQ(P.State, Dive);
    for (int T = 1; T <= 13; ++T) {
        TickWith({});
        EXPECT_EQ(P.X, 12 * T);
        EXPECT_EQ(P.State, T < 13 ? Dive : Standing);
    }
    EXPECT_EQ(P.Y, 265);
    EXPECT_EQ(P.X, 156);
}

TEST(Charging, FillsTwoPerTickStaysFullAndStopsOnRelease) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Hit, Front, Back, Down});
    EXPECT_EQ(P.State, Charging) << "charging wins over the dive";
    EXPECT_EQ(P.Power, 0);
    TickWith({Hit, Front, Back});
    EXPECT_EQ(P.Power, 2);
    EXPECT_EQ(P.Tick, 1);
    TickWith({Hit, Front, Back});
    EXPECT_EQ(P.Tick, 2);
    TickWith({Hit, Front, Back});
    EXPECT_EQ(P.Tick, 0);
    for (int T = 0; T < 60; ++T) {
        TickWith({Hit, Front, Back});
    }
    EXPECT_EQ(P.State, Charging);
    EXPECT_EQ(P.Power, 100);
    EXPECT_EQ(P.X, 104);
    TickWith({Hit, Front});
    EXPECT_EQ(P.State, Standing) << "standing again in the tick of the release";
}

TEST(Spin, FromTheFloorSeventyPixelsFlippingFacingThenAirborneForOneTick) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Back});
    EXPECT_EQ(P.ComboBack, 2);
    const int64_t StartX = P.X;
    TickWith({Hit});
    EXPECT_EQ(P.State, Spin);
    EXPECT_EQ(P.X, StartX + 5) << "the spin moves in its first tick";
    int64_t LastMask = P.MaskX;
    for (int T = 2; T <= 14; ++T) {
        TickWith({});
        EXPECT_NE(P.MaskX, LastMask) << "facing flips at every tick";
        EXPECT_EQ(P.CellX, P.AnimFrame * 32);
        EXPECT_EQ(P.CellY, 224);
        LastMask = P.MaskX;
    }
    EXPECT_EQ(P.X, StartX + 70);
    EXPECT_EQ(P.State, Airborne);
    EXPECT_EQ(P.Y, 265);
    TickWith({});
    EXPECT_EQ(P.CellY, 96);
    EXPECT_EQ(P.State, Standing);
}

TEST(HighJump, RisesOneHundredTenPixelsThenFallsFromRest) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Front});
    TickWith({Hit});
    EXPECT_EQ(P.State, HighJump);
    EXPECT_EQ(P.Y, 245) << "first tick rises by 20";
    for (int T = 2; T <= 11; ++T) {
        TickWith({});
    }
    EXPECT_EQ(P.Y, 265 - 110);
    EXPECT_EQ(P.X, 104 + 8 + 11) << "walked 8 in the priming tick, then 1 per tick toward the net";
    EXPECT_EQ(P.State, Airborne);
    EXPECT_EQ(P.VY, 0);
    TickWith({});
    EXPECT_EQ(P.Y, 157) << "falls from rest";
}

TEST(SuperMove, HopRiseAndSpinDiveCoverTwoHundredFourPixels) {
    Typ_Player &P = StartWithPersonOnLeft();
    P.X = 0;
    P.Power = 100;
    TickWith({Down, Front, Back, Hit});
    EXPECT_EQ(P.State, SuperMove);
    EXPECT_EQ(P.Phase, 0);
    // The first stage was updated in the same tick; 12 more hop ticks end it.
    for (int T = 2; T <= 13; ++T) {
        TickWith({});
        EXPECT_EQ(P.CellY, 192);
    }
    EXPECT_EQ(P.Phase, 1);
    EXPECT_EQ(P.Y, 265);
    for (int T = 1; T <= 30; ++T) {
        TickWith({});
    }
    EXPECT_EQ(P.Phase, 2);
    EXPECT_EQ(P.Y, 85);
    for (int T = 1; T <= 14; ++T) {
        TickWith({});
        EXPECT_EQ(P.CellY, 224);
    }
    EXPECT_EQ(P.State, Airborne);
    while (P.State != Standing) {
        TickWith({});
    }
    // 13 x 8 + 30 x 1 + 14 x 5; the right-side character stops it at the net otherwise.
    EXPECT_EQ(P.X, 204);
}

TEST(KnockBack, PlainBallChangesNothing) {
    Typ_Player &P = StartWithPersonOnLeft();
    P.State = Swing;
    Gl_BallKind = 0;
    KnockBack(0);
    EXPECT_EQ(P.State, Swing);
}

TEST(KnockBack, EachKindThrowsFlyShowsAndLiesForItsTime) {
    struct Case {
        int16_t Kind;
        int32_t Row;
        int LyingTicks;
    };
    for (const Case &C : {Case{1, 224, 11}, Case{2, 256, 16}, Case{3, 256, 26}}) {
        Typ_Player &P = StartWithPersonOnLeft();
        P.X = 100;
        Gl_BallKind = C.Kind;
        KnockBack(0);
        EXPECT_EQ(Gl_BallKind, 0);
        EXPECT_EQ(P.State, KnockedBack);
        EXPECT_EQ(P.Phase, C.Kind);
        EXPECT_EQ(P.VX, -8) << "away from the net";
        EXPECT_EQ(P.VY, 8 * C.Kind);
        TickWith({});
        EXPECT_EQ(P.X, 92);
        if (C.Kind == 3) {
            EXPECT_EQ(P.CellY, 288) << "electrocuted frame first after AnimFrame steps to 1";
            TickWith({});
            EXPECT_EQ(P.CellY, 256);
        } else {
            EXPECT_EQ(P.CellY, C.Row);
        }
        while (P.State == KnockedBack) {
            TickWith({});
        }
        EXPECT_EQ(P.State, Recovering);
        int Lying = 0;
        while (P.State == Recovering) {
            TickWith({});
            Lying++;
            if (P.State == Recovering) {
                EXPECT_EQ(P.CellY, 320);
            }
        }
        EXPECT_EQ(Lying, C.LyingTicks) << "kind " << C.Kind;
    }
}

TEST(Spent, ClearedOnlyInStandingAirborneRecoveringAndCharging) {
    struct Case {
        int16_t State;
        int16_t Expected;
    };
    for (const Case &C : {Case{Standing, 0}, Case{Airborne, 0}, Case{Recovering, 0}, Case{Charging, 0},
                          Case{Swing, 1}, Case{Spike, 1}, Case{Dive, 1}, Case{KnockedBack, 1}, Case{Spin, 1},
                          Case{HighJump, 1}, Case{SuperMove, 1}}) {
        Typ_Player &P = StartWithPersonOnLeft();
        P.State = C.State;
        P.Y = 200;
        P.VY = 4;
        P.Tick = 5;
        P.Phase = C.State == KnockedBack || C.State == Recovering ? 1 : 0;
        P.Spent = 1;
        Hold({Hit, Front, Back});
        StepPlayer(0);
        EXPECT_EQ(P.Spent, C.Expected) << "state " << C.State;
    }
}

} // namespace
