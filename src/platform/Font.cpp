// The typeface from the table compiled into the game (FontTable.h). Text is drawn without blending:
// a pixel is either the text colour or left alone, so every frame is the same bit for bit. A string
// is laid out from the table's characters once and kept, so drawing it again is a few fills.
#include "platform/Font.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/FontTable.h"
#include "platform/Utf8.h"

namespace {

// Covered pixels of one row: Length pixels from X, on row Y of the line.
struct Run {
    int32_t Y, X, Length;
};

struct RenderedText {
    int32_t Width = 0;
    std::vector<Run> Runs;
};

const FontSize *SizeOf(int32_t PixelHeight) {
    for (uint32_t Index = 0; Index < FontSizeCount; ++Index) {
        if (FontSizes[Index].PixelHeight == PixelHeight) {
            return &FontSizes[Index];
        }
    }
    return nullptr;
}

// A character of the table at one height, or nullptr when the game does not carry it.
const FontGlyph *GlyphOf(const FontSize *Size, uint32_t Point) {
    if (Size == nullptr) {
        return nullptr;
    }
    const FontGlyph *First = FontGlyphs + Size->FirstGlyph;
    const FontGlyph *Last = First + Size->GlyphCount;
    const FontGlyph *Found =
        std::lower_bound(First, Last, Point, [](const FontGlyph &G, uint32_t P) { return G.Point < P; });
    return Found != Last && Found->Point == Point ? Found : nullptr;
}

} // namespace

struct Typ_Font {
    int32_t PixelHeight = 0;
    const FontSize *Size = nullptr; // nullptr for a height the game carries no characters at
    // Kept strings, plain and underlined. Looked up by the caller's own string, so a lookup
    // allocates nothing.
    mutable std::map<std::string, RenderedText, std::less<>> Plain;
    mutable std::map<std::string, RenderedText, std::less<>> Underlined;
};

namespace {

RenderedText Layout(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    RenderedText Text;
    for (uint32_t Point : Utf8CodePoints(Utf8)) {
        // A character the game does not carry takes no room and draws nothing.
        const FontGlyph *G = GlyphOf(Font.Size, Point);
        if (G == nullptr) {
            continue;
        }
        for (uint32_t Index = G->FirstRun; Index < G->FirstRun + G->RunCount; ++Index) {
            const FontRun &R = FontRuns[Index];
            Text.Runs.push_back(Run{R.Y, Text.Width + R.X, R.Length});
        }
        Text.Width += G->Advance;
    }
    if (Underline && Text.Width > 0 && Font.Size != nullptr) {
        for (int32_t Row = 0; Row < Font.Size->UnderlineRows; ++Row) {
            Text.Runs.push_back(Run{Font.Size->UnderlineTop + Row, 0, Text.Width});
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
    // Sizes once used live for the whole run, past the end of main: nothing closes them.
    static auto &Opened = *new std::map<int32_t, std::unique_ptr<Typ_Font>>;
    auto Found = Opened.find(PixelHeight);
    if (Found != Opened.end()) {
        return *Found->second;
    }
    auto Font = std::make_unique<Typ_Font>();
    Font->PixelHeight = PixelHeight;
    Font->Size = SizeOf(PixelHeight);
    return *Opened.emplace(PixelHeight, std::move(Font)).first->second;
}

void DrawText(Surface &Dest, int32_t X, int32_t Y, const std::string &Utf8, const Typ_Font &Font,
              uint32_t Colour, bool Underline) {
    const RenderedText &Text = Kept(Font, Utf8, Underline);
    PictureBlock Inked{Dest.Width, Dest.Height, 0, 0};
    for (const Run &R : Text.Runs) {
        const int32_t Row = Y + R.Y;
        if (Row < 0 || Row >= Dest.Height) {
            continue;
        }
        const int32_t Left = std::max(X + R.X, 0);
        const int32_t Right = std::min(X + R.X + R.Length, Dest.Width);
        if (Left < Right) {
            std::fill(Dest.NotedRow(Row) + Left, Dest.NotedRow(Row) + Right, Colour);
            Inked = {std::min(Inked.Left, Left), std::min(Inked.Top, Row), std::max(Inked.Right, Right),
                     std::max(Inked.Bottom, Row + 1)};
        }
    }
    Dest.Drawn(Inked);
}

int32_t TextWidth(const Typ_Font &Font, const std::string &Utf8) {
    return Kept(Font, Utf8, false).Width;
}

int32_t TextHeight(const Typ_Font &Font) {
    return Font.Size != nullptr ? Font.Size->LineHeight : 0;
}

bool TypefaceCovers(int32_t PixelHeight, const std::string &Utf8) {
    const FontSize *Size = SizeOf(PixelHeight);
    for (uint32_t Point : Utf8CodePoints(Utf8)) {
        if (GlyphOf(Size, Point) == nullptr) {
            return false;
        }
    }
    return true;
}
