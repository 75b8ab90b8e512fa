// Which change of the game's state fires which effect, through the very tick the match window
// runs: the listener notes the state, the match ticks, the listener plays what changed.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <vector>

#include "TestHelpers.h"
#include "audio/Listener.h"
#include "audio/Sound.h"

// Effects print by name in failures.
inline void PrintTo(SoundEffect Which, std::ostream *Out) {
    *Out << EffectName(Which);
}

namespace {

using Effects = std::set<SoundEffect>;

// Stops whatever plays, so a tick's own effects can be told apart.
void Hush() {
    SetSoundOn(false);
    SetSoundOn(true);
}

Effects Playing() {
    Effects Now;
    for (int Index = 0; Index < EffectCount; ++Index) {
        if (EffectPlaying(static_cast<SoundEffect>(Index))) {
            Now.insert(static_cast<SoundEffect>(Index));
        }
    }
    return Now;
}

void ListenedTick() {
    ListenBeforeTick();
    TickMatch();
    ListenAfterTick();
}

// One tick as the match window runs it, with exactly these keys held; the effects it started.
Effects HeardTick(std::initializer_list<int32_t> Keys = {}) {
    Hold(Keys);
    Hush();
    ListenedTick();
    return Playing();
}

// Puts the ball where this tick's flight leaves it at (X, Y), with these speeds after gravity.
void AimBall(int32_t X, int32_t Y, int16_t VX, int16_t VYAfterGravity) {
    Gl_BallVX = VX;
    Gl_BallVY = static_cast<int16_t>(VYAfterGravity + 2);
    Gl_BallX = X - VX;
    Gl_BallY = Y + VYAfterGravity;
}

// A match in which nobody moves on their own: four people holding nothing. One quiet tick lets the
// listener forget earlier tests.
void StartStillMatch() {
    StartDefaultMatch();
    for (int Index = 0; Index < 4; ++Index) {
        GiveToPerson(Index, 0);
    }
    ParkBall();
    HeardTick();
}

Typ_Player &Pose(int Index, int16_t State, int32_t X, int32_t Y = FloorY) {
    Typ_Player &P = Gl_Players[Index];
    P.State = State;
    P.X = X;
    P.Y = Y;
    P.VX = 0;
    P.VY = 0;
    P.Spent = 0;
    P.Tick = 0;
    P.Tick2 = 0;
    return P;
}

TEST(SoundListener, AnUntouchedServeThudsOnTheFloorAndIsBookedAsASideOut) {
    StartStillMatch();
    ResetRally();
    for (int Tick = 1; Tick <= 20; ++Tick) {
        ASSERT_EQ(HeardTick(), Effects{}) << "tick " << Tick << ": the ball is still falling";
    }
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::BallOnFloor}) << "the 21st tick lands";
    for (int Tick = 2; Tick <= 19; ++Tick) {
        const Effects Heard = HeardTick();
        ASSERT_EQ(Heard.count(SoundEffect::SideOut), 0u) << "tick " << Tick;
    }
    EXPECT_EQ(HeardTick().count(SoundEffect::SideOut), 1u) << "booked on the 20th tick of the dead ball";
    EXPECT_EQ(Gl_ServeSide, 1);
}

TEST(SoundListener, BookingSoundsAPointASideOutOrTheEndOfTheMatch) {
    struct Case {
        int64_t Serving, Winner, Score;
        SoundEffect Heard;
    };
    for (const Case &C : {Case{0, 1, 3, SoundEffect::PointWon}, Case{1, 1, 3, SoundEffect::SideOut},
                          Case{0, 1, 14, SoundEffect::MatchEnd}, Case{0, 2, 14, SoundEffect::SideOut}}) {
        StartStillMatch();
        Gl_ServeSide = static_cast<int16_t>(C.Serving);
        Gl_Teams[0].Score = static_cast<int16_t>(C.Score);
        Gl_PointWinner = static_cast<int16_t>(C.Winner);
        Gl_PointDelay = DeadBallDelay - 1;
        ParkBall();
        EXPECT_EQ(HeardTick(), Effects{C.Heard}) << "serving " << C.Serving << ", winner " << C.Winner;
    }
}

TEST(SoundListener, BallOffTheWallsAndTheTopButNotWhileItFlies) {
    StartStillMatch();
    AimBall(200, 100, 6, 3);
    EXPECT_EQ(HeardTick(), Effects{});
    AimBall(-4, 100, -10, 3);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::BallOffWall});
    EXPECT_EQ(HeardTick(), Effects{}) << "coming back in is no second knock";
    AimBall(460, 100, 10, 3);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::BallOffWall});
    AimBall(300, -3, 0, 10);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::BallOffWall});
    EXPECT_EQ(HeardTick(), Effects{}) << "still above the top, but already turned";
    AimBall(300, 290, 4, -12);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::BallOnFloor}) << "a bounce is no strike";
}

