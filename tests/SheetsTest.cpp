// The pictures' rules: masks pure black and white, images black wherever their mask lets the
// background through, mirrored facings, one outline for the four colours of a row, the binding
// sizes, and every cell the game can ask for inside its sheet.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "TestHelpers.h"
#include "assets/Pictures.h"

namespace {

constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;

struct Cell {
    const char *Sheet;
    const Surface *Picture;
    int32_t ImageX, MaskX, Y, Width, Height;
};

// Every image cell of the three sprite sheets with its mask cell.
std::vector<Cell> AllCells() {
    const Typ_Pictures &All = GetPictures();
    std::vector<Cell> Cells;
    for (int32_t Row = 0; Row < 11; ++Row) {
        for (int32_t Column = 0; Column < 8; ++Column) {
            Cells.push_back(
                {"Pic_Tumbler", &All.Pic_Tumbler, Column * 32, 256 + (Column % 2) * 32, Row * 32, 32, 32});
        }
    }
    for (int32_t Row = 0; Row < 7; ++Row) {
        Cells.push_back({"Pic_Ball", &All.Pic_Ball, 0, 24, Row * 24, 24, 24});
    }
    Cells.push_back({"Pic_Ball shadow", &All.Pic_Ball, 0, 24, 168, 24, 12});
    for (int32_t Frame = 0; Frame < 3; ++Frame) {
        Cells.push_back({"Pic_Kouka", &All.Pic_Kouka, 0, 48, Frame * 48, 48, 48});
    }
    return Cells;
}

// The extent of the black part of a mask cell: left, top, right, bottom (inclusive).
struct Extent {
    int32_t Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
};
Extent MaskExtent(const Surface &Sheet, int32_t X, int32_t Y, int32_t Width, int32_t Height) {
    Extent E;
    for (int32_t Row = 0; Row < Height; ++Row) {
        for (int32_t Column = 0; Column < Width; ++Column) {
            if (Sheet.At(X + Column, Y + Row) == Black) {
                E.Left = std::min(E.Left, Column);
                E.Right = std::max(E.Right, Column);
                E.Top = std::min(E.Top, Row);
                E.Bottom = std::max(E.Bottom, Row);
            }
        }
    }
    return E;
}

} // namespace

TEST(Pictures, HaveTheirBindingSizes) {
    const Typ_Pictures &All = GetPictures();
    const Typ_WindowPictures &First = GetWindowPictures();
    const struct {
        const Surface &Picture;
        int32_t Width, Height;
    } Expected[] = {{All.Pic_Tumbler, 320, 352},  {All.Pic_Ball, 48, 180},     {All.Pic_Kouka, 96, 144},
                    {All.Pic_Back, 480, 360},     {First.Title, 256, 240},     {All.Pic_Kao[0], 64, 60},
                    {All.Pic_Kao[3], 64, 60},     {First.Icon32, 32, 32},      {First.Icon16, 16, 16},
                    {First.Cursor, 32, 32},       {First.CursorMask, 32, 32}, {First.Icon32Mask, 32, 32}};
    for (const auto &E : Expected) {
        EXPECT_EQ(E.Picture.Width, E.Width);
        EXPECT_EQ(E.Picture.Height, E.Height);
        EXPECT_EQ(E.Picture.Pixels.size(), static_cast<size_t>(E.Width * E.Height));
    }
    // Pixels never use the top byte, so bitwise operations on them stay colours.
    for (const Surface *Picture :
         {&All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka, &All.Pic_Back, &First.Title}) {
        EXPECT_TRUE(std::all_of(Picture->Pixels.begin(), Picture->Pixels.end(),
                                [](uint32_t Pixel) { return (Pixel >> 24) == 0; }));
    }
}

TEST(Sheets, EveryMaskIsPureBlackAndWhiteAndEveryImageBlackWhereItsMaskIsWhite) {
    for (const Cell &C : AllCells()) {
        int32_t Opaque = 0;
        for (int32_t Row = 0; Row < C.Height; ++Row) {
            for (int32_t Column = 0; Column < C.Width; ++Column) {
                const uint32_t Mask = C.Picture->At(C.MaskX + Column, C.Y + Row);
                const uint32_t Image = C.Picture->At(C.ImageX + Column, C.Y + Row);
                ASSERT_TRUE(Mask == Black || Mask == White)
                    << C.Sheet << " mask at (" << C.MaskX + Column << ", " << C.Y + Row << ")";
                ASSERT_TRUE(Mask == Black || Image == Black)
                    << C.Sheet << " image at (" << C.ImageX + Column << ", " << C.Y + Row << ")";
                Opaque += Mask == Black;
            }
        }
        EXPECT_GT(Opaque, 0) << C.Sheet << " cell at y " << C.Y << " shows nothing";
    }
}

