// Showing a drawing area larger than it is drawn: by whole numbers only, every pixel a square block,
// centred on black. The pictures stay 1:1 in memory; only the screen sees them larger.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

// Where a picture of PictureWidth x PictureHeight goes in an output of OutputWidth x OutputHeight:
// the largest whole scale at which it fits (at least 1), and its top left corner. An output smaller
// than the picture shows it at 1x, centred and cropped.
struct PictureLayout {
    int32_t Scale = 1;
    int32_t Left = 0, Top = 0;

    // A point of the output (a mouse click) in the picture's own pixels.
    int32_t PictureX(int32_t OutputX) const { return FloorDiv(OutputX - Left, Scale); }
    int32_t PictureY(int32_t OutputY) const { return FloorDiv(OutputY - Top, Scale); }

  private:
    static int32_t FloorDiv(int32_t A, int32_t B) { return A >= 0 ? A / B : -((-A + B - 1) / B); }
};
PictureLayout FitPicture(int32_t OutputWidth, int32_t OutputHeight, int32_t PictureWidth,
                         int32_t PictureHeight);

// The largest whole scale k >= 1 at which a window whose drawing area is Width x Height, plus a frame
// of FrameWidth x FrameHeight, fits an area of AreaWidth x AreaHeight.
int32_t ScaleThatFits(int32_t AreaWidth, int32_t AreaHeight, int32_t Width, int32_t Height,
                      int32_t FrameWidth, int32_t FrameHeight);

// A 32-bit output in memory: its pixels, bytes per row, and where red, green and blue sit in a pixel.
struct OutputPixels {
    uint8_t *Pixels = nullptr;
    int32_t Width = 0, Height = 0, Pitch = 0;
    int RedShift = 16, GreenShift = 8, BlueShift = 0;
};

// Draws Picture into Output by Layout, each pixel a Scale x Scale block, clipped at the output's
// edges. With Borders, everything around the picture is painted black first.
void DrawScaled(const OutputPixels &Output, const Surface &Picture, const PictureLayout &Layout,
                bool Borders);

// Where Picture differs from Shown, the picture shown last: runs of changed rows, each as wide as the
// changes in it, runs apart by a few rows joined into one. Shown becomes Picture. Only where the
// picture was drawn on since the last call is looked at (its notes), and the notes are taken. A
// Shown of another size counts as nothing shown: the whole picture has changed.
std::vector<PictureBlock> TakeChanges(const Surface &Picture, Surface &Shown);

// DrawScaled of one block of the picture, with nothing around it: the rest of the output stays.
void DrawScaledBlock(const OutputPixels &Output, const Surface &Picture, const PictureLayout &Layout,
                     const PictureBlock &Block);
