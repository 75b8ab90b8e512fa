// The two key sets and the command inputs, through the match tick.
#include <gtest/gtest.h>

#include "TestHelpers.h"

namespace {

constexpr int32_t Up = VK_Y, Down = VK_N, Front = VK_J, Back = VK_G, Hit = VK_Z;

TEST(KeySets, EachKeyLightsItsControlOnBothSides) {
    struct Case {
        int Index, KeySet;
        int32_t Key;
        Int16 Typ_Player::*Control;
    };
    // Character 0 plays on the left, character 1 on the right.
    const Case Cases[] = {
        {0, 0, VK_Y, &Typ_Player::InUp},          {0, 0, VK_N, &Typ_Player::InDown},
        {0, 0, VK_J, &Typ_Player::InFront},       {0, 0, VK_G, &Typ_Player::InBack},
        {0, 0, VK_Z, &Typ_Player::InHit},         {1, 0, VK_J, &Typ_Player::InBack},
        {1, 0, VK_G, &Typ_Player::InFront},       {0, 1, VK_NUMPAD8, &Typ_Player::InUp},
        {0, 1, VK_NUMPAD2, &Typ_Player::InDown},  {0, 1, VK_NUMPAD6, &Typ_Player::InFront},
        {0, 1, VK_NUMPAD4, &Typ_Player::InBack},  {1, 1, VK_NUMPAD6, &Typ_Player::InBack},
        {1, 1, VK_NUMPAD4, &Typ_Player::InFront}, {1, 1, VK_UP, &Typ_Player::InHit},
    };
    for (const Case &C : Cases) {
        StartDefaultMatch();
        GiveToPerson(C.Index, C.KeySet);
        Typ_Player &P = Gl_Players[C.Index];
        P.State = KnockedBack; // a state that ignores the controls, so only the flags are seen
        P.Phase = 1;
        P.Y = 100;
        Hold({C.Key});
        ReadControls(static_cast<int16_t>(P.Side), static_cast<int16_t>(C.Index));
        int Lit = 0;
        for (auto Flag : {&Typ_Player::InUp, &Typ_Player::InDown, &Typ_Player::InBack, &Typ_Player::InFront,
                          &Typ_Player::InHit}) {
            Lit += (P.*Flag != 0);
        }
        EXPECT_EQ(P.*C.Control, -1) << "key " << C.Key << " for character " << C.Index;
        EXPECT_EQ(Lit, 1) << "key " << C.Key;
    }
}

TEST(KeySets, OnePersonsKeysDoNotDriveTheOther) {
    StartDefaultMatch();
    GiveToPerson(0, 0);
    GiveToPerson(1, 1);
    Hold({VK_NUMPAD8, VK_UP});
    ReadControls(0, 0);
    EXPECT_EQ(Gl_Players[0].InUp | Gl_Players[0].InHit, 0);
    Hold({VK_Y, VK_Z});
    ReadControls(1, 1);
    EXPECT_EQ(Gl_Players[1].InUp | Gl_Players[1].InHit, 0);
}

TEST(Commands, DownBackThenHitSpinsFromStandingAndFromTheAir) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Back});
    TickWith({Hit});
    EXPECT_EQ(P.State, Spin);
    EXPECT_EQ(P.ComboBack, 1);

    StartWithPersonOnLeft();
    TickWith({Up});
    TickWith({Down, Back});
    ASSERT_EQ(P.State, Airborne);
    TickWith({Down, Back, Hit});
    EXPECT_EQ(P.State, Spin) << "the back command works in the air";
}

TEST(Commands, AllInTheSameFirstTickDivesInstead) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Back, Hit});
    EXPECT_EQ(P.State, Dive);
    EXPECT_EQ(P.ComboBack, 2);
}

TEST(Commands, HeldThroughADiveFireAsSoonAsItEnds) {
    Typ_Player &P = StartWithPersonOnLeft();
    P.X = 0;
    TickWith({Down, Back, Hit});
    for (int T = 0; T < 13; ++T) {
        TickWith({Down, Back, Hit});
        ASSERT_EQ(P.State, T < 12 ? Dive : Standing);
    }
    TickWith({Down, Back, Hit});
    EXPECT_EQ(P.State, Spin);

    StartWithPersonOnLeft();
    P.X = 0;
    for (int T = 0; T < 14; ++T) {
        TickWith({Down, Front, Hit});
    }
    TickWith({Down, Front, Hit});
    EXPECT_EQ(P.State, HighJump);
}

TEST(Commands, FrontCommandStartsNothingInTheAir) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Up});
    TickWith({Down, Front});
    EXPECT_EQ(P.ComboFront, 2);
    TickWith({Hit});
    EXPECT_EQ(P.State, Swing) << "an ordinary swing";
    EXPECT_EQ(P.ComboFront, 1);
}

TEST(Commands, ReleasingTheDirectionStillLeavesOneTickForTheHit) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Back});
    TickWith({});
    TickWith({Hit});
    EXPECT_EQ(P.State, Swing) << "two ticks later the command is gone";
}

TEST(Commands, SpinStartedByBackStillAdvancesTheFrontStage) {
    Typ_Player &P = StartWithPersonOnLeft();
    TickWith({Down, Back, Front});
    EXPECT_EQ(P.ComboBack, 2);
    EXPECT_EQ(P.ComboFront, 2);
    TickWith({Down, Back, Front, Hit});
    EXPECT_EQ(P.State, Spin);
    EXPECT_EQ(P.ComboFront, 2) << "its hit test failed, but its stage was updated";
}

TEST(SuperMove, NeedsAFullGaugeAndStanding) {
    Typ_Player &P = StartWithPersonOnLeft();
    P.Power = 100;
    P.ComboBack = 2;
    TickWith({Down, Front, Back, Hit});
    EXPECT_EQ(P.State, SuperMove);
    EXPECT_EQ(P.ComboBack, 2) << "no stage moves in the tick the super move starts";
    EXPECT_EQ(P.Power, 100) << "the gauge is not spent";

    StartWithPersonOnLeft();
    P.Power = 98;
    TickWith({Down, Back});
    TickWith({Down, Front, Back, Hit});
    EXPECT_EQ(P.State, Spin) << "below full power the primed back command fires";

    StartWithPersonOnLeft();
    P.Power = 98;
    TickWith({Down, Front, Back, Hit});
    EXPECT_EQ(P.State, Charging) << "unprimed, below full power: charging";
    for (int T = 0; T < 3; ++T) {
        TickWith({Down, Front, Back, Hit});
    }
    EXPECT_EQ(P.Power, 100);
    EXPECT_EQ(P.State, Charging) << "a full gauge keeps charging while the keys are held";
}

TEST(ComputerControls, ClearedBeforeTheComputerAndStagesNeverAdvance) {
    StartDefaultMatch();
    Typ_Player &P = Gl_Players[0];
    P.InUp = P.InDown = P.InBack = P.InFront = P.InHit = FlagOn;
    Gl_BallX = 300; // rule 6 for the left side: back, front and hit
    Gl_BallY = 100;
    Hold({Down, Back, Hit, Front, Up});
    ReadControls(0, 0);
    EXPECT_EQ(P.InUp, 0);
    EXPECT_EQ(P.InDown, 0);
    EXPECT_EQ(P.InBack, -1);
    EXPECT_EQ(P.InFront, -1);
    EXPECT_EQ(P.InHit, -1);
    EXPECT_EQ(P.ComboBack, 1);
    EXPECT_EQ(P.ComboFront, 1);
}

} // namespace