TEST(Sheets, FacingLeftCellsAndMasksMirrorFacingRight) {
    const Surface &Sheet = GetPictures().Pic_Tumbler;
    for (int32_t Y = 0; Y < 352; ++Y) {
        for (int32_t X = 0; X < 32; ++X) {
            for (int32_t Index = 0; Index < 4; ++Index) {
                ASSERT_EQ(Sheet.At(Index * 64 + X, Y), Sheet.At(Index * 64 + 63 - X, Y))
                    << "character " << Index << " at row y " << Y;
            }
            ASSERT_EQ(Sheet.At(256 + X, Y), Sheet.At(288 + 31 - X, Y)) << "mask at y " << Y;
        }
    }
}

TEST(Sheets, TheFourColoursOfARowShareOneOutline) {
    // The mask of a row serves all four characters: their images must be dark in the same places
    // and show colour only inside that mask.
    const Surface &Sheet = GetPictures().Pic_Tumbler;
    for (int32_t Y = 0; Y < 352; ++Y) {
        for (int32_t X = 0; X < 64; ++X) {
            const uint32_t Mask = Sheet.At(256 + X, Y);
            const bool Dark = Sheet.At(X, Y) == Black;
            for (int32_t Index = 1; Index < 4; ++Index) {
                ASSERT_EQ(Sheet.At(Index * 64 + X, Y) == Black, Dark)
                    << "character " << Index << " differs from character 0 at (" << X << ", " << Y << ")";
            }
            ASSERT_TRUE(Dark || Mask == Black);
        }
    }
}

TEST(Sheets, TheCharactersWearTheirGaugeColours) {
    // The standing pose of each character shows its own gauge colour, and no one else's.
    const Surface &Sheet = GetPictures().Pic_Tumbler;
    for (int32_t Index = 0; Index < 4; ++Index) {
        int32_t Own = 0;
        for (int32_t Y = 0; Y < 32; ++Y) {
            for (int32_t X = 0; X < 32; ++X) {
                const uint32_t Pixel = Sheet.At(Index * 64 + X, Y);
                Own += Pixel == static_cast<uint32_t>(IndexGaugeColor[Index]);
                for (int32_t Other = 0; Other < 4; ++Other) {
                    if (Other != Index) {
                        ASSERT_NE(Pixel, static_cast<uint32_t>(IndexGaugeColor[Other]))
                            << Index << " " << Other;
                    }
                }
            }
        }
        EXPECT_GT(Own, 100) << "character " << Index;
    }
}

TEST(Sheets, BallMasksHaveTheirShapes) {
    const Surface &Sheet = GetPictures().Pic_Ball;
    const struct {
        int32_t Y, Height, Width, Tall;
    } Shapes[] = {{0, 24, 22, 22}, {24, 24, 24, 18}, {48, 24, 18, 24}, {168, 12, 22, 10}};
    for (const auto &S : Shapes) {
        const Extent E = MaskExtent(Sheet, 24, S.Y, 24, S.Height);
        EXPECT_EQ(E.Right - E.Left + 1, S.Width) << "cell at y " << S.Y;
        EXPECT_EQ(E.Bottom - E.Top + 1, S.Tall) << "cell at y " << S.Y;
        // Centred: the same margin on both sides.
        EXPECT_EQ(E.Left, 24 - 1 - E.Right) << "cell at y " << S.Y;
        EXPECT_EQ(E.Top, S.Height - 1 - E.Bottom) << "cell at y " << S.Y;
    }
}

TEST(Sheets, PointerAndIconMasksMatchTheirPictures) {
    const Typ_WindowPictures &All = GetWindowPictures();
    const struct {
        const Surface &Image, &Mask;
    } Pairs[] = {{All.Cursor, All.CursorMask}, {All.Icon32, All.Icon32Mask}, {All.Icon16, All.Icon16Mask}};
    for (const auto &P : Pairs) {
        for (size_t I = 0; I < P.Mask.Pixels.size(); ++I) {
            ASSERT_TRUE(P.Mask.Pixels[I] == Black || P.Mask.Pixels[I] == White);
            ASSERT_TRUE(P.Mask.Pixels[I] == Black || P.Image.Pixels[I] == Black);
        }
    }
    // The pointer is black and white only, and its hot spot lies on the picture.
    for (uint32_t Pixel : All.Cursor.Pixels) {
        ASSERT_TRUE(Pixel == Black || Pixel == White);
    }
    EXPECT_EQ(All.CursorMask.At(CursorHotX, CursorHotY), Black);
}