TEST(SoundListener, EachKindOfStrikeHasItsOwnEffect) {
    StartStillMatch();
    Pose(0, Swing, 100);
    AimBall(100, 250, 0, -5);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::Strike});

    StartStillMatch();
    Pose(0, Spike, 100, 200);
    AimBall(100, 205, 0, -5);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::Spike});

    StartStillMatch();
    Pose(0, Spin, 100).Power = 100;
    AimBall(105, 255, 0, -5);
    const Effects Power = HeardTick();
    EXPECT_EQ(Power.count(SoundEffect::PowerShot), 1u);
    EXPECT_EQ(Power.count(SoundEffect::Strike), 0u);

    StartStillMatch();
    Pose(0, Spin, 100).Power = 98;
    AimBall(105, 255, 0, -5);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::Strike}) << "below full power a spin is a plain strike";

    StartStillMatch();
    Pose(0, Swing, 100);
    Gl_BallKind = 2;
    AimBall(100, 250, 0, -5);
    EXPECT_EQ(HeardTick(), (Effects{SoundEffect::Strike, SoundEffect::ThrownBack}));
    EXPECT_EQ(Gl_Players[0].State, KnockedBack);
}

TEST(SoundListener, ASuperMoveCarryingTheBallSoundsOnlyAtEachFirstTouch) {
    StartStillMatch();
    Typ_Player &P = Pose(0, SuperMove, 100, 200);
    P.Phase = 1;
    AimBall(101, 194, 0, -1);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::SuperShot});
    for (int Tick = 2; Tick <= 3; ++Tick) {
        EXPECT_EQ(HeardTick(), Effects{}) << "tick " << Tick << " carries the ball along";
        ASSERT_EQ(Gl_BallKind, 3);
    }
    ParkBall();
    HeardTick();
    AimBall(Gl_Players[0].X + 1, Gl_Players[0].Y - 6, 0, -1);
    EXPECT_EQ(HeardTick(), Effects{SoundEffect::SuperShot}) << "a new touch after letting go";
}

TEST(SoundListener, AFillingGaugeHumsUntilReleasedAndAFullOneTicksAsItFlashes) {
    StartStillMatch();
    Effects Heard;
    for (int Tick = 0; Tick < 30; ++Tick) {
        Hold({VK_Z, VK_G, VK_J});
        ParkBall();
        ListenedTick();
        if (Tick > 1) {
            ASSERT_TRUE(EffectPlaying(SoundEffect::GaugeHum)) << "tick " << Tick;
        }
    }
    ASSERT_EQ(Gl_Players[0].State, Charging);
    TickWith({});
    ListenBeforeTick();
    TickWith({});
    ListenAfterTick();
    std::vector<int16_t> Fade(441);
    MixSound(Fade.data(), Fade.size());
    EXPECT_FALSE(EffectPlaying(SoundEffect::GaugeHum)) << "the hum fades as soon as the keys let go";

    StartStillMatch();
    Gl_Players[2].Power = 100;
    int Ticks = 0;
    for (int Tick = 0; Tick < 4; ++Tick) {
        ParkBall();
        Ticks += HeardTick().count(SoundEffect::GaugeTick);
    }
    EXPECT_EQ(Ticks, 2) << "a full gauge flashes in every second frame";
}

// The listener only reads: a match heard tick by tick is the same match, field for field.
TEST(SoundListener, HearingAMatchChangesNothingInIt) {
    std::vector<int64_t> Unheard, Heard;
    for (bool Listen : {false, true}) {
        StartDefaultMatch();
        std::vector<int64_t> &Into = Listen ? Heard : Unheard;
        for (int Tick = 0; Tick < 3000 && Gl_ServeSide != MatchOver; ++Tick) {
            if (Listen) {
                ListenedTick();
            } else {
                TickMatch();
            }
            for (const Typ_Player &P : Gl_Players) {
                Into.insert(Into.end(), {P.State, P.Phase, P.Spent, P.Power, P.X, P.Y, P.VX, P.VY, P.Tick,
                                         P.Tick2, P.FlashCount, P.Slot});
            }
            Into.insert(Into.end(), {Gl_BallX, Gl_BallY, Gl_BallVX, Gl_BallVY, Gl_BallKind, Gl_PointWinner,
                                     Gl_ServeSide, Gl_Teams[0].Score, Gl_Teams[1].Score, Gl_Blink});
        }
    }
    EXPECT_EQ(Unheard.size(), Heard.size());
    EXPECT_TRUE(Unheard == Heard);
}

} // namespace
