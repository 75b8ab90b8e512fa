// The typeface's table against the typeface itself: every text the windows show, drawn from the
// table, is the very picture SDL2_ttf renders from the font file now, bit for bit.
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
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
// each glyph's picture at the pen, full-width Latin forms as the letter in a full-width cell, and
// at the scores' size the digits from the digits' face, on the first face's baseline.
class Reference {
  public:
    explicit Reference(int32_t PixelHeight) {
        if (TTF_WasInit() == 0) {
            EXPECT_EQ(TTF_Init(), 0);
        }
        Face = TTF_OpenFont(ZORBUMP_FONT_FILE, PixelHeight);
        EXPECT_NE(Face, nullptr) << ZORBUMP_FONT_FILE;
        TTF_SetFontHinting(Face, TTF_HINTING_MONO);
        if (PixelHeight == MainFontPixels) {
            Digits = TTF_OpenFont(ZORBUMP_DIGITS_FONT_FILE, PixelHeight);
            EXPECT_NE(Digits, nullptr) << ZORBUMP_DIGITS_FONT_FILE;
            TTF_SetFontHinting(Digits, TTF_HINTING_MONO);
        }
    }
    ~Reference() {
        TTF_CloseFont(Face);
        if (Digits != nullptr) {
            TTF_CloseFont(Digits);
        }
    }
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
            TTF_Font *From = Digits != nullptr && Point >= '0' && Point <= '9' ? Digits : Face;
            const int32_t Top = TTF_FontAscent(Face) - TTF_FontAscent(From);
            const bool FullWidth = Point >= 0xFF01 && Point <= 0xFF5E && !TTF_GlyphIsProvided32(From, Point);
            const uint32_t Drawn = FullWidth ? Point - 0xFEE0 : Point;
            int MinX = 0, MaxX = 0, MinY = 0, MaxY = 0, Advance = 0;
            TTF_GlyphMetrics32(From, Drawn, &MinX, &MaxX, &MinY, &MaxY, &Advance);
            const int32_t Left = Pen + (FullWidth ? Advance / 2 : 0);
            SDL_Surface *Glyph = TTF_RenderGlyph32_Solid(From, Drawn, SDL_Color{255, 255, 255, 255});
            for (int32_t Y = 0; Glyph != nullptr && Y < Glyph->h; ++Y) {
                const uint8_t *Row =
                    static_cast<const uint8_t *>(Glyph->pixels) + static_cast<size_t>(Y) * Glyph->pitch;
                for (int32_t X = 0; X < Glyph->w; ++X) {
                    if (Row[X] != 0 && Left + X < Dest.Width && Top + Y >= 0 && Top + Y < Dest.Height) {
                        Dest.Row(Top + Y)[Left + X] = Ink;
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
    TTF_Font *Digits = nullptr;
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

TEST(FontTable, TheScoresZeroIsPlainAndSitsOnTheLinesBaseline) {
    const Typ_Font &Font = GetFont(MainFontPixels);
    Surface Zero(100, 60), Eight(100, 60), Blank(100, 60);
    DrawText(Zero, 0, 0, "0", Font, Ink, false);
    DrawText(Eight, 0, 0, "8", Font, Ink, false);
    DrawText(Blank, 0, 0, "P", Font, Ink, false);
    auto Box = [](const Surface &S, int32_t &Left, int32_t &Top, int32_t &Right, int32_t &Bottom) {
        Left = Top = 1000;
        Right = Bottom = -1;
        for (int32_t Y = 0; Y < S.Height; ++Y) {
            for (int32_t X = 0; X < S.Width; ++X) {
                if (S.At(X, Y) != 0) {
                    Left = std::min(Left, X), Right = std::max(Right, X);
                    Top = std::min(Top, Y), Bottom = std::max(Bottom, Y);
                }
            }
        }
    };
    int32_t L = 0, T = 0, R = 0, B = 0;
    Box(Zero, L, T, R, B);
    // The middle third of the zero, both ways, is its empty counter: no bar, no dot.
    for (int32_t Y = T + (B - T) / 3; Y <= B - (B - T) / 3; ++Y) {
        for (int32_t X = L + (R - L) / 3; X <= R - (R - L) / 3; ++X) {
            ASSERT_EQ(Zero.At(X, Y), 0u) << X << ", " << Y;
        }
    }
    int32_t L8 = 0, T8 = 0, R8 = 0, B8 = 0, LP = 0, TP = 0, RP = 0, BP = 0;
    Box(Eight, L8, T8, R8, B8);
    Box(Blank, LP, TP, RP, BP);
    EXPECT_EQ(TextWidth(Font, "0"), TextWidth(Font, "8")) << "digits of one width, so scores do not jump";
    EXPECT_NEAR(B, BP, 1) << "the digits stand on the letters' baseline";
    EXPECT_NEAR(B8, BP, 1);
    EXPECT_GT(B - T, (BP - TP) * 4 / 5) << "digits as tall as capitals, near enough";
}
