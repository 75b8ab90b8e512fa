#include <gtest/gtest.h>

#include "TestHelpers.h"

TEST(RallyStart, CharactersStandOnTheirSlotsWithFreshControls) {
    StartDefaultMatch();
    // The rotation runs at the first rally too: slot 0 becomes 1 and slot 1 becomes 0.
    const int ExpectedX[4] = {104, 344, 0, 448};
    for (int I = 0; I < 4; ++I) {
        const Typ_Player &P = Gl_Players[I];
        EXPECT_EQ(P.Y, 265);
        EXPECT_EQ(P.X, ExpectedX[I]) << "character " << I;
        EXPECT_EQ(P.State, Standing);
        EXPECT_EQ(P.ComboBack, 1);
        EXPECT_EQ(P.ComboFront, 1);
        EXPECT_EQ(P.InUp | P.InDown | P.InBack | P.InFront | P.InHit, 0);
        EXPECT_EQ(P.GaugeColor, IndexGaugeColor[I]);
    }
    EXPECT_EQ(Gl_BallX, 12);
    EXPECT_EQ(Gl_BallY, 250);
    EXPECT_EQ(Gl_BallVY, 20);
    EXPECT_EQ(Gl_BallVX, 0);
    EXPECT_EQ(Gl_PointWinner, -1);
}
