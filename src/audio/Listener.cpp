#include "audio/Listener.h"

#include <cstdlib>

#include "audio/Sound.h"
#include "records/BasCmnDef.h"

namespace {

// The few fields the listener compares, copied before the tick.
struct Heard {
    int64_t State[4], Power[4], FlashCount[4];
    int64_t BallX, BallY, BallVX, BallVY, BallKind;
    int64_t PointWinner, ServeSide, Score[2];
};

// Where the ball bounces, as the ball's flight has it: the listener needs them to tell a bounce
// from a character's touch.
constexpr int64_t RightWall = 456;
constexpr int64_t Floor = 277;

// A hum lasts about nine ticks; the next starts a little before it ends, so they throb on.
constexpr int HumRepeatTicks = 7;

Heard Before{};
bool TickOpen = false;
bool LastContactSuper = false;
int HumTicksLeft = 0;

Heard Now() {
    Heard State{};
    for (int Index = 0; Index < 4; ++Index) {
        State.State[Index] = Gl_Players[Index].State;
        State.Power[Index] = Gl_Players[Index].Power;
        State.FlashCount[Index] = Gl_Players[Index].FlashCount;
    }
    State.BallX = Gl_BallX;
    State.BallY = Gl_BallY;
    State.BallVX = Gl_BallVX;
    State.BallVY = Gl_BallVY;
    State.BallKind = Gl_BallKind;
    State.PointWinner = Gl_PointWinner;
    State.ServeSide = Gl_ServeSide;
    State.Score[0] = Gl_Teams[0].Score;
    State.Score[1] = Gl_Teams[1].Score;
    return State;
}

// The ball's flight alone (gravity, walls, floor and top) gives it known speeds; a character that
// plays the ball gives it others. So a contact shows as speeds the flight cannot explain.
bool PlayedByCharacter(const Heard &Was, const Heard &Is) {
    const int64_t FlightVY = Was.BallVY - 2;
    const int64_t FlightY = Was.BallY - FlightVY;
    const int64_t FlightX = Was.BallX + Was.BallVX;
    const int64_t ExpectVX = FlightX < 0 || FlightX > RightWall ? -Was.BallVX : Was.BallVX;
    const int64_t ExpectVY = FlightY > Floor ? std::llabs(FlightVY)
                             : FlightY < 0   ? -std::llabs(FlightVY)
                                             : FlightVY;
    return Is.BallVX != ExpectVX || Is.BallVY != ExpectVY;
}

void HearBall(const Heard &Was, const Heard &Is) {
    const int64_t FlightX = Was.BallX + Was.BallVX;
    const int64_t FlightY = Was.BallY - (Was.BallVY - 2);
    const bool WasInside = Was.BallX >= 0 && Was.BallX <= RightWall;
    if (WasInside && (FlightX < 0 || FlightX > RightWall)) {
        PlayEffect(SoundEffect::BallOffWall);
    }
    if (FlightY > Floor) {
        PlayEffect(SoundEffect::BallOnFloor);
    } else if (FlightY < 0 && Was.BallY >= 0) {
        PlayEffect(SoundEffect::BallOffWall);
    }
    const bool Played = PlayedByCharacter(Was, Is);
    const bool Super = Played && Is.BallKind == 3;
    if (Super) {
        // The super move can carry the ball along for many ticks: only the first touch sounds.
        if (!LastContactSuper) {
            PlayEffect(SoundEffect::SuperShot);
        }
    } else if (Played) {
        // Only a spike sends the ball down; only a spin or a high jump at full power makes a
        // power shot.
        PlayEffect(Is.BallKind == 2 ? SoundEffect::PowerShot
                   : Is.BallVY < 0  ? SoundEffect::Spike
                                    : SoundEffect::Strike);
    }
    LastContactSuper = Super;
}

void HearCharacters(const Heard &Was, const Heard &Is) {
    bool Thrown = false, Filling = false, Flashed = false;
    for (int Index = 0; Index < 4; ++Index) {
        Thrown = Thrown || (Is.State[Index] == KnockedBack && Was.State[Index] != KnockedBack);
        Filling = Filling || (Is.State[Index] == Charging && Is.Power[Index] > Was.Power[Index]);
        Flashed = Flashed || Is.FlashCount[Index] > Was.FlashCount[Index];
    }
    if (Thrown) {
        PlayEffect(SoundEffect::ThrownBack);
    }
    if (Flashed) {
        PlayEffect(SoundEffect::GaugeTick);
    }
    if (Filling) {
        if (--HumTicksLeft <= 0) {
            PlayEffect(SoundEffect::GaugeHum);
            HumTicksLeft = HumRepeatTicks;
        }
    } else if (HumTicksLeft > 0) {
        EndEffect(SoundEffect::GaugeHum);
        HumTicksLeft = 0;
    }
}

// Booking: the match won, a point for the serving side, or the serve changing hands.
void HearBooking(const Heard &Was, const Heard &Is) {
    if (Is.ServeSide == MatchOver) {
        PlayEffect(SoundEffect::MatchEnd);
    } else if (Is.Score[0] > Was.Score[0] || Is.Score[1] > Was.Score[1]) {
        PlayEffect(SoundEffect::PointWon);
    } else {
        PlayEffect(SoundEffect::SideOut);
    }
}

} // namespace

void ListenBeforeTick() {
    Before = Now();
    TickOpen = true;
}

void ListenAfterTick() {
    if (!TickOpen) {
        return;
    }
    TickOpen = false;
    const Heard After = Now();
    HearCharacters(Before, After);
    // A booked rally puts the ball back above the server, so its flight in that tick is not heard.
    const bool Booked = Before.PointWinner != -1 && After.PointWinner == -1;
    if (Booked) {
        HearBooking(Before, After);
        LastContactSuper = false;
    } else {
        HearBall(Before, After);
    }
}

void ListenMenu(MenuSound Which) {
    switch (Which) {
    case MenuSound::Move:
    case MenuSound::Drop:
        PlayEffect(SoundEffect::MenuMove);
        break;
    case MenuSound::Choice:
    case MenuSound::Take:
        PlayEffect(SoundEffect::MenuChoice);
        break;
    }
}
