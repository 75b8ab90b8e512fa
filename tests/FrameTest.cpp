// Frames drawn from known states: the court under everything, the gauges with their flashing and
// expiry, the scores with the serve underline, the shadow on the floor, and the stacking of the
// characters, their auras and the ball.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "assets/Pictures.h"

namespace {

constexpr uint32_t Yellow = 0x00FFFF;
constexpr uint32_t White = 0xFFFFFF;

class Frame : public ::testing::Test {
  protected:
    Surface Screen{480, 360};
    const Typ_Pictures &All = GetPictures();
    const Surface &Court = GetPictures().Pic_Back;

    void SetUp() override {
        StartDefaultMatch();
        Gl_Canvas =
            Typ_MatchCanvas{&Screen, &All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka, &All.Pic_Back, nullptr};
        // Everyone standing apart on the floor, facing the net, the ball high in the middle.
        const int32_t Xs[4] = {20, 400, 120, 300};
        for (int Index = 0; Index < 4; ++Index) {
            Place(Index, Xs[Index], 265, 0);
        }
        Gl_BallX = 228;
        Gl_BallY = 150;
        Gl_BallCell = 0;
    }

    void TearDown() override { Gl_Canvas = Typ_MatchCanvas{}; }

    static void Place(int Index, int32_t X, int32_t Y, int32_t Row) {
        Typ_Player &P = Gl_Players[Index];
        P.X = X;
        P.Y = Y;
        P.CellX = Index * 64 + P.Side * 32;
        P.CellY = Row * 32;
        P.MaskX = 256 + P.Side * 32;
    }

    // The pixel a sprite shows at a screen point, or -1 where it lets the background through.
    static int64_t SpritePixel(const Surface &Sheet, int32_t Left, int32_t Top, int32_t Size, int32_t ImageX,
                               int32_t SourceY, int32_t MaskX, int32_t X, int32_t Y) {
        if (X < Left || Y < Top || X >= Left + Size || Y >= Top + Size) {
            return -1;
        }
        if (Sheet.At(MaskX + X - Left, SourceY + Y - Top) != 0) {
            return -1;
        }
        return Sheet.At(ImageX + X - Left, SourceY + Y - Top);
    }
    int64_t CharacterPixel(int Index, int32_t X, int32_t Y) const {
        const Typ_Player &P = Gl_Players[Index];
        return SpritePixel(All.Pic_Tumbler, P.X, P.Y, 32, P.CellX, P.CellY, P.MaskX, X, Y);
    }
    int64_t BallPixel(int32_t X, int32_t Y) const {
        return SpritePixel(All.Pic_Ball, Gl_BallX, Gl_BallY, 24, 0, Gl_BallCell, 24, X, Y);
    }
    bool ShadowAt(int32_t X, int32_t Y) const {
        return X >= Gl_BallX && X < Gl_BallX + 24 && Y >= 285 && Y < 297 &&
               All.Pic_Ball.At(24 + X - Gl_BallX, 168 + Y - 285) == 0;
    }

