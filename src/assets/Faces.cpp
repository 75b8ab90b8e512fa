// Close-ups of the creature's face: the title picture (orange, with a blue drop under its snout),
// the four faces of the select window, the window icon and the mouse pointer. All come from one
// face drawn at the size each picture needs.
#include "assets/Sheets.h"

#include "assets/Raster.h"

namespace {

enum Ink : uint8_t { None, Line, Skin, SkinShade, EyeWhite, Pupil, Snout, Nostril, Drop, Glint, Letter };

// Where the parts of a face lie, in the picture's pixels.
struct FaceShape {
    double HeadX, HeadY, HeadRx, HeadRy;
    double EyeX[2], EyeY, EyeRx, EyeRy;
    double PupilRx, PupilRy;
    double SnoutX, SnoutY, SnoutRx, SnoutRy;
    double NostrilDx, NostrilRx, NostrilRy;
    double Rim; // outline thickness
};

void DrawFace(InkMap &Map, const FaceShape &F) {
    // Head, shaded toward its bottom.
    FillEllipse(Map, F.HeadX, F.HeadY, F.HeadRx + F.Rim, F.HeadRy + F.Rim, Line);
    FillEllipse(Map, F.HeadX, F.HeadY, F.HeadRx, F.HeadRy, SkinShade);
    FillEllipse(Map, F.HeadX - F.HeadRx * 0.08, F.HeadY - F.HeadRy * 0.1, F.HeadRx * 0.92, F.HeadRy * 0.88,
                Skin);
    // Two upright eyes, looking a little inward and down.
    for (int32_t Side = 0; Side < 2; ++Side) {
        FillEllipse(Map, F.EyeX[Side], F.EyeY, F.EyeRx + F.Rim, F.EyeRy + F.Rim, Line);
        FillEllipse(Map, F.EyeX[Side], F.EyeY, F.EyeRx, F.EyeRy, EyeWhite);
        const double Inward = Side == 0 ? 1.0 : -1.0;
        FillEllipse(Map, F.EyeX[Side] + Inward * F.EyeRx * 0.3, F.EyeY + F.EyeRy * 0.25, F.PupilRx, F.PupilRy,
                    Pupil);
        FillEllipse(Map, F.EyeX[Side] + Inward * F.EyeRx * 0.3 - F.PupilRx * 0.35,
                    F.EyeY + F.EyeRy * 0.25 - F.PupilRy * 0.4, F.PupilRx * 0.3, F.PupilRy * 0.25, Glint);
    }
    // The big snout with its two nostrils.
    FillEllipse(Map, F.SnoutX, F.SnoutY, F.SnoutRx + F.Rim, F.SnoutRy + F.Rim, Line);
    FillEllipse(Map, F.SnoutX, F.SnoutY, F.SnoutRx, F.SnoutRy, Snout);
    for (double Dx : {-F.NostrilDx, F.NostrilDx}) {
        FillEllipse(Map, F.SnoutX + Dx, F.SnoutY, F.NostrilRx, F.NostrilRy, Nostril);
    }
}

} // namespace

Surface BuildTitlePicture() {
    // The face fills the whole picture; the title words and the menu are written over it, the menu
    // across the dark snout.
    InkMap Map(256, 240);
    FillBox(Map, 0, 0, 256, 240, Skin);
    const FaceShape Face = {128, 150, 220, 200, {44, 212}, 62, 32, 50, 14,
                            20,  128, 186, 84,  46,        42, 16, 22, 3};
    DrawFace(Map, Face);
    // A blue drop hanging under the right nostril.
    const double DropX = 170, DropY = 222;
    FillPolygon(
        Map, {DropX - 1.5, DropY - 26, DropX + 1.5, DropY - 26, DropX + 11, DropY - 3, DropX - 11, DropY - 3},
        Line);
    FillEllipse(Map, DropX, DropY, 12, 12, Line);
    FillPolygon(
        Map, {DropX - 0.5, DropY - 23, DropX + 0.5, DropY - 23, DropX + 9, DropY - 2, DropX - 9, DropY - 2},
        Drop);
    FillEllipse(Map, DropX, DropY, 9.5, 9.5, Drop);
    FillEllipse(Map, DropX - 3.5, DropY - 3, 2.5, 3.5, Glint);
    const uint32_t Palette[] = {Vga::Black, Vga::Black, Rgb(255, 128, 0), Rgb(192, 80, 0),
                                Vga::White, Vga::Black, Rgb(88, 32, 8),   Vga::Black,
                                Vga::Blue,  Vga::White, Vga::White};
    Surface Picture(256, 240);
    PaintImage(Picture, 0, 0, Map, Palette);
    return Picture;
}

