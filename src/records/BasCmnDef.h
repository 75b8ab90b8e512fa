// The game's records and globals: the four characters, the two sides, the ball, and the few values
// the screens hand to one another. There is exactly one copy of each; every screen reads and writes
// them in place.
#pragma once

#include <cstdint>

#include "records/Checked.h"

// Action states of a character.
constexpr int16_t Standing = 1;
constexpr int16_t Airborne = 2;
constexpr int16_t Swing = 3;
constexpr int16_t Spike = 4;
constexpr int16_t Dive = 5;
constexpr int16_t KnockedBack = 6;
constexpr int16_t Recovering = 7;
constexpr int16_t Charging = 8;
constexpr int16_t Spin = 9;
constexpr int16_t HighJump = 10;
constexpr int16_t SuperMove = 11;

// Flags are -1 for true and 0 for false.
constexpr int16_t FlagOn = -1;
constexpr int16_t FlagOff = 0;

// Control value of a character that the computer drives.
constexpr int16_t ComputerControl = 2;

// Gl_ServeSide once a side has won the match.
constexpr int16_t MatchOver = 3;

// Colours are packed red in bits 0-7, green 8-15, blue 16-23.
constexpr int32_t RGB(int32_t Red, int32_t Green, int32_t Blue) {
    return Red | (Green << 8) | (Blue << 16);
}

struct Typ_Player {
    Int16 Side;    // 0 = left court, 1 = right court
    Int16 Control; // 2 = the computer drives it
    Int16 KeySet;  // 0 = letter keys, other = keypad
    Int16 State;   // 1 to 11, the constants above
    Int16 Phase;   // kind of ball that threw it; or the super move's stage
    Int16 AnimFrame;
    Int16 Spent; // 1 = already played the ball in this action (not a -1/0 flag)
    Int16 RunSpeed;
    Int16 JumpSpeed;
    Int16 Stat3;
    Int16 Power; // gauge, 0 to 100
    Int32 X;     // top left corner of the 32 x 32 cell
    Int32 Y;     // 265 = on the floor
    Int32 OldX;
    Int32 OldY;
    Int32 VX;
    Int32 VY; // positive upward
    Int32 CellX;
    Int32 CellY;
    Int32 MaskX;
    Int32 Slot;    // 0 = back, 1 = middle, 2 or more = at the net
    Int16 BackDir; // -1 on the left side, +1 on the right: away from the net
    Int16 Tick;
    Int16 Tick2;
    Int16 InUp;
    Int16 InDown;
    Int16 InBack;
    Int16 InFront;
    Int16 InHit;
    Int16 ComboBack;  // stage 1 or 2 of the down-and-back command
    Int16 ComboFront; // stage 1 or 2 of the down-and-front command
    Int32 GaugeColor;
    Int16 FlashCount;
};

struct Typ_Team {
    Int16 Score;
    Int16 Members; // characters on this side, 1 to 3
};

// Everything a match reads and writes, in one record: the four characters, the two sides, the ball,
// the rally's end, the serve and the blink. A whole match is saved and restored with one copy of it
// (with the random source's position), which is what replaying and rolling back rest on.
struct Typ_Match {
    Typ_Player Players[4];
    Typ_Team Teams[2];
    Int32 BallX; // top left corner of the 24 x 24 ball cell
    Int32 BallY;
    Int16 BallVX;
    Int16 BallVY;   // positive upward
    Int16 BallKind; // 0 plain, 1 struck, 2 power shot, 3 super shot
    Int32 BallCell;
    Int16 BallAnim;
    Int16 PointWinner; // -1 while the rally is live, else winning side + 1
    Int16 PointDelay;
    Int16 ServeSide; // side serving the next rally, or 3 once the match is won
    Int16 Blink;     // steps 0, 1, 0, 1 with every frame drawn
};

extern Typ_Match Gl_Match;

// The title menu's choice: 1, 2, or 3 to leave. The select screen reads it; no tick does, so it
// is no part of the match's record.
extern Int16 Gl_PlayerCount;

// The game's own names for the record's fields: every screen reads and writes them in place.
inline Typ_Player (&Gl_Players)[4] = Gl_Match.Players;
inline Typ_Team (&Gl_Teams)[2] = Gl_Match.Teams;
inline Int32 &Gl_BallX = Gl_Match.BallX;
inline Int32 &Gl_BallY = Gl_Match.BallY;
inline Int16 &Gl_BallVX = Gl_Match.BallVX;
inline Int16 &Gl_BallVY = Gl_Match.BallVY;
inline Int16 &Gl_BallKind = Gl_Match.BallKind;
inline Int32 &Gl_BallCell = Gl_Match.BallCell;
inline Int16 &Gl_BallAnim = Gl_Match.BallAnim;
inline Int16 &Gl_PointWinner = Gl_Match.PointWinner;
inline Int16 &Gl_PointDelay = Gl_Match.PointDelay;
inline Int16 &Gl_ServeSide = Gl_Match.ServeSide;
inline Int16 &Gl_Blink = Gl_Match.Blink;

// A match as it stands between two ticks: the record and the random source's position.
struct Typ_MatchSnapshot {
    Typ_Match Match;
    uint64_t RandomPosition;
};
void SaveMatch(Typ_MatchSnapshot &Snapshot);
void RestoreMatch(const Typ_MatchSnapshot &Snapshot);

// Gauge colour of each character index: red, yellow, green, blue.
constexpr int32_t IndexGaugeColor[4] = {RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 255, 0), RGB(0, 0, 255)};

// Puts every record and global back to what the program starts with: all zero.
void ClearGameState();
// Puts the match's record alone back to all zero.
void ClearMatch();
