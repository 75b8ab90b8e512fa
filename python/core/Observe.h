// What an agent sees of the match: one vector of floats per person, from the person's own side.
#pragma once

#include "python/core/Copy.h"

// Writes the observation of the person driving character Me of the match in the game's records.
//
// Everything is seen as if the person played on the left: on the right side x is mirrored about
// the net and horizontal speeds change sign, so one policy plays both sides. Positions are pixels
// / 100, speeds pixels per tick / 10.
//
//   0-16   the person's own character: x, y, vx, vy, on my side (1), power / 100, state one-hot (11)
//   17-33  the next character, the same way: first my side's others by index, then the other side's
//   34-67  the two after it
//   68-72  the ball: x, y, vx, vy, kind (0 plain, 1 struck, 2 power shot, 3 super shot)
//   73     the rally: 0 live, +1 won by my side, -1 won by the other side
//   74     ticks since the ball died / 20
//   75-76  my side's score / 15, the other side's score / 15
//   77     1 when my side serves
void ObserveMatch(int Me, float *Out);
