// The typeface carried in the game against the face itself: every text the windows show, drawn from
// the game's table and drawn by SDL2_ttf from Debian's font file, is the same to the bit.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "assets/Designs.h"
#include "platform/Font.h"
#include "tools/fonttable/TtfFace.h"

namespace {

// Draws text as the game would, from the face rendered now.
Surface DrawnByTtf(int32_t Height, const std::string &Text, bool Underline) {
    Surface Canvas(1200, 140, 0);
    int32_t Pen = 0;
    for (uint32_t Point : CodePointsOf(Text)) {
        const TtfGlyph Glyph = RenderGlyph(Height, Point);
        for (const TtfRun &Run : Glyph.Runs) {
            FillRect(Canvas, 4 + Pen + Run.X, 4 + Run.Y, Run.Length, 1, 0xFFFFFF);
        }
        Pen += Glyph.Advance;
    }
    if (Underline && Pen > 0) {
        for (int32_t Row : RenderLine(Height).UnderlineRows) {
            FillRect(Canvas, 4, 4 + Row, Pen, 1, 0xFFFFFF);
        }
    }
    return Canvas;
}

Surface DrawnByGame(int32_t Height, const std::string &Text, bool Underline) {
    Surface Canvas(1200, 140, 0);
    DrawText(Canvas, 4, 4, Text, GetFont(Height), 0xFFFFFF, Underline);
    return Canvas;
}

class FontTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string Error;
        ASSERT_TRUE(OpenTtfFace(ZORBUMP_FONT_FILE, ZORBUMP_DIGITS_FONT_FILE, Error)) << Error;
    }
    static void TearDownTestSuite() { CloseTtfFace(); }
};

// Every text of the three windows, at its height.
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
    for (const char *Play : {"1P", "2P", "COM"}) {
        Texts.emplace_back(PlayDesigns[0].FontPixels, Play);
    }
    // The scores as the match draws them: a blank, the number, a blank.
    for (int Score = 0; Score <= 15; ++Score) {
        Texts.emplace_back(MainFontPixels, " " + std::to_string(Score) + " ");
    }
    return Texts;
}

} // namespace

TEST_F(FontTable, EveryTextOfTheWindowsIsTheFacesOwnToTheBit) {
    for (const auto &[Height, Text] : WindowTexts()) {
        for (bool Underline : {false, true}) {
            const Surface Game = DrawnByGame(Height, Text, Underline);
            const Surface Face = DrawnByTtf(Height, Text, Underline);
            EXPECT_EQ(Game.Pixels, Face.Pixels)
                << '"' << Text << "\" at " << Height << (Underline ? ", underlined" : "");
        }
        EXPECT_EQ(TextHeight(GetFont(Height)), RenderLine(Height).Height);
    }
}

TEST_F(FontTable, EveryCarriedCharacterAtEveryHeightIsTheFacesOwn) {
    std::string Ascii;
    for (char Character = 0x20; Character < 0x7F; ++Character) {
        Ascii += Character;
    }
    for (int32_t Height : {12, 13, 19, 21, 35, 37, 96}) {
        EXPECT_EQ(DrawnByGame(Height, Ascii.substr(0, 40), false).Pixels,
                  DrawnByTtf(Height, Ascii.substr(0, 40), false).Pixels)
            << Height;
        EXPECT_EQ(DrawnByGame(Height, Ascii.substr(40), true).Pixels,
                  DrawnByTtf(Height, Ascii.substr(40), true).Pixels)
            << Height;
    }
}