TEST(Sheets, EveryCellTheGameAsksForLiesInsideItsSheet) {
    // Play whole matches with every kind of line-up and random keys held by two people, and check
    // each rectangle the frame would copy at every tick: in its sheet, in the character's own
    // colour column, with the mask of the same facing.
    const Typ_Pictures &All = GetPictures();
    auto Inside = [](const Surface &Sheet, int64_t X, int64_t Y, int64_t W, int64_t H) {
        return X >= 0 && Y >= 0 && X + W <= Sheet.Width && Y + H <= Sheet.Height;
    };
    const int32_t Keys[] = {'Y', 'N', 'G', 'J', 'Z', 0x68, 0x62, 0x64, 0x66, 0x26};
    std::mt19937 Random(7);
    int64_t MaxCellY = 0, MaxBallCell = 0, ChargingTicks = 0;
    for (int Match = 0; Match < 12; ++Match) {
        StartDefaultMatch();
        GiveToPerson(Match % 4, 0);
        GiveToPerson((Match + 1) % 4, 1);
        for (int Tick = 0; Tick < 6000 && Gl_ServeSide != MatchOver; ++Tick) {
            if (Tick % 3 == 0) {
                ReleaseScriptedKeys();
                for (int32_t Key : Keys) {
                    if (Random() % 3 == 0) {
                        SetScriptedKey(Key, true);
                    }
                }
            }
            const bool Live = Gl_PointWinner == -1;
            TickMatch();
            if (!Live && Gl_PointWinner == -1) {
                continue; // booked and reset: the next tick sets the cells before it draws them
            }
            for (int Index = 0; Index < 4; ++Index) {
                const Typ_Player &P = Gl_Players[Index];
                ASSERT_TRUE(Inside(All.Pic_Tumbler, P.CellX, P.CellY, 32, 32)) << P.CellX << ", " << P.CellY;
                ASSERT_TRUE(Inside(All.Pic_Tumbler, P.MaskX, P.CellY, 32, 32)) << P.MaskX << ", " << P.CellY;
                ASSERT_EQ(P.CellX / 64, Index) << "character " << Index << " drawn in another colour";
                ASSERT_EQ(P.CellX % 32, 0);
                ASSERT_EQ(P.CellY % 32, 0);
                ASSERT_EQ(P.MaskX, 256 + P.CellX % 64) << "mask of the other facing, character " << Index;
                MaxCellY = std::max<int64_t>(MaxCellY, P.CellY);
                if (P.State == Charging) {
                    ASSERT_TRUE(Inside(All.Pic_Kouka, 48, 48 * P.Tick, 48, 48)) << "aura frame " << P.Tick;
                    ChargingTicks++;
                }
            }
            ASSERT_TRUE(Inside(All.Pic_Ball, 24, Gl_BallCell, 24, 24)) << Gl_BallCell;
            ASSERT_EQ(Gl_BallCell % 24, 0);
            MaxBallCell = std::max<int64_t>(MaxBallCell, Gl_BallCell);
        }
    }
    // The matches reached deep into the sheets, so the checks above covered real cases.
    EXPECT_EQ(MaxCellY, 320);
    EXPECT_GE(MaxBallCell, 72);
    EXPECT_GT(ChargingTicks, 0);
}

TEST(Sheets, AreSixteenColourPicturesAndTheSpritesUseTheStandardPalette) {
    const Typ_Pictures &All = GetPictures();
    const std::set<uint32_t> Standard = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                         0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                         0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (const Surface *Sheet : {&All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka}) {
        for (uint32_t Pixel : Sheet->Pixels) {
            ASSERT_EQ(Standard.count(Pixel), 1u) << std::hex << Pixel;
        }
    }
    const Typ_WindowPictures &First = GetWindowPictures();
    for (const Surface *Picture : {&All.Pic_Back, &First.Icon32, &First.Icon16}) {
        const std::set<uint32_t> Colours(Picture->Pixels.begin(), Picture->Pixels.end());
        EXPECT_LE(Colours.size(), 16u);
    }
    // The shadow is black: the floor it falls on has no black of its own, so it always shows.
    for (int32_t Y = 284; Y < 334; ++Y) {
        for (int32_t X = 0; X < 480; ++X) {
            ASSERT_NE(All.Pic_Back.At(X, Y), 0u) << X << ", " << Y;
        }
    }
}
