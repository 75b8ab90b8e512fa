// The window's typeface: character heights as the windows ask for them, the underline, and
// clipping.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "assets/Designs.h"
#include "platform/Font.h"

TEST(FrameText, AFullWidthCharacterIsAsWideAsTheHeightAskedFor) {
    // The em square is the character height: a kanji or kana fills it across, a half-width letter
    // half of it; a full-width Latin letter is as wide as a kanji.
    EXPECT_EQ(TextWidth(GetFont(19), "決"), 19);
    EXPECT_EQ(TextWidth(GetFont(35), "バ"), 35);
    EXPECT_EQ(TextWidth(GetFont(96), "Ｚ"), 96);
    for (int32_t Height : {13, 19, 21, 35, 37}) {
        const Typ_Font &Font = GetFont(Height);
        EXPECT_NEAR(TextWidth(Font, "Z") * 2, Height, 1) << Height;
        EXPECT_EQ(TextWidth(Font, "12"), 2 * TextWidth(Font, "1")) << "fixed pitch";
        EXPECT_GE(TextHeight(Font), Height);
        EXPECT_LT(TextHeight(Font), Height * 3 / 2 + 2);
    }
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
    DrawText(Whole, 50, 30, "GO 12", Font, 0xFFFFFF, true);
    DrawText(Clipped, -20, -10, "GO 12", Font, 0xFFFFFF, true);
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