Surface BuildFace(int32_t Index) {
    InkMap Map(64, 60);
    const FaceShape Face = {32, 36, 30, 26, {20, 44}, 17, 8, 12, 3.5, 5.5, 32, 40, 15, 9.5, 6.5, 3, 4.5, 1};
    DrawFace(Map, Face);
    constexpr uint32_t SkinColour[4] = {Vga::Red, Vga::Yellow, Vga::Lime, Vga::Blue};
    constexpr uint32_t ShadeColour[4] = {Vga::Maroon, Vga::Olive, Vga::Green, Vga::Navy};
    const uint32_t Palette[] = {Vga::Black, Vga::Black, SkinColour[Index],  ShadeColour[Index],
                                Vga::White, Vga::Black, ShadeColour[Index], Vga::Black,
                                Vga::Blue,  Vga::White, Vga::White};
    // A frame of sky blue behind the face.
    Surface Picture(64, 60, Rgb(0, 128, 128));
    for (int32_t Y = 0; Y < 60; ++Y) {
        for (int32_t X = 0; X < 64; ++X) {
            const uint8_t Value = Map.At(X, Y);
            if (Value != None) {
                Picture.Set(X, Y, Palette[Value]);
            }
        }
    }
    return Picture;
}

namespace {

// The icon's lettering: a bold capital Z with a black rim, like a badge on the face. Each of its 7 x 7
// cells is Scale pixels wide, so the badge keeps its place and size on the face at every icon size.
void DrawZ(InkMap &Map, int32_t X, int32_t Y, int32_t Scale) {
    static const char *Rows[7] = {"#######", "#######", "....##.", "...##..",
                                  "..##...", "#######", "#######"};
    InkMap Letters(Map.Width, Map.Height);
    for (int32_t Row = 0; Row < 7 * Scale; ++Row) {
        for (int32_t Column = 0; Column < 7 * Scale; ++Column) {
            if (Rows[Row / Scale][Column / Scale] == '#') {
                Letters.Put(X + Column, Y + Row, Letter);
            }
        }
    }
    AddOutline(Letters, Line);
    for (size_t I = 0; I < Map.Ink.size(); ++I) {
        if (Letters.Ink[I] != None) {
            Map.Ink[I] = Letters.Ink[I];
        }
    }
}

} // namespace

void BuildIcon(int32_t Size, Surface &Image, Surface &Mask) {
    InkMap Map(Size, Size);
    const double S = Size / 32.0;
    const FaceShape Face = {16 * S,  17 * S, 14.5 * S, 13.5 * S, {10 * S, 22 * S}, 7 * S,
                            4 * S,   6 * S,  2 * S,    3 * S,    16 * S,           19 * S,
                            7.5 * S, 5 * S,  3.2 * S,  1.5 * S,  2.2 * S,          1};
    DrawFace(Map, Face);
    // Too small to read below 32 pixels; from there it grows with the face, by whole pixels per cell.
    if (Size >= 32) {
        const int32_t Scale = Size / 32;
        DrawZ(Map, 23 * Size / 32, 23 * Size / 32, Scale);
    }
    AddOutline(Map, Line);
    const uint32_t Palette[] = {Vga::Black,  Vga::Black, Vga::Red,  Vga::Maroon, Vga::White, Vga::Black,
                                Vga::Maroon, Vga::Black, Vga::Blue, Vga::White,  Vga::Yellow};
    Image = Surface(Size, Size);
    Mask = Surface(Size, Size);
    PaintImage(Image, 0, 0, Map, Palette);
    PaintMask(Mask, 0, 0, Map);
}

void BuildCursor(Surface &Image, Surface &Mask) {
    // The snout with two nostrils and two upright eyes, white with a black rim so that it shows on
    // any background. The hot spot (16, 20) is the middle of the snout.
    InkMap Map(32, 32);
    for (double X : {10.5, 21.5}) {
        FillEllipse(Map, X, 8, 4.5, 7, Line);
        FillEllipse(Map, X, 8, 3.5, 6, EyeWhite);
        FillEllipse(Map, X + (X < 16 ? 1 : -1), 9.5, 1.5, 2.5, Pupil);
    }
    FillEllipse(Map, 16, 20.5, 11, 7.5, Line);
    FillEllipse(Map, 16, 20.5, 10, 6.5, EyeWhite);
    FillEllipse(Map, 12, 20.5, 2, 3, Pupil);
    FillEllipse(Map, 20, 20.5, 2, 3, Pupil);
    const uint32_t Palette[] = {Vga::Black, Vga::Black, Vga::White, Vga::White, Vga::White, Vga::Black,
                                Vga::White, Vga::Black, Vga::White, Vga::White, Vga::White};
    Image = Surface(32, 32);
    Mask = Surface(32, 32);
    PaintImage(Image, 0, 0, Map, Palette);
    PaintMask(Mask, 0, 0, Map);
}
