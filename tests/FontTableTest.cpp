// The typeface's table against the typeface itself: every text the windows show, drawn from the
// table, is the very picture SDL2_ttf renders from the font file now, bit for bit.
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "assets/Designs.h"
#include "platform/Font.h"

namespace {

constexpr uint32_t Ink = 0xFFFFFF;

// Every text of the windows with the character height it is shown at.
std::vector<std::pair<int32_t, std::string>> WindowTexts() {
    std::vector<std::pair<int32_t, std::string>> Texts;
    for (const LabelDesign &Label : TitleWordDesigns) {
        Texts.emplace_back(Label.FontPixels, Label.Caption);
    }
    for (const LabelDesign &Label : PlayerItemDesigns) {
        Texts.emplace_back(Label.FontPixels, Label.Caption);
    }
    for (const LabelDesign &Label : SelectTitleDesigns) {
        Texts.emplace_back(Label.FontPixels, Label.Caption);
    }
    Texts.emplace_back(PlayDesigns[0].FontPixels, "1P 2P COM");
    Texts.emplace_back(MainFontPixels, " 0123456789 ");
    return Texts;
}

// SDL2_ttf drawing a text glyph by glyph, as the game lays it out: solid, monochrome hinting,
// each glyph's picture at the pen, full-width Latin forms as the letter in a full-width cell.
class Reference {
  public:
    explicit Reference(int32_t PixelHeight) {
        if (TTF_WasInit() == 0) {
            EXPECT_EQ(TTF_Init(), 0);
        }
        Face = TTF_OpenFont(ZORBUMP_FONT_FILE, PixelHeight);
        EXPECT_NE(Face, nullptr) << ZORBUMP_FONT_FILE;
        TTF_SetFontHinting(Face, TTF_HINTING_MONO);
    }
    ~Reference() { TTF_CloseFont(Face); }
    Reference(const Reference &) = delete;
    Reference &operator=(const Reference &) = delete;

    int32_t LineHeight() const { return TTF_FontHeight(Face); }

    // Draws Utf8 (ASCII, kana or kanji) at the top-left of Dest; returns the pen's final place.
    int32_t Draw(Surface &Dest, const std::string &Utf8) const {
        int32_t Pen = 0;
        Uint16 *Wide =
            reinterpret_cast<Uint16 *>(SDL_iconv_string("UTF-16LE", "UTF-8", Utf8.c_str(), Utf8.size() + 1));
        for (Uint16 *P = Wide; *P != 0; ++P) {
            const uint32_t Point = *P;
            const bool FullWidth = Point >= 0xFF01 && Point <= 0xFF5E && !TTF_GlyphIsProvided32(Face, Point);
            const uint32_t Drawn = FullWidth ? Point - 0xFEE0 : Point;
            int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, Advance = 0;
            TTF_GlyphMetrics32(Face, Drawn, &MinX, &MaxX, &MinY, &MaxY, &Advance);
            const int32_t Left = Pen + (FullWidth ? Advance / 2 : 0);
            SDL_Surface *Glyph = TTF_RenderGlyph32_Solid(Face, Drawn, SDL_Color{255, 255, 255, 255});
            for (int32_t Y = 0; Glyph != nullptr && Y < Glyph->h; ++Y) {
                const uint8_t *Row =
                    static_cast<const uint8_t *>(Glyph->pixels) + static_cast<size_t>(Y) * Glyph->pitch;
                for (int32_t X = 0; X < Glyph->w; ++X) {
                    if (Row[X] != 0 && Left + X < Dest.Width && Y < Dest.Height) {
                        Dest.Row(Y)[Left + X] = Ink;
                    }
                }
            }
            SDL_FreeSurface(Glyph);
            Pen += FullWidth ? 2 * Advance : Advance;
        }
        SDL_free(Wide);
        return Pen;
    }

  private:
    TTF_Font *Face = nullptr;
};

} // namespace

TEST(FontTable, EveryTextOfTheWindowsIsTheTypefacesOwnRenderingBitForBit) {
    for (const auto &[Height, Text] : WindowTexts()) {
        if (Text.empty()) {
            continue;
        }
        SCOPED_TRACE(Text);
        const Reference Face(Height);
        const Typ_Font &Font = GetFont(Height);
        ASSERT_TRUE(TypefaceCovers(Height, Text));
        EXPECT_EQ(TextHeight(Font), Face.LineHeight());
        Surface FromTable(600, 160), FromFont(600, 160);
        DrawText(FromTable, 0, 0, Text, Font, Ink, false);
        EXPECT_EQ(Face.Draw(FromFont, Text), TextWidth(Font, Text));
        int32_t Covered = 0;
        for (int32_t Y = 0; Y < 160; ++Y) {
            for (int32_t X = 0; X < 600; ++X) {
                ASSERT_EQ(FromTable.At(X, Y), FromFont.At(X, Y)) << X << ", " << Y << " at " << Height;
                Covered += FromTable.At(X, Y) != 0;
            }
        }
        EXPECT_GT(Covered, Height) << "the text is drawn at all";
    }
}

TEST(FontTable, HoldsTheWindowsCharactersAtTheirSizesOnly) {
    for (const auto &[Height, Text] : WindowTexts()) {
        EXPECT_TRUE(TypefaceCovers(Height, Text)) << Text << " at " << Height;
    }
    EXPECT_FALSE(TypefaceCovers(37, "\xE6\xBC\xA2")) << "a kanji no window shows is left out";
    EXPECT_FALSE(TypefaceCovers(96, "ZorbumpX")) << "the great letter's size has only its letter";
    EXPECT_FALSE(TypefaceCovers(12, "A")) << "a size no window uses";
}
