// The builders of each picture, and the layout of the sheets that the match addresses by pixel.
#pragma once

#include <cstdint>

#include "platform/Surface.h"

// Character sheet: 8 image columns (character i facing right at 64 i, facing left at 64 i + 32),
// the facing-right masks at x 256 and the facing-left masks at x 288, one pose a row.
constexpr int32_t TumblerRows = 11;
// Ball sheet: seven 24 x 24 rows, image at x 0 and mask at x 24, then the shadow strip.
constexpr int32_t BallRows = 7;
constexpr int32_t ShadowY = 168;
// Effect sheet: three 48 x 48 aura frames, image at x 0 and mask at x 48.
constexpr int32_t AuraFrames = 3;

Surface BuildTumblerSheet();      // 320 x 352
Surface BuildBallSheet();         // 48 x 180
Surface BuildAuraSheet();         // 96 x 144
Surface BuildCourt();             // 480 x 360
Surface BuildTitlePicture();      // 256 x 240
Surface BuildFace(int32_t Index); // 64 x 60
// The window icon at Size 32 or 16, and its mask (white = transparent).
void BuildIcon(int32_t Size, Surface &Image, Surface &Mask);
// The mouse pointer and its mask (white = transparent).
void BuildCursor(Surface &Image, Surface &Mask);
