// Rectangle copies: the three operations as bitwise combinations, clipping at both pictures'
// edges, and sprites drawn through their masks over any background.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>

#include "TestHelpers.h"
#include "assets/Pictures.h"
#include "match/Draw.h"
#include "platform/Surface.h"

namespace {

// What a copy must leave, computed pixel by pixel with the clipping spelled out.
Surface Expected(const Surface &Dest, int32_t X, int32_t Y, int32_t W, int32_t H, const Surface &Src,
                 int32_t SX, int32_t SY, RasterOp Op) {
    Surface Result = Dest;
    for (int32_t Row = 0; Row < H; ++Row) {
        for (int32_t Column = 0; Column < W; ++Column) {
            const int32_t DX = X + Column, DY = Y + Row, FX = SX + Column, FY = SY + Row;
            if (DX < 0 || DY < 0 || DX >= Dest.Width || DY >= Dest.Height || FX < 0 || FY < 0 ||
                FX >= Src.Width || FY >= Src.Height) {
                continue;
            }
            const uint32_t From = Src.At(FX, FY), To = Dest.At(DX, DY);
            Result.Set(DX, DY, Op == SRCCOPY ? From : Op == SRCAND ? (To & From) : (To | From));
        }
    }
    return Result;
}

} // namespace

TEST(BitBlt, CombinesPixelsBitwiseForEachOperation) {
    Surface Dest(4, 1);
    Dest.Pixels = {0x0F0F0F, 0xFFFFFF, 0x000000, 0x123456};
    Surface Src(4, 1);
    Src.Pixels = {0x00FF00, 0x000000, 0xFFFFFF, 0x654321};
    Surface Copy = Dest, And = Dest, Or = Dest;
    EXPECT_TRUE(BitBlt(Copy, 0, 0, 4, 1, Src, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(And, 0, 0, 4, 1, Src, 0, 0, SRCAND));
    EXPECT_TRUE(BitBlt(Or, 0, 0, 4, 1, Src, 0, 0, SRCPAINT));
    EXPECT_EQ(Copy.Pixels, Src.Pixels);
    EXPECT_EQ(And.Pixels, (PixelVector{0x000F00, 0x000000, 0x000000, 0x123456 & 0x654321}));
    EXPECT_EQ(Or.Pixels, (PixelVector{0x0FFF0F, 0xFFFFFF, 0xFFFFFF, 0x123456 | 0x654321}));
}

TEST(BitBlt, ClipsAtTheDestinationsAndTheSourcesEdges) {
    const Surface Src = Numbered(20, 15, 0x100000);
    const Surface Dest = Numbered(30, 25, 0x500000);
    const struct {
        int32_t X, Y, W, H, SX, SY;
    } Cases[] = {
        {5, 5, 10, 8, 2, 3},     // wholly inside
        {-4, -3, 10, 8, 0, 0},   // over the destination's top left
        {25, 20, 10, 8, 0, 0},   // over its bottom right
        {5, 5, 10, 8, -3, -2},   // from before the source's top left
        {5, 5, 10, 8, 15, 12},   // past its bottom right
        {-6, 22, 40, 10, -2, 9}, // over several edges at once
        {0, 0, 30, 25, 0, 0},    // larger than the source
        {0, 0, 20, 15, 0, 0},    // the whole source
    };
    for (RasterOp Op : {SRCCOPY, SRCAND, SRCPAINT}) {
        for (const auto &C : Cases) {
            Surface Got = Dest;
            BitBlt(Got, C.X, C.Y, C.W, C.H, Src, C.SX, C.SY, Op);
            EXPECT_EQ(Got.Pixels, Expected(Dest, C.X, C.Y, C.W, C.H, Src, C.SX, C.SY, Op).Pixels)
                << "op " << Op << " at (" << C.X << ", " << C.Y << ") " << C.W << " x " << C.H << " from ("
                << C.SX << ", " << C.SY << ")";
        }
    }
}

TEST(BitBlt, CopiesNothingWhenTheRectangleMissesAPicture) {
    const Surface Src = Numbered(10, 10, 0x100000);
    const Surface Dest = Numbered(10, 10, 0x500000);
    const struct {
        int32_t X, Y, W, H, SX, SY;
    } Misses[] = {{10, 0, 5, 5, 0, 0}, {0, -5, 5, 5, 0, 0}, {0, 0, 5, 5, 10, 0},
                  {0, 0, 5, 5, 0, -5}, {0, 0, 0, 5, 0, 0},  {0, 0, 5, -1, 0, 0}};
    for (const auto &M : Misses) {
        Surface Got = Dest;
        EXPECT_FALSE(BitBlt(Got, M.X, M.Y, M.W, M.H, Src, M.SX, M.SY, SRCCOPY));
        EXPECT_EQ(Got.Pixels, Dest.Pixels);
    }
}

TEST(BitBlt, WholeWidthCopiesMatchRowByRowCopies) {
    // Copies between pictures of one width go as one block; they must land exactly as row copies.
    const Surface Src = Numbered(48, 40, 0x200000);
    for (int32_t Y : {-7, 0, 5, 30}) {
        for (int32_t SY : {-3, 0, 6}) {
            const Surface Dest = Numbered(48, 36, 0x600000);
            Surface Got = Dest;
            BitBlt(Got, 0, Y, 48, 40, Src, 0, SY, SRCCOPY);
            EXPECT_EQ(Got.Pixels, Expected(Dest, 0, Y, 48, 40, Src, 0, SY, SRCCOPY).Pixels) << Y << " " << SY;
        }
    }
}

TEST(BitBlt, CopiesWithinOnePictureAsIfThroughACopy) {
    const Surface Before = Numbered(16, 16, 0x300000);
    for (int32_t Shift : {-3, 3}) {
        Surface Got = Before;
        BitBlt(Got, 4 + Shift, 4 + Shift, 8, 8, Got, 4, 4, SRCCOPY);
        EXPECT_EQ(Got.Pixels, Expected(Before, 4 + Shift, 4 + Shift, 8, 8, Before, 4, 4, SRCCOPY).Pixels);
        Surface Rows = Before;
        BitBlt(Rows, 0, Shift, 16, 10, Rows, 0, 3, SRCCOPY);
        EXPECT_EQ(Rows.Pixels, Expected(Before, 0, Shift, 16, 10, Before, 0, 3, SRCCOPY).Pixels);
    }
}

TEST(FillRect, FillsOnlyTheClippedRectangle) {
    const Surface Before = Numbered(20, 20, 0x400000);
    Surface Got = Before;
    FillRect(Got, -5, 15, 10, 10, 0xABCDEF);
    for (int32_t Y = 0; Y < 20; ++Y) {
        for (int32_t X = 0; X < 20; ++X) {
            const bool In = X < 5 && Y >= 15;
            ASSERT_EQ(Got.At(X, Y), In ? 0xABCDEFu : Before.At(X, Y)) << X << ", " << Y;
        }
    }
    Surface Empty = Before;
    FillRect(Empty, 3, 3, 0, 10, 0xABCDEF);
    FillRect(Empty, 3, 3, 10, 0, 0xABCDEF);
    FillRect(Empty, 30, 3, 10, 10, 0xABCDEF);
    EXPECT_EQ(Empty.Pixels, Before.Pixels);
}

TEST(BlitMasked, LeavesTheBackgroundWhereTheMaskIsWhiteAndShowsTheImageWhereItIsBlack) {
    const Typ_Pictures &All = GetPictures();
    const Typ_MatchCanvas Saved = Gl_Canvas;
    std::mt19937 Random(3);
    Surface Background(64, 64);
    for (uint32_t &Pixel : Background.Pixels) {
        Pixel = Random() & 0xFFFFFF;
    }
    struct Sprite {
        const Surface *Sheet;
        int32_t Size, ImageX, Y, MaskX;
    };
    std::vector<Sprite> Sprites;
    for (int32_t Row = 0; Row < 11; ++Row) {
        for (int32_t Column = 0; Column < 8; ++Column) {
            Sprites.push_back({&All.Pic_Tumbler, 32, Column * 32, Row * 32, 256 + Column % 2 * 32});
        }
    }
    for (int32_t Row = 0; Row < 7; ++Row) {
        Sprites.push_back({&All.Pic_Ball, 24, 0, Row * 24, 24});
    }
    for (int32_t Frame = 0; Frame < 3; ++Frame) {
        Sprites.push_back({&All.Pic_Kouka, 48, 0, Frame * 48, 48});
    }
    for (const Sprite &S : Sprites) {
        Surface Screen = Background;
        Gl_Canvas.Screen = &Screen;
        BlitMasked(*S.Sheet, 5, 7, S.Size, S.Size, S.ImageX, S.Y, S.MaskX);
        for (int32_t Y = 0; Y < 64; ++Y) {
            for (int32_t X = 0; X < 64; ++X) {
                const bool InCell = X >= 5 && Y >= 7 && X < 5 + S.Size && Y < 7 + S.Size;
                const bool Opaque = InCell && S.Sheet->At(S.MaskX + X - 5, S.Y + Y - 7) == 0;
                const uint32_t Want =
                    Opaque ? S.Sheet->At(S.ImageX + X - 5, S.Y + Y - 7) : Background.At(X, Y);
                ASSERT_EQ(Screen.At(X, Y), Want)
                    << "sprite at y " << S.Y << ", pixel (" << X << ", " << Y << ")";
            }
        }
    }
    Gl_Canvas = Saved;
}

// A new picture is black, or all of its fill colour, whatever its memory held before: small pictures
// reuse freed memory, large ones come fresh from the system, and the two are given out differently.
TEST(Surface, ANewPictureHoldsOnlyItsFillWhateverItsMemoryHeldBefore) {
    for (const auto &[Width, Height] : {std::pair<int32_t, int32_t>{3, 3}, {480, 360}}) {
        for (int Round = 0; Round < 3; ++Round) {
            {
                Surface Used(Width, Height, 0xABCDEF);
                Used.Set(1, 1, 0x123456);
            }
            const Surface Black(Width, Height);
            ASSERT_EQ(std::count(Black.Pixels.begin(), Black.Pixels.end(), 0u), Width * Height)
                << Width << " x " << Height << ", round " << Round;
            const Surface Filled(Width, Height, 0x00FF00);
            ASSERT_EQ(std::count(Filled.Pixels.begin(), Filled.Pixels.end(), 0x00FF00u), Width * Height);
            Surface Grown = Filled;
            Grown.Pixels.resize(Grown.Pixels.size() * 2);
            EXPECT_EQ(std::count(Grown.Pixels.begin(), Grown.Pixels.end(), 0u), Width * Height)
                << "a grown picture's new pixels are black";
            EXPECT_EQ(Grown.Pixels.front(), 0x00FF00u);
        }
    }
}
