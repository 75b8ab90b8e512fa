// The game's typeface rendered with SDL2_ttf, on the build machine only: the source of the table of
// characters compiled into the game, and what the tests compare that table with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TtfRun {
    int32_t Y, X, Length;
};

struct TtfGlyph {
    bool Provided =
        false; // the face draws it (a full-width Latin letter counts when its half-width one is there)
    int32_t Advance = 0;
    std::vector<TtfRun> Runs; // relative to the pen position and the top of the line
};

struct TtfLine {
    int32_t Height = 0;
    std::vector<int32_t> UnderlineRows; // rows of the line an underline covers, top to bottom
};

// Opens the face from its file, and the face its digits are taken from: the code face's zero has a
// bar inside that reads like a theta, so the scores' digits come from a sister face of plain
// figures, set on the code face's baseline. False with the reason in Error.
bool OpenTtfFace(const std::string &Path, const std::string &DigitsPath, std::string &Error);
void CloseTtfFace();

TtfLine RenderLine(int32_t PixelHeight);
TtfGlyph RenderGlyph(int32_t PixelHeight, uint32_t Point);

// Decodes UTF-8; a malformed byte stands for U+FFFD.
std::vector<uint32_t> CodePointsOf(const std::string &Utf8);
