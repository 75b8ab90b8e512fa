// The embedded typeface, rendered with SDL2_ttf. Text is drawn without blending: a pixel is either
// the text colour or left alone, so every frame is the same bit for bit. Each character is rendered
// once and kept as runs of covered pixels; a string is laid out from them once and kept too, so
// drawing it again is a few fills.
#include "platform/Font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// The font's bytes, placed in the executable by the build.
extern "C" const unsigned char ZorbumpFontBegin[];
extern "C" const unsigned char ZorbumpFontEnd[];

namespace {

// Covered pixels of one row: Length pixels from X, on row Y of the line.
struct Run {
    int32_t Y, X, Length;
};

struct Glyph {
    int32_t Advance = 0;
    std::vector<Run> Runs; // relative to the pen position and the top of the line
};

struct RenderedText {
    int32_t Width = 0;
    std::vector<Run> Runs;
};

[[noreturn]] void FontFault(const char *What) {
    // Only a broken build gets here: the font is part of the executable.
    std::fprintf(stderr, "zorbump: %s: %s\n", What, TTF_GetError());
    std::abort();
}

// The runs of a solid (8-bit, index 0 = background) rendering.
std::vector<Run> RunsOf(SDL_Surface *Rendered) {
    std::vector<Run> Runs;
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
            Runs.push_back(Run{Y, Start, X - Start});
        }
    }
    SDL_UnlockSurface(Rendered);
    return Runs;
}

// Decodes UTF-8; a malformed byte stands for U+FFFD.
std::vector<uint32_t> CodePoints(const std::string &Utf8) {
    std::vector<uint32_t> Points;
    for (size_t I = 0; I < Utf8.size();) {
        const unsigned char Lead = static_cast<unsigned char>(Utf8[I]);
        const int Extra = Lead < 0x80         ? 0
                          : (Lead >> 5) == 6  ? 1
                          : (Lead >> 4) == 14 ? 2
                          : (Lead >> 3) == 30 ? 3
                                              : -1;
        uint32_t Point = Extra == 0   ? Lead
                         : Extra == 1 ? (Lead & 0x1F)
                         : Extra == 2 ? (Lead & 0x0F)
                                      : (Lead & 0x07);
        bool Valid = Extra >= 0 && I + Extra < Utf8.size();
        for (int K = 1; Valid && K <= Extra; ++K) {
            const unsigned char Next = static_cast<unsigned char>(Utf8[I + K]);
            Valid = (Next & 0xC0) == 0x80;
            Point = (Point << 6) | (Next & 0x3F);
        }
        Points.push_back(Valid ? Point : 0xFFFD);
        I += Valid ? static_cast<size_t>(Extra) + 1 : 1;
    }
    return Points;
}

} // namespace

struct Typ_Font {
    int32_t PixelHeight = 0;
    int32_t LineHeight = 0;
    std::vector<int32_t> UnderlineRows; // rows of the line the face's underline covers
    mutable std::map<uint32_t, Glyph> Glyphs;
    // Kept strings, plain and underlined. Looked up by the caller's own string, so a lookup
    // allocates nothing.
    mutable std::map<std::string, RenderedText, std::less<>> Plain;
    mutable std::map<std::string, RenderedText, std::less<>> Underlined;
};

namespace {

// One face serves every size: it is set to the size asked for before each use. A face of this
// typeface costs over a megabyte once opened, so one for each of the windows' seven sizes would
// more than double the game's memory.
TTF_Font *Face = nullptr;
int32_t FaceHeight = 0;

TTF_Font *FaceAt(int32_t PixelHeight) {
    if (Face == nullptr) {
        if (TTF_WasInit() == 0 && TTF_Init() != 0) {
            FontFault("cannot start the font renderer");
        }
        SDL_RWops *Bytes =
            SDL_RWFromConstMem(ZorbumpFontBegin, static_cast<int>(ZorbumpFontEnd - ZorbumpFontBegin));
        // At the renderer's 72 dots per inch a point is a pixel, so the size asked for is the
        // height of the character's em square in pixels.
        Face = TTF_OpenFontRW(Bytes, 1, PixelHeight);
        if (Face == nullptr) {
            FontFault("cannot open the built-in font");
        }
        TTF_SetFontHinting(Face, TTF_HINTING_MONO);
        FaceHeight = PixelHeight;
    } else if (FaceHeight != PixelHeight) {
        if (TTF_SetFontSize(Face, PixelHeight) != 0) {
            FontFault("cannot size the built-in font");
        }
        FaceHeight = PixelHeight;
    }
    return Face;
}

const Glyph &KeptGlyph(const Typ_Font &Font, uint32_t Point) {
    auto Found = Font.Glyphs.find(Point);
    if (Found != Font.Glyphs.end()) {
        return Found->second;
    }
    Glyph G;
    TTF_Font *Face = FaceAt(Font.PixelHeight);
    // The face has no full-width Latin letters, digits and signs: draw the half-width one in the
    // middle of a full-width cell, as a Japanese face does.
    const bool FullWidthForm = Point >= 0xFF01 && Point <= 0xFF5E && !TTF_GlyphIsProvided32(Face, Point);
    const uint32_t Drawn = FullWidthForm ? Point - 0xFEE0 : Point;
    int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, Advance = 0;
    TTF_GlyphMetrics32(Face, Drawn, &MinX, &MaxX, &MinY, &MaxY, &Advance);
    G.Advance = Advance;
    TTF_SetFontStyle(Face, TTF_STYLE_NORMAL);
    if (SDL_Surface *Rendered = TTF_RenderGlyph32_Solid(Face, Drawn, SDL_Color{255, 255, 255, 255})) {
        G.Runs = RunsOf(Rendered);
        SDL_FreeSurface(Rendered);
    }
    if (FullWidthForm) {
        G.Advance = 2 * Advance;
        for (Run &R : G.Runs) {
            R.X += Advance / 2;
        }
    }
    return Font.Glyphs.emplace(Point, std::move(G)).first->second;
}

RenderedText Layout(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    RenderedText Text;
    for (uint32_t Point : CodePoints(Utf8)) {
        const Glyph &G = KeptGlyph(Font, Point);
        for (const Run &R : G.Runs) {
            Text.Runs.push_back(Run{R.Y, Text.Width + R.X, R.Length});
        }
        Text.Width += G.Advance;
    }
    if (Underline && Text.Width > 0) {
        for (int32_t Row : Font.UnderlineRows) {
            Text.Runs.push_back(Run{Row, 0, Text.Width});
        }
    }
    return Text;
}

const RenderedText &Kept(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    auto &Cache = Underline ? Font.Underlined : Font.Plain;
    auto Found = Cache.find(Utf8);
    if (Found == Cache.end()) {
        Found = Cache.emplace(Utf8, Layout(Font, Utf8, Underline)).first;
    }
    return Found->second;
}

} // namespace

