// The game's typeface as the build rendered it: for each character height the windows use, the
// characters they show at it, each as runs of covered pixels. zorbump-font writes the table from
// the font file while building, so the game draws text with no font renderer of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct FontTableGlyph {
    uint32_t Point;    // the Unicode character
    int32_t Advance;   // pixels the pen moves on
    uint32_t FirstRun; // index of its first run in its size's runs
    uint32_t RunCount;
};

struct FontTableSize {
    int32_t PixelHeight;          // the em square, as the windows ask for it
    int32_t LineHeight;           // the text cell's height
    int32_t UnderlineTop;         // the face's own underline: its first row in the line...
    int32_t UnderlineRows;        // ...and how many rows it covers
    const FontTableGlyph *Glyphs; // sorted by character
    size_t GlyphCount;
    const uint8_t *Runs; // (row, column, length) of each run, relative to the pen and the line's top
};

// The sizes, sorted by character height.
extern const FontTableSize FontTableSizes[];
extern const size_t FontTableSizeCount;
