// The match engine of the match window: one tick of play, and the procedures it is made of.
#pragma once

#include <cstdint>

// Tick and rally flow (Match.cpp).
constexpr int16_t DeadBallDelay = 20;
constexpr int16_t WinningScore = 15;
// One tick of play. The tick that books the winning point leaves Gl_ServeSide at MatchOver and
// returns: whoever runs the match (the match window's timer, the tool, the online session) sees the
// end there, after the tick, and acts on it.
void TickMatch();
void ResetRally();
void StartMatch();

// Characters (Player.cpp).
constexpr int32_t FloorY = 265;
void MovePlayer(int16_t Index);
void KnockBack(int16_t Index);

// Keyboard controls (Controls.cpp) and the computer player (Cpu.cpp).
void ReadControls(int16_t Side, int16_t Index);
void ThinkCpu(int16_t Side, int16_t Index);

// The ball (Ball.cpp).
constexpr int32_t BallFloorY = 277;
bool BallTouches(int16_t Index); // the ball's cell lies inside the character's contact box
void MoveBall();

// A hash of the whole match as it stands, and the fingerprint of this build's rules: a hash of two
// short matches played with them (Fingerprint.cpp), one from the start and one to the end of a
// match. The game's state is left as it was. Reached, when given, says what the trials met.
struct FingerprintTrials {
    bool FullGauge = false, SuperMove = false, Won = false;
};
uint32_t MatchChecksum();
uint32_t SimulationFingerprint(FingerprintTrials *Reached = nullptr);

// Drawing of a frame (Draw.cpp).
void DrawFrame();
void DrawCourt(); // the bare court, as the rally reset leaves the window
