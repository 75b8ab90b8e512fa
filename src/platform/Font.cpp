// The embedded typeface, drawn from the table the build rendered (platform/FontTable.h). Text is
// drawn without blending: a pixel is either the text colour or left alone, so every frame is the
// same bit for bit. A string is laid out from its characters' runs once and kept, so drawing it
// again is a few fills.
#include "platform/Font.h"

#include "platform/FontTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// Covered pixels of one row: Length pixels from X, on row Y of the line.
struct Run {
    int32_t Y, X, Length;
};

struct RenderedText {
    int32_t Width = 0;
    std::vector<Run> Runs;
};

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
    const FontTableSize *Table = nullptr;
    std::vector<int32_t> UnderlineRows; // rows of the line the underline covers
    // Kept strings, plain and underlined. Looked up by the caller's own string, so a lookup
    // allocates nothing.
    mutable std::map<std::string, RenderedText, std::less<>> Plain;
    mutable std::map<std::string, RenderedText, std::less<>> Underlined;
};

namespace {

// The size's entry for a character, or null when the build did not render it there.
const FontTableGlyph *Find(const FontTableSize &Size, uint32_t Point) {
    const FontTableGlyph *End = Size.Glyphs + Size.GlyphCount;
    const FontTableGlyph *Found = std::lower_bound(
        Size.Glyphs, End, Point, [](const FontTableGlyph &G, uint32_t P) { return G.Point < P; });
    return Found != End && Found->Point == Point ? Found : nullptr;
}

const FontTableSize *TableAt(int32_t PixelHeight) {
    for (size_t I = 0; I < FontTableSizeCount; ++I) {
        if (FontTableSizes[I].PixelHeight == PixelHeight) {
            return &FontTableSizes[I];
        }
    }
    return nullptr;
}

RenderedText Layout(const Typ_Font &Font, const std::string &Utf8, bool Underline) {
    RenderedText Text;
    const FontTableSize &Size = *Font.Table;
    for (uint32_t Point : CodePoints(Utf8)) {
        const FontTableGlyph *G = Find(Size, Point);
        if (G == nullptr) {
            // A character the build did not render (a test checks every text of the windows):
            // left blank, half a cell wide, so the rest of the text keeps its place.
            Text.Width += Size.PixelHeight / 2;
            continue;
        }
        for (uint32_t I = G->FirstRun; I < G->FirstRun + G->RunCount; ++I) {
            const uint8_t *R = Size.Runs + 3 * static_cast<size_t>(I);
            Text.Runs.push_back(Run{R[0], Text.Width + R[1], R[2]});
        }
        Text.Width += G->Advance;
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
    // Sizes once looked up live for the whole run, past the end of main: nothing closes them.
    static auto &Opened = *new std::map<int32_t, std::unique_ptr<Typ_Font>>;
    auto Found = Opened.find(PixelHeight);
    if (Found != Opened.end()) {
        return *Found->second;
    }
    const FontTableSize *Table = TableAt(PixelHeight);
    if (Table == nullptr) {
        // Only a broken build gets here: the windows' sizes are fixed, and the build renders them.
        std::fprintf(stderr, "zorbump: the built-in typeface has no size %d\n",
                     static_cast<int>(PixelHeight));
        std::abort();
    }
    auto Font = std::make_unique<Typ_Font>();
    Font->Table = Table;
    for (int32_t Row = 0; Row < Table->UnderlineRows; ++Row) {
        Font->UnderlineRows.push_back(Table->UnderlineTop + Row);
    }
    // The face's own underline is a hairline at every size; large text gets a bolder one, in
    // keeping with the bold letters.
    while (!Font->UnderlineRows.empty() &&
           static_cast<int32_t>(Font->UnderlineRows.size()) < PixelHeight / 16 &&
           Font->UnderlineRows.back() + 1 < Table->LineHeight) {
        Font->UnderlineRows.push_back(Font->UnderlineRows.back() + 1);
    }
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
    return Font.Table->LineHeight;
}

bool TypefaceCovers(int32_t PixelHeight, const std::string &Utf8) {
    const FontTableSize *Table = TableAt(PixelHeight);
    if (Table == nullptr) {
        return false;
    }
    for (uint32_t Point : CodePoints(Utf8)) {
        if (Find(*Table, Point) == nullptr) {
            return false;
        }
    }
    return true;
}
