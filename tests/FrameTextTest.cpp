// The window's typeface: character heights as the windows ask for them, full-width forms, the
// underline, and clipping.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "assets/Designs.h"
#include "platform/Font.h"

TEST(FrameText, AFullWidthCharacterIsAsWideAsTheHeightAskedFor) {
    // The em square is the character height: a kanji fills it across, a half-width letter half.
    for (int32_t Height : {12, 13, 19, 21, 35, 37, 96}) {
        const Typ_Font &Font = GetFont(Height);
        EXPECT_EQ(TextWidth(Font, "決"), Height) << Height;
        EXPECT_EQ(TextWidth(Font, "ボ"), Height) << Height;
        EXPECT_NEAR(TextWidth(Font, "Z") * 2, Height, 1) << Height;
        EXPECT_EQ(TextWidth(Font, "12"), 2 * TextWidth(Font, "1")) << "fixed pitch";
        EXPECT_GE(TextHeight(Font), Height);
        EXPECT_LT(TextHeight(Font), Height * 3 / 2 + 2);
    }
}

TEST(FrameText, FullWidthLettersAreDrawnAsTheLetterInAFullWidthCell) {
    const Typ_Font &Font = GetFont(96);
    EXPECT_EQ(TextWidth(Font, "Ｚ"), TextWidth(Font, "決"));
    Surface Wide(200, 150), Narrow(200, 150);
    DrawText(Wide, 0, 0, "Ｚ", Font, 0xFF00FF, false);
    DrawText(Narrow, 0, 0, "Z", Font, 0xFF00FF, false);
    // The same strokes, moved to the middle of the wider cell.
    const int32_t Shift = TextWidth(Font, "Z") / 2;
    int32_t Covered = 0;
    for (int32_t Y = 0; Y < 150; ++Y) {
        for (int32_t X = 0; X + Shift < 200; ++X) {
            ASSERT_EQ(Wide.At(X + Shift, Y), Narrow.At(X, Y));
            Covered += Narrow.At(X, Y) != 0;
        }
    }
    EXPECT_GT(Covered, 500);
}

TEST(FrameText, TextIsOneColourWithNoBoxAndTheUnderlineRunsUnderAllOfIt) {
    const Typ_Font &Font = GetFont(37);
    const int32_t Width = TextWidth(Font, " 7 ");
    Surface Plain(120, 80, 0x123456), Lined(120, 80, 0x123456);
    DrawText(Plain, 10, 5, " 7 ", Font, 0x00FFFF, false);
    DrawText(Lined, 10, 5, " 7 ", Font, 0x00FFFF, true);
    int32_t UnderlineRows = 0;
    for (int32_t Y = 0; Y < 80; ++Y) {
        int32_t Extra = 0;
        for (int32_t X = 0; X < 120; ++X) {
            ASSERT_TRUE(Plain.At(X, Y) == 0x123456 || Plain.At(X, Y) == 0x00FFFF);
            const bool InCell = X >= 10 && X < 10 + Width && Y >= 5 && Y < 5 + TextHeight(Font);
            ASSERT_TRUE(InCell || Lined.At(X, Y) == 0x123456) << X << ", " << Y;
            Extra += Lined.At(X, Y) != Plain.At(X, Y);
            ASSERT_TRUE(Plain.At(X, Y) == 0x123456 || Lined.At(X, Y) == 0x00FFFF)
                << "the underline adds only";
        }
        if (Extra > 0) {
            UnderlineRows++;
            for (int32_t X = 10; X < 10 + Width; ++X) {
                ASSERT_EQ(Lined.At(X, Y), 0x00FFFFu) << "underline row " << Y << " broken at " << X;
            }
        }
    }
    EXPECT_GE(UnderlineRows, 1);
    EXPECT_LE(UnderlineRows, 3);
}

TEST(FrameText, TextIsClippedAtTheSurfacesEdges) {
    const Typ_Font &Font = GetFont(37);
    Surface Whole(200, 100), Clipped(30, 20);
    DrawText(Whole, 50, 30, "決定 12", Font, 0xFFFFFF, true);
    DrawText(Clipped, -20, -10, "決定 12", Font, 0xFFFFFF, true);
    for (int32_t Y = 0; Y < 20; ++Y) {
        for (int32_t X = 0; X < 30; ++X) {
            ASSERT_EQ(Clipped.At(X, Y), Whole.At(X + 70, Y + 40));
        }
    }
    Surface Missed = Clipped;
    DrawText(Missed, 40, 0, "12", Font, 0xFFFFFF, true);
    DrawText(Missed, 0, -200, "12", Font, 0xFFFFFF, true);
    EXPECT_EQ(Missed.Pixels, Clipped.Pixels);
}

