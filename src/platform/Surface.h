// Drawing surfaces: every window's picture and every hidden image is a plain 32-bit RGB surface in
// memory, and everything is drawn by rectangle copies between them, bit for bit.
#pragma once

#include <cstdint>
#include <cstddef>
#include <vector>

// A pixel holds red in bits 0-7, green in 8-15 and blue in 16-23, the same packing as the game's
// colour values; bits 24-31 are always 0.
struct Surface {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels; // row by row, Width * Height

    Surface() = default;
    Surface(int32_t NewWidth, int32_t NewHeight, uint32_t Fill = 0)
        : Width(NewWidth), Height(NewHeight), Pixels(static_cast<size_t>(NewWidth) * NewHeight, Fill) {}

    uint32_t *Row(int32_t Y) { return Pixels.data() + static_cast<size_t>(Y) * Width; }
    const uint32_t *Row(int32_t Y) const { return Pixels.data() + static_cast<size_t>(Y) * Width; }
    uint32_t At(int32_t X, int32_t Y) const { return Row(Y)[X]; }
    void Set(int32_t X, int32_t Y, uint32_t Colour) { Row(Y)[X] = Colour; }
};

enum RasterOp {
    SRCCOPY,  // plain copy
    SRCAND,   // destination AND source: masks, the ball's shadow
    SRCPAINT, // destination OR source: an image over its mask
};

// Copies a Width x Height rectangle from (SourceX, SourceY) of Source to (X, Y) of Destination,
// combining pixels by Op. Parts of the rectangle outside either surface are left out. Returns
// false when nothing was copied.
bool BitBlt(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, const Surface &Source,
            int32_t SourceX, int32_t SourceY, RasterOp Op);

// Fills a rectangle (clipped) with one colour.
void FillRect(Surface &Destination, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint32_t Colour);
