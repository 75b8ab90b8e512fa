// The game's one typeface, a bold fixed-pitch Japanese Gothic, carried in the executable as a table
// of the characters the windows show, drawn crisply (no blending) at the heights they use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Surface.h"

struct Typ_Font; // one height of the face, kept for the whole run

// The face at a character height in pixels (37, 35, 96, 13, 21, 19 and 12 are carried).
const Typ_Font &GetFont(int32_t PixelHeight);

// Draws UTF-8 text with the top-left corner of its text cell at (X, Y), in Colour (red bits 0-7,
// green 8-15, blue 16-23), with no background box, clipped at the surface's edges. The underline,
// when on, runs under the whole text. Strings drawn once are kept, so redrawing them costs only
// the copy.
void DrawText(Surface &Dest, int32_t X, int32_t Y, const std::string &Utf8, const Typ_Font &Font,
              uint32_t Colour, bool Underline);

// Size of the text cell of a string: its advance width, and the line height of the face.
int32_t TextWidth(const Typ_Font &Font, const std::string &Utf8);
int32_t TextHeight(const Typ_Font &Font);

// True when the game carries every character of the text at this height (a full-width Latin letter
// is drawn as its half-width one in a full-width cell).
bool TypefaceCovers(int32_t PixelHeight, const std::string &Utf8);
