// The typeface as the game carries it: every character the windows show, at every height they show
// it, drawn once when the game is built (tools/fonttable) and compiled in as runs of covered pixels.
// The game itself opens no font and links no font renderer.
#pragma once

#include <cstdint>

// Covered pixels of one row of a character: Length pixels from X, on row Y of the line.
struct FontRun {
    uint8_t Y, X, Length;
};

// One character at one height: its advance and its runs, FontRuns[FirstRun] onward.
struct FontGlyph {
    uint32_t Point;
    uint16_t Advance;
    uint32_t FirstRun;
    uint16_t RunCount;
};

// One height of the face: its line, the rows its underline covers, and its characters,
// FontGlyphs[FirstGlyph] onward in the order of their code points.
struct FontSize {
    int32_t PixelHeight;
    int32_t LineHeight;
    int32_t UnderlineTop, UnderlineRows;
    uint32_t FirstGlyph, GlyphCount;
};

extern const FontSize FontSizes[];
extern const uint32_t FontSizeCount;
extern const FontGlyph FontGlyphs[];
extern const FontRun FontRuns[];