    // The yellow pixels of the score text around (Left, 65), as a box, and whether one row of them
    // runs unbroken under the whole text.
    struct Text {
        int32_t Left = 1 << 30, Right = -1, Top = 1 << 30, Bottom = -1;
        bool Underlined = false;
    };
    Text ScoreText(int32_t Left, int32_t Width) const {
        Text T;
        for (int32_t Y = 30; Y < 160; ++Y) {
            int32_t Run = 0;
            for (int32_t X = Left - 40; X < Left + Width + 40; ++X) {
                if (Screen.At(X, Y) != Yellow) {
                    continue;
                }
                T.Left = std::min(T.Left, X);
                T.Right = std::max(T.Right, X);
                T.Top = std::min(T.Top, Y);
                T.Bottom = std::max(T.Bottom, Y);
                Run += X >= Left && X < Left + Width;
            }
            T.Underlined = T.Underlined || Run == Width;
        }
        return T;
    }
};

TEST_F(Frame, TheRallyResetShowsTheBareCourtAndEachFrameRedrawsAllOfIt) {
    FillRect(Screen, 0, 0, Screen.Width, Screen.Height, 0x123456u);
    ResetRally();
    EXPECT_EQ(Screen.Pixels, Court.Pixels);
    FillRect(Screen, 0, 0, Screen.Width, Screen.Height, 0x123456u);
    DrawFrame();
    for (uint32_t Pixel : Screen.Pixels) {
        ASSERT_NE(Pixel, 0x123456u) << "a pixel of the previous frame survived";
    }
    // Away from everything drawn on it, the frame is the court.
    for (int32_t Y = 150; Y < 240; ++Y) {
        for (int32_t X = 0; X < 80; ++X) {
            ASSERT_EQ(Screen.At(X, Y), Court.At(X, Y));
        }
    }
}

TEST_F(Frame, GaugesAreBoxesInTheirColoursAlongTheTop) {
    const int32_t Power[4] = {37, 0, 99, 64};
    for (int Index = 0; Index < 4; ++Index) {
        Gl_Players[Index].Power = Power[Index];
    }
    DrawFrame();
    for (int Index = 0; Index < 4; ++Index) {
        const int32_t Left = 15 + 110 * Index;
        for (int32_t X = Left - 1; X <= Left + 100; ++X) {
            for (int32_t Y = 9; Y <= 20; ++Y) {
                const bool InBox = X >= Left && X < Left + Power[Index] && Y >= 10 && Y < 20;
                ASSERT_EQ(Screen.At(X, Y),
                          InBox ? static_cast<uint32_t>(IndexGaugeColor[Index]) : Court.At(X, Y))
                    << "gauge " << Index << " at (" << X << ", " << Y << ")";
            }
        }
    }
}

TEST_F(Frame, AFullGaugeFlashesWhiteAndIsGoneAfterItsHundredAndFirstWhiteFrame) {
    Typ_Player &P = Gl_Players[2];
    const uint32_t Own = static_cast<uint32_t>(IndexGaugeColor[2]);
    P.Power = 100;
    Gl_Blink = 1; // the next frame is a white one
    DrawFrame();
    EXPECT_EQ(Screen.At(235, 10), White);
    EXPECT_EQ(Screen.At(334, 19), White);
    DrawFrame();
    EXPECT_EQ(Screen.At(235, 10), Own);
    EXPECT_EQ(Screen.At(334, 19), Own);
    // Ninety-nine more white frames keep it full; the next one empties it.
    for (int Frames = 0; Frames < 198; ++Frames) {
        DrawFrame();
    }
    EXPECT_EQ(P.Power, 100);
    EXPECT_EQ(P.FlashCount, 100);
    EXPECT_EQ(Screen.At(235, 10), Own);
    DrawFrame();
    EXPECT_EQ(P.Power, 0);
    for (int32_t X = 230; X < 340; ++X) {
        ASSERT_EQ(Screen.At(X, 15), Court.At(X, 15)) << "an empty gauge draws nothing, at x " << X;
    }
    DrawFrame();
    DrawFrame();
    EXPECT_EQ(Screen.At(235, 15), Court.At(235, 15));
}

TEST_F(Frame, ScoresArePrintedWithBlanksAndOnlyTheServingSideIsUnderlined) {
    ASSERT_EQ(std::count(Court.Pixels.begin(), Court.Pixels.end(), Yellow), 0)
        << "the court shows no text yellow";
    const Typ_Font &Font = GetFont(37);
    Gl_Teams[0].Score = 0;
    Gl_Teams[1].Score = 12;
    const int32_t Blank = TextWidth(Font, " ");
    const int32_t LeftWidth = TextWidth(Font, " 0 ");
    const int32_t RightWidth = TextWidth(Font, " 12 ");
    ASSERT_GT(Blank, 0);
    for (int16_t Serve : {0, 1, 3}) {
        Gl_ServeSide = Serve;
        DrawFrame();
        const Text Left = ScoreText(100, LeftWidth);
        const Text Right = ScoreText(320, RightWidth);
        EXPECT_EQ(Left.Underlined, Serve == 0) << "serving side " << Serve;
        EXPECT_EQ(Right.Underlined, Serve == 1) << "serving side " << Serve;
        // Inside their text cells, which start at (100, 65) and (320, 65).
        EXPECT_GE(Left.Top, 65);
        EXPECT_GE(Right.Top, 65);
        EXPECT_LT(Left.Bottom, 65 + TextHeight(Font));
        EXPECT_LT(Right.Bottom, 65 + TextHeight(Font));
        if (Serve == 3) {
            // Without the underline the blanks show: the digits start one blank in and end one
            // blank short of the cell's end.
            EXPECT_GE(Left.Left, 100 + Blank);
            EXPECT_LT(Left.Right, 100 + LeftWidth - Blank);
            EXPECT_GE(Right.Left, 320 + Blank);
            EXPECT_LT(Right.Right, 320 + RightWidth - Blank);
            EXPECT_GT(Right.Right - Right.Left, Left.Right - Left.Left) << "two digits are wider than one";
        } else {
            const Text &Underlined = Serve == 0 ? Left : Right;
            EXPECT_EQ(Underlined.Left, Serve == 0 ? 100 : 320) << "the underline runs under the whole text";
        }
    }
}

TEST_F(Frame, TheShadowLiesOnTheFloorUnderTheBallWhateverItsHeight) {
    for (int32_t BallY : {-200, 40, 200}) {
        Gl_BallY = BallY;
        DrawFrame();
        int32_t Dark = 0;
        for (int32_t Y = 270; Y < 310; ++Y) {
            for (int32_t X = 200; X < 260; ++X) {
                const uint32_t Want = ShadowAt(X, Y) ? 0u : Court.At(X, Y);
                ASSERT_EQ(Screen.At(X, Y), Want)
                    << "ball at y " << BallY << ", pixel (" << X << ", " << Y << ")";
                Dark += ShadowAt(X, Y);
            }
        }
        EXPECT_GT(Dark, 150);
    }
}

TEST_F(Frame, AHigherIndexCoversALowerOneAndItsAuraAndTheBallCoversEverything) {
    Place(0, 200, 265, 0);
    Place(1, 208, 265, 3);
    Place(2, 196, 261, 5);
    Gl_Players[0].State = Charging;
    Gl_Players[0].Tick = 2;
    Gl_BallX = 206;
    Gl_BallY = 262;
    DrawFrame();
    int32_t FromEach[5] = {};
    for (int32_t Y = 240; Y < 300; ++Y) {
        for (int32_t X = 180; X < 260; ++X) {
            const Typ_Player &Zero = Gl_Players[0];
            const int64_t Layers[5] = {
                BallPixel(X, Y),
                CharacterPixel(2, X, Y),
                CharacterPixel(1, X, Y),
                SpritePixel(All.Pic_Kouka, Zero.X - 8, Zero.Y - 16, 48, 0, 96, 48, X, Y),
                CharacterPixel(0, X, Y),
            };
            int64_t Want = -1;
            for (int Layer = 0; Layer < 5 && Want < 0; ++Layer) {
                if (Layers[Layer] >= 0) {
                    Want = Layers[Layer];
                    FromEach[Layer]++;
                }
            }
            if (Want < 0) {
                Want = ShadowAt(X, Y) ? 0 : Court.At(X, Y);
            }
            ASSERT_EQ(Screen.At(X, Y), static_cast<uint32_t>(Want)) << "pixel (" << X << ", " << Y << ")";
        }
    }
    for (int Layer = 0; Layer < 5; ++Layer) {
        EXPECT_GT(FromEach[Layer], 0) << "layer " << Layer << " shows somewhere";
    }
}

} // namespace