TEST(FrameText, TheKeptTypefaceDrawsEveryTextTheWindowsShow) {
    std::vector<const LabelDesign *> Labels;
    for (const LabelDesign &Label : TitleWordDesigns) {
        Labels.push_back(&Label);
    }
    for (const LabelDesign &Label : PlayerItemDesigns) {
        Labels.push_back(&Label);
    }
    for (const LabelDesign &Label : SelectTitleDesigns) {
        Labels.push_back(&Label);
    }
    for (const LabelDesign *Label : Labels) {
        EXPECT_TRUE(TypefaceCovers(Label->FontPixels, Label->Caption)) << Label->Caption;
    }
    // Scores and the select screen's labels above the faces.
    EXPECT_TRUE(TypefaceCovers(MainFontPixels, " 0123456789 "));
    EXPECT_TRUE(TypefaceCovers(PlayDesigns[0].FontPixels, "1P2PCOM"));
    EXPECT_FALSE(TypefaceCovers(37, "\xE6\xBC\xA2")) << "a kanji no window shows is left out";
    EXPECT_FALSE(TypefaceCovers(14, "1")) << "a height no window uses is left out";
}

TEST(FrameText, TheTitleWordsShowWholeInTheirLabels) {
    for (const LabelDesign &Word : {TitleWordDesigns[0], TitleWordDesigns[1]}) {
        EXPECT_GE(Word.Height, TextHeight(GetFont(Word.FontPixels))) << Word.Caption;
        EXPECT_GE(Word.Width, TextWidth(GetFont(Word.FontPixels), Word.Caption)) << Word.Caption;
    }
}

TEST(FrameText, TheScoresZeroIsPlainWithNothingInsideIt) {
    const Typ_Font &Font = GetFont(MainFontPixels);
    Surface Zero(60, 60);
    DrawText(Zero, 0, 0, "0", Font, 0xFFFFFF, false);
    // The middle row through the zero: ink, then an empty inside, then ink again; never a bar.
    int32_t Top = -1, Bottom = -1;
    for (int32_t Y = 0; Y < 60; ++Y) {
        for (int32_t X = 0; X < 60; ++X) {
            if (Zero.At(X, Y) != 0) {
                Top = Top < 0 ? Y : Top;
                Bottom = Y;
            }
        }
    }
    ASSERT_GT(Bottom - Top, 20);
    for (int32_t Y = Top + (Bottom - Top) / 3; Y <= Bottom - (Bottom - Top) / 3; ++Y) {
        int32_t Strokes = 0;
        for (int32_t X = 1; X < 60; ++X) {
            Strokes += Zero.At(X, Y) != 0 && Zero.At(X - 1, Y) == 0;
        }
        EXPECT_EQ(Strokes, 2) << "row " << Y;
    }
}

TEST(FrameText, EveryLabelOfTheWindowsShowsItsTextWhole) {
    // A label cuts its text at its edges: every stroke must fall inside it.
    std::vector<std::pair<const LabelDesign *, std::string>> Shown;
    for (const LabelDesign &Label : TitleWordDesigns) {
        Shown.emplace_back(&Label, Label.Caption);
    }
    for (size_t I = 1; I < 4; ++I) {
        Shown.emplace_back(&PlayerItemDesigns[I], PlayerItemDesigns[I].Caption);
    }
    for (const LabelDesign &Label : SelectTitleDesigns) {
        Shown.emplace_back(&Label, Label.Caption);
    }
    for (const LabelDesign &Label : PlayDesigns) {
        for (const char *Text : {"1P", "2P", "COM"}) {
            Shown.emplace_back(&Label, Text);
        }
    }
    for (const auto &[Label, Text] : Shown) {
        const Typ_Font &Font = GetFont(Label->FontPixels);
        const int32_t Width = TextWidth(Font, Text);
        Surface Whole(Width + 2, TextHeight(Font) + 2);
        DrawText(Whole, 0, 0, Text, Font, 0xFFFFFF, false);
        const int32_t Left = Label->Align == Alignment::Centre ? (Label->Width - Width) / 2 : 0;
        for (int32_t Y = 0; Y < Whole.Height; ++Y) {
            for (int32_t X = 0; X < Whole.Width; ++X) {
                if (Whole.At(X, Y) != 0) {
                    ASSERT_LT(Y, Label->Height) << Text << ": a stroke below the label";
                    ASSERT_GE(Left + X, 0) << Text;
                    ASSERT_LT(Left + X, Label->Width) << Text << ": a stroke past the label";
                }
            }
        }
    }
}
