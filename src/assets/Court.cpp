// The court: a gym's back wall of dark bricks with a large pale emblem painted on it, the skirting,
// and a two-tone grey floor between two court lines, split by the centre line. Its bands lie at
// the heights the match relies on: the characters stand on the near strip, the shadow falls on it.
#include "assets/Sheets.h"

#include "assets/Raster.h"

namespace {

// The court's own palette of dark reds and greys.
constexpr uint32_t Mortar = Rgb(40, 12, 12);
constexpr uint32_t Brick[3] = {Rgb(104, 28, 24), Rgb(120, 36, 32), Rgb(92, 24, 24)};
constexpr uint32_t BrickTop = Rgb(140, 52, 44);
constexpr uint32_t Paint = Rgb(216, 200, 192);
constexpr uint32_t PaintShade = Rgb(176, 156, 148);
constexpr uint32_t SkirtingTop = Rgb(150, 150, 150);
constexpr uint32_t Skirting = Rgb(104, 104, 104);
constexpr uint32_t SkirtingBottom = Rgb(64, 64, 64);
constexpr uint32_t CourtLine = Rgb(224, 224, 224);
constexpr uint32_t FarFloor = Rgb(128, 128, 128);
constexpr uint32_t FarSeam = Rgb(116, 116, 116);
constexpr uint32_t NearFloor = Rgb(168, 168, 168);
constexpr uint32_t NearSeam = Rgb(154, 154, 154);
constexpr uint32_t NearLine = Rgb(255, 255, 255);
constexpr uint32_t Edge = Skirting;
constexpr uint32_t EdgeDark = SkirtingBottom;

constexpr int32_t BrickWidth = 32;
constexpr int32_t BrickHeight = 12;

// The emblem, as an ink map over the wall: a ring around the creature's face, the game's mark.
enum EmblemInk : uint8_t { Bare, Painted, Shaded };

InkMap Emblem() {
    InkMap Map(480, 241);
    const double Cx = 240, Cy = 122;
    FillEllipse(Map, Cx, Cy, 92, 92, Painted);
    FillEllipse(Map, Cx, Cy, 82, 82, Bare);
    // Face: round head with two upright eyes and a big snout, in paint on the bricks.
    FillEllipse(Map, Cx - 19, Cy - 50, 14, 21, Painted);
    FillEllipse(Map, Cx + 19, Cy - 50, 14, 21, Painted);
    FillEllipse(Map, Cx - 19, Cy - 48, 7, 11, Bare);
    FillEllipse(Map, Cx + 19, Cy - 48, 7, 11, Bare);
    FillEllipse(Map, Cx, Cy + 12, 58, 50, Painted);
    FillEllipse(Map, Cx, Cy + 22, 30, 18, Shaded);
    FillEllipse(Map, Cx - 11, Cy + 22, 6, 9, Bare);
    FillEllipse(Map, Cx + 11, Cy + 22, 6, 9, Bare);
    return Map;
}

uint32_t WallPixel(int32_t X, int32_t Y, const InkMap &Paintwork) {
    const int32_t Course = Y / BrickHeight;
    const int32_t Shift = Course % 2 == 0 ? 0 : BrickWidth / 2;
    const int32_t InBrickX = (X + Shift) % BrickWidth;
    const int32_t InBrickY = Y % BrickHeight;
    if (InBrickX == 0 || InBrickY == BrickHeight - 1) {
        return Mortar; // the paint sits on the bricks, so the mortar lines show through it
    }
    const uint8_t Ink = Paintwork.At(X, Y);
    if (Ink == Painted) {
        return Paint;
    }
    if (Ink == Shaded) {
        return PaintShade;
    }
    if (InBrickY == 0) {
        return BrickTop;
    }
    const int32_t BrickNumber = (X + Shift) / BrickWidth;
    return Brick[(BrickNumber * 7 + Course * 5) % 3];
}

uint32_t FloorPixel(int32_t X, int32_t Y) {
    if ((X == 239 || X == 240) && Y >= 250 && Y <= 337) {
        return NearLine; // the centre line
    }
    if (Y <= 241) {
        return SkirtingTop;
    }
    if (Y <= 248) {
        return Skirting;
    }
    if (Y == 249) {
        return SkirtingBottom;
    }
    if (Y <= 253) {
        return CourtLine;
    }
    if (Y <= 283) {
        return X % 60 == 30 ? FarSeam : FarFloor;
    }
    if (Y <= 333) {
        return X % 60 == 0 ? NearSeam : NearFloor;
    }
    if (Y <= 337) {
        return NearLine;
    }
    return Y == 338 ? EdgeDark : Edge;
}

} // namespace

Surface BuildCourt() {
    Surface Court(480, 360);
    const InkMap Paintwork = Emblem();
    for (int32_t Y = 0; Y < 360; ++Y) {
        uint32_t *Row = Court.Row(Y);
        for (int32_t X = 0; X < 480; ++X) {
            Row[X] = Y <= 240 ? WallPixel(X, Y, Paintwork) : FloorPixel(X, Y);
        }
    }
    return Court;
}