const Typ_Font &GetFont(int32_t PixelHeight) {
    // Sizes once opened live for the whole run, past the end of main: nothing closes them.
    static auto &Opened = *new std::map<int32_t, std::unique_ptr<Typ_Font>>;
    auto Found = Opened.find(PixelHeight);
    if (Found != Opened.end()) {
        return *Found->second;
    }
    auto Font = std::make_unique<Typ_Font>();
    Font->PixelHeight = PixelHeight;
    TTF_Font *Face = FaceAt(PixelHeight);
    Font->LineHeight = TTF_FontHeight(Face);
    // Where the face puts its underline: the rows an underlined blank covers.
    TTF_SetFontStyle(Face, TTF_STYLE_UNDERLINE);
    if (SDL_Surface *Blank = TTF_RenderUTF8_Solid(Face, " ", SDL_Color{255, 255, 255, 255})) {
        for (const Run &R : RunsOf(Blank)) {
            if (Font->UnderlineRows.empty() || Font->UnderlineRows.back() != R.Y) {
                Font->UnderlineRows.push_back(R.Y);
            }
        }
        SDL_FreeSurface(Blank);
    }
    // The face's own underline is a hairline at every size; large text gets a bolder one, in
    // keeping with the bold letters.
    while (!Font->UnderlineRows.empty() &&
           static_cast<int32_t>(Font->UnderlineRows.size()) < PixelHeight / 16 &&
           Font->UnderlineRows.back() + 1 < Font->LineHeight) {
        Font->UnderlineRows.push_back(Font->UnderlineRows.back() + 1);
    }
    TTF_SetFontStyle(Face, TTF_STYLE_NORMAL);
    return *Opened.emplace(PixelHeight, std::move(Font)).first->second;
}

void DrawText(Surface &Dest, int32_t X, int32_t Y, const std::string &Utf8, const Typ_Font &Font,
              uint32_t Colour, bool Underline) {
    const RenderedText &Text = Kept(Font, Utf8, Underline);
    for (const Run &R : Text.Runs) {
        const int32_t Row = Y + R.Y;
        if (Row < 0 || Row >= Dest.Height) {
            continue;
        }
        const int32_t Left = std::max(X + R.X, 0);
        const int32_t Right = std::min(X + R.X + R.Length, Dest.Width);
        if (Left < Right) {
            std::fill(Dest.Row(Row) + Left, Dest.Row(Row) + Right, Colour);
        }
    }
}

int32_t TextWidth(const Typ_Font &Font, const std::string &Utf8) {
    return Kept(Font, Utf8, false).Width;
}

int32_t TextHeight(const Typ_Font &Font) {
    return Font.LineHeight;
}

bool TypefaceCovers(const std::string &Utf8) {
    TTF_Font *Face = FaceAt(GetFont(12).PixelHeight);
    for (uint32_t Point : CodePoints(Utf8)) {
        const bool FullWidthForm = Point >= 0xFF01 && Point <= 0xFF5E;
        if (!TTF_GlyphIsProvided32(Face, Point) &&
            !(FullWidthForm && TTF_GlyphIsProvided32(Face, Point - 0xFEE0))) {
            return false;
        }
    }
    return true;
}

void KeepCharacters(int32_t PixelHeight, const std::string &Utf8) {
    const Typ_Font &Font = GetFont(PixelHeight);
    for (uint32_t Point : CodePoints(Utf8)) {
        KeptGlyph(Font, Point);
    }
}

void ReleaseTypeface() {
    if (Face != nullptr) {
        TTF_CloseFont(Face);
        Face = nullptr;
        FaceHeight = 0;
        TTF_Quit();
    }
}
