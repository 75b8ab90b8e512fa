#include "tools/fonttable/TtfFace.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include "platform/Utf8.h"

namespace {

// One face serves every size: it is set to the size asked for before each use.
TTF_Font *Face = nullptr;
TTF_Font *Digits = nullptr;
int32_t FaceHeight = 0;

TTF_Font *FaceAt(int32_t PixelHeight) {
    if (FaceHeight != PixelHeight) {
        TTF_SetFontSize(Face, PixelHeight);
        TTF_SetFontSize(Digits, PixelHeight);
        FaceHeight = PixelHeight;
    }
    return Face;
}

TTF_Font *Open(const std::string &Path, std::string &Error) {
    // At the renderer's 72 dots per inch a point is a pixel, so the size asked for is the height
    // of the character's em square in pixels.
    TTF_Font *Opened = TTF_OpenFont(Path.c_str(), 12);
    if (Opened == nullptr) {
        Error = TTF_GetError();
        return nullptr;
    }
    // Crisp, unblended letters: a pixel is either the text colour or left alone.
    TTF_SetFontHinting(Opened, TTF_HINTING_MONO);
    return Opened;
}

// The runs of a solid (8-bit, index 0 = background) rendering.
std::vector<TtfRun> RunsOf(SDL_Surface *Rendered) {
    std::vector<TtfRun> Runs;
    SDL_LockSurface(Rendered);
    for (int32_t Y = 0; Y < Rendered->h; ++Y) {
        const uint8_t *Row =
            static_cast<const uint8_t *>(Rendered->pixels) + static_cast<size_t>(Y) * Rendered->pitch;
        for (int32_t X = 0; X < Rendered->w;) {
            if (Row[X] == 0) {
                ++X;
                continue;
            }
            const int32_t Start = X;
            while (X < Rendered->w && Row[X] != 0) {
                ++X;
            }
            Runs.push_back(TtfRun{Y, Start, X - Start});
        }
    }
    SDL_UnlockSurface(Rendered);
    return Runs;
}

} // namespace

bool OpenTtfFace(const std::string &Path, const std::string &DigitsPath, std::string &Error) {
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        Error = TTF_GetError();
        return false;
    }
    Face = Open(Path, Error);
    Digits = Face != nullptr ? Open(DigitsPath, Error) : nullptr;
    if (Digits == nullptr) {
        CloseTtfFace();
        return false;
    }
    FaceHeight = 12;
    return true;
}

void CloseTtfFace() {
    if (Digits != nullptr) {
        TTF_CloseFont(Digits);
        Digits = nullptr;
    }
    if (Face != nullptr) {
        TTF_CloseFont(Face);
        Face = nullptr;
        FaceHeight = 0;
        TTF_Quit();
    }
}

TtfLine RenderLine(int32_t PixelHeight) {
    TtfLine Line;
    TTF_Font *Sized = FaceAt(PixelHeight);
    Line.Height = TTF_FontHeight(Sized);
    // Where the face puts its underline: the rows an underlined blank covers.
    TTF_SetFontStyle(Sized, TTF_STYLE_UNDERLINE);
    if (SDL_Surface *Blank = TTF_RenderUTF8_Solid(Sized, " ", SDL_Color{255, 255, 255, 255})) {
        for (const TtfRun &R : RunsOf(Blank)) {
            if (Line.UnderlineRows.empty() || Line.UnderlineRows.back() != R.Y) {
                Line.UnderlineRows.push_back(R.Y);
            }
        }
        SDL_FreeSurface(Blank);
    }
    TTF_SetFontStyle(Sized, TTF_STYLE_NORMAL);
    // The face's own underline is a hairline at every size; large text gets a bolder one, in
    // keeping with the bold letters.
    while (!Line.UnderlineRows.empty() &&
           static_cast<int32_t>(Line.UnderlineRows.size()) < PixelHeight / 16 &&
           Line.UnderlineRows.back() + 1 < Line.Height) {
        Line.UnderlineRows.push_back(Line.UnderlineRows.back() + 1);
    }
    return Line;
}

TtfGlyph RenderGlyph(int32_t PixelHeight, uint32_t Point) {
    TtfGlyph G;
    TTF_Font *Sized = FaceAt(PixelHeight);
    // The face has no full-width Latin letters, digits and signs: the half-width one is drawn in the
    // middle of a full-width cell, as a Japanese face does.
    const bool FullWidthForm = Point >= 0xFF01 && Point <= 0xFF5E && !TTF_GlyphIsProvided32(Sized, Point);
    const uint32_t Drawn = FullWidthForm ? Point - 0xFEE0 : Point;
    G.Provided = TTF_GlyphIsProvided32(Sized, Drawn) != 0;
    if (!G.Provided) {
        return G;
    }
    int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, Advance = 0;
    TTF_GlyphMetrics32(Sized, Drawn, &MinX, &MaxX, &MinY, &MaxY, &Advance);
    G.Advance = Advance;
    if (SDL_Surface *Rendered = TTF_RenderGlyph32_Solid(Sized, Drawn, SDL_Color{255, 255, 255, 255})) {
        G.Runs = RunsOf(Rendered);
        SDL_FreeSurface(Rendered);
    }
    if (Point >= '0' && Point <= '9') {
        // A plain figure of the sister face, on the code face's baseline, in a cell of its own width.
        int DigitAdvance = 0;
        TTF_GlyphMetrics32(Digits, Point, &MinX, &MaxX, &MinY, &MaxY, &DigitAdvance);
        if (SDL_Surface *Rendered = TTF_RenderGlyph32_Solid(Digits, Point, SDL_Color{255, 255, 255, 255})) {
            G.Runs = RunsOf(Rendered);
            SDL_FreeSurface(Rendered);
        }
        const int32_t Drop = TTF_FontAscent(Sized) - TTF_FontAscent(Digits);
        for (TtfRun &R : G.Runs) {
            R.Y += Drop;
        }
        G.Advance = DigitAdvance;
    }
    if (FullWidthForm) {
        G.Advance = 2 * Advance;
        for (TtfRun &R : G.Runs) {
            R.X += Advance / 2;
        }
    }
    return G;
}

std::vector<uint32_t> CodePointsOf(const std::string &Utf8) {
    return Utf8CodePoints(Utf8);
}
