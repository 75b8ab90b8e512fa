// The embedded typeface, rendered with SDL2_ttf. Text is drawn without blending: a pixel is either
// the text colour or left alone, so every frame is the same bit for bit. A string is rendered once
// into a coverage map and kept; drawing it again is a plain copy of its set pixels.
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

// One string as the face draws it, kept as the runs of covered pixels on each row, so drawing it
// is a few fills.
struct Run {
    int32_t Y, X, Length;
};
struct RenderedText {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<Run> Runs;
};

[[noreturn]] void FontFault(const char *What) {
    // Only a broken build gets here: the font is part of the executable.
    std::fprintf(stderr, "zorbump: %s: %s\n", What, TTF_GetError());
    std::abort();
}

} // namespace

struct Typ_Font {
    TTF_Font *Face = nullptr;
    int32_t LineHeight = 0;
    // Kept strings, plain and underlined. Looked up by the caller's own string, so a lookup
    // allocates nothing.
    mutable std::map<std::string, RenderedText, std::less<>> Plain;
    mutable std::map<std::string, RenderedText, std::less<>> Underlined;
};

namespace {

RenderedText Render(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    RenderedText Text;
    TTF_SetFontStyle(Font.Face, Underline ? TTF_STYLE_UNDERLINE : TTF_STYLE_NORMAL);
    SDL_Surface *Rendered =
        Utf8.empty() ? nullptr : TTF_RenderUTF8_Solid(Font.Face, Utf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (Rendered == nullptr) {
        return Text;
    }
    // Solid rendering gives an 8-bit picture: index 0 is the background, anything else the text.
    Text.Width = Rendered->w;
    Text.Height = Rendered->h;
    SDL_LockSurface(Rendered);
    for (int32_t Y = 0; Y < Text.Height; ++Y) {
        const uint8_t *Row =
            static_cast<const uint8_t *>(Rendered->pixels) + static_cast<size_t>(Y) * Rendered->pitch;
        for (int32_t X = 0; X < Text.Width;) {
            if (Row[X] == 0) {
                ++X;
                continue;
            }
            const int32_t Start = X;
            while (X < Text.Width && Row[X] != 0) {
                ++X;
            }
            Text.Runs.push_back(Run{Y, Start, X - Start});
        }
    }
    SDL_UnlockSurface(Rendered);
    SDL_FreeSurface(Rendered);
    return Text;
}

const RenderedText &Kept(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    auto &Cache = Underline ? Font.Underlined : Font.Plain;
    auto Found = Cache.find(Utf8);
    if (Found == Cache.end()) {
        Found = Cache.emplace(Utf8, Render(Font, Utf8, Underline)).first;
    }
    return Found->second;
}

} // namespace

const Typ_Font &GetFont(int32_t PixelHeight) {
    static std::map<int32_t, std::unique_ptr<Typ_Font>> Opened;
    auto Found = Opened.find(PixelHeight);
    if (Found != Opened.end()) {
        return *Found->second;
    }
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
        FontFault("cannot start the font renderer");
    }
    SDL_RWops *Bytes =
        SDL_RWFromConstMem(ZorbumpFontBegin, static_cast<int>(ZorbumpFontEnd - ZorbumpFontBegin));
    // At the renderer's 72 dots per inch a point is a pixel, so the size asked for is the height
    // of the character's em square in pixels.
    auto Font = std::make_unique<Typ_Font>();
    Font->Face = TTF_OpenFontRW(Bytes, 1, PixelHeight);
    if (Font->Face == nullptr) {
        FontFault("cannot open the built-in font");
    }
    TTF_SetFontHinting(Font->Face, TTF_HINTING_MONO);
    Font->LineHeight = TTF_FontHeight(Font->Face);
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
    int Width = 0;
    int Height = 0;
    TTF_SetFontStyle(Font.Face, TTF_STYLE_NORMAL);
    if (Utf8.empty() || TTF_SizeUTF8(Font.Face, Utf8.c_str(), &Width, &Height) != 0) {
        return 0;
    }
    return Width;
}

int32_t TextHeight(const Typ_Font &Font) {
    return Font.LineHeight;
}
