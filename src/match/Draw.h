// What a frame is drawn with: the match window's surface and the pictures it holds. Without a
// screen (the headless tool and the benchmarks of the rules) a frame changes only the state that
// drawing owns: the blink and the expiry of a full gauge.
#pragma once

#include "platform/Font.h"
#include "platform/Surface.h"

struct Typ_MatchCanvas {
    Surface *Screen = nullptr; // the match window's persistent 480 x 360 surface
    const Surface *Pic_Tumbler = nullptr;
    const Surface *Pic_Ball = nullptr;
    const Surface *Pic_Kouka = nullptr;
    const Surface *Pic_Back = nullptr;
    const Typ_Font *Font = nullptr; // the window's font for the scores; GetFont(37) when not given
};

extern Typ_MatchCanvas Gl_Canvas;

// Draws one sprite: its mask by AND, then its image by OR.
void BlitMasked(const Surface &Sheet, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t ImageX,
                int32_t SourceY, int32_t MaskX);
