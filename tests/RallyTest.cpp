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

namespace {

// Ends the live rally this tick in favour of Side (0 or 1): the ball lands on the other half.
void LandBallFor(int Side) {
    Gl_BallX = Side == 0 ? 300 : 100;
    Gl_BallY = 400;
    Gl_BallVX = 0;
    Gl_BallVY = 0;
}

// Keeps every character standing still far from a ball so no one plays it.
void FreezeEveryone() {
    for (int I = 0; I < 4; ++I) {
        GiveToPerson(I, 0);
    }
    ReleaseScriptedKeys();
}

// Plays the ticks of a rally won by Side, up to and including the booking.
int PlayRallyWonBy(int Side) {
    int Ticks = 0;
    LandBallFor(Side);
    do {
        TickMatch();
        Ticks++;
        if (Ticks == 1) {
            EXPECT_EQ(Gl_PointWinner, Side + 1);
        }
    } while (Gl_PointWinner != -1 && Ticks < 100);
    return Ticks;
}

} // namespace

TEST(Scoring, TheRallyIsBookedOnTheTwentiethTickCountingTheDeadBallTick) {
    StartDefaultMatch();
    FreezeEveryone();
    EXPECT_EQ(PlayRallyWonBy(0), 20);
    EXPECT_EQ(Gl_Teams[0].Score, 1);
}

TEST(Scoring, OnlyTheServingSideScoresAndTheReceiverGainsTheServe) {
    StartDefaultMatch();
    FreezeEveryone();
    PlayRallyWonBy(1);
    EXPECT_EQ(Gl_Teams[0].Score, 0);
    EXPECT_EQ(Gl_Teams[1].Score, 0);
    EXPECT_EQ(Gl_ServeSide, 1);
    EXPECT_EQ(Gl_BallX, 442) << "the new server's back corner";
    PlayRallyWonBy(1);
    EXPECT_EQ(Gl_Teams[1].Score, 1);
    PlayRallyWonBy(0);
    EXPECT_EQ(Gl_Teams[0].Score, 0);
    EXPECT_EQ(Gl_ServeSide, 0);
    EXPECT_EQ(Gl_BallX, 12);
}

TEST(Scoring, FifteenEndsTheMatchOnlyForTheServingSide) {
    StartDefaultMatch();
    FreezeEveryone();
    Gl_Teams[1].Score = 14;
    PlayRallyWonBy(1);
    EXPECT_EQ(Gl_Teams[1].Score, 14) << "a receiving side at 14 only gains the serve";
    EXPECT_EQ(Gl_ServeSide, 1);
    PlayRallyWonBy(1);
    EXPECT_EQ(Gl_Teams[1].Score, 15);
    EXPECT_EQ(Gl_ServeSide, MatchOver) << "the end is left for whoever runs the match to see";
    EXPECT_EQ(Gl_BallX, 1302) << "the reset after the winning point still runs";
}

TEST(Rotation, SlotsCycleByTheSidesMemberCount) {
    StartDefaultMatch();
    // Characters 0, 1 and 2 on the left; 3 alone on the right.
    Gl_Players[1].Side = 0;
    Gl_Players[0].Slot = 0;
    Gl_Players[1].Slot = 1;
    Gl_Players[2].Slot = 2;
    Gl_Players[3].Slot = 0;
    Gl_Teams[0].Members = 3;
    Gl_Teams[1].Members = 1;
    const int ExpectedSlot0[] = {1, 2, 0, 1};
    for (int Rally = 0; Rally < 4; ++Rally) {
        ResetRally();
        EXPECT_EQ(Gl_Players[0].Slot, ExpectedSlot0[Rally]);
        EXPECT_EQ(Gl_Players[3].Slot, 0) << "a lone character always stays at the back";
        EXPECT_EQ(Gl_Players[3].X, 448);
    }
    ResetRally();
    EXPECT_EQ(Gl_Players[0].X, 208) << "slot 2 stands at the net";

    StartDefaultMatch();
    const int64_t First = Gl_Players[0].Slot;
    ResetRally();
    EXPECT_NE(Gl_Players[0].Slot, First) << "two a side swap at every rally";
    ResetRally();
    EXPECT_EQ(Gl_Players[0].Slot, First);
}

TEST(RallyStart, GaugeSurvivesARallyButNotAMatch) {
    StartDefaultMatch();
    Gl_Players[2].Power = 60;
    Gl_Players[2].FlashCount = 7;
    ResetRally();
    EXPECT_EQ(Gl_Players[2].Power, 60);
    EXPECT_EQ(Gl_Players[2].FlashCount, 7);
    StartMatch();
    EXPECT_EQ(Gl_Players[2].Power, 0);
    EXPECT_EQ(Gl_Players[2].FlashCount, 0);
}

TEST(Blink, AlternatesFromOneAndIsNeverReset) {
    StartDefaultMatch();
    DrawFrame();
    EXPECT_EQ(Gl_Blink, 1) << "the first frame the program draws";
    DrawFrame();
    EXPECT_EQ(Gl_Blink, 0);
    DrawFrame();
    StartMatch();
    ResetRally();
    EXPECT_EQ(Gl_Blink, 1);
}

TEST(FullGauge, FlashesEveryOtherFrameAndEmptiesOnTheHundredAndFirstWhiteFrame) {
    StartDefaultMatch();
    Gl_Players[1].Power = 99;
    for (int F = 0; F < 10; ++F) {
        DrawFrame();
    }
    EXPECT_EQ(Gl_Players[1].FlashCount, 0) << "99 never flashes";
    Gl_Players[1].Power = 100;
    int WhiteFrames = 0;
    while (Gl_Players[1].Power == 100) {
        DrawFrame();
        if (Gl_Blink == 0) {
            WhiteFrames++;
        }
        ASSERT_LT(WhiteFrames, 200);
    }
    EXPECT_EQ(WhiteFrames, 101);
    EXPECT_EQ(Gl_Players[1].FlashCount, 0);
    DrawFrame();
    DrawFrame();
    EXPECT_EQ(Gl_Players[1].Power, 0);
}
