// The ball sheet (seven balls and the shadow) and the effect sheet (the charge aura), drawn from
// shapes into ink maps like the characters.
#include "assets/Sheets.h"

#include <cmath>

#include "assets/Raster.h"

namespace {

enum Ink : uint8_t { None, Line, Main, Dark, Glint, Flame, FlameCore, Bolt, Deep };

// One palette serves the whole sheet; each ball picks its colours by ink.
struct BallColours {
    uint32_t Main, Dark, Glint;
};

// A shaded ball filling an ellipse: dark along its lower right, a glint on its upper left.
void DrawBall(InkMap &Map, double Cx, double Cy, double Rx, double Ry) {
    FillEllipse(Map, Cx, Cy, Rx, Ry, Line);
    FillEllipse(Map, Cx, Cy, Rx - 1, Ry - 1, Dark);
    FillEllipse(Map, Cx - 1.2, Cy - 1.2, Rx - 2.4, Ry - 2.4, Main);
    FillEllipse(Map, Cx - Rx * 0.4, Cy - Ry * 0.4, Rx * 0.18 + 0.6, Ry * 0.18 + 0.6, Glint);
}

// Flames licking up and back around a ball at the cell's lower middle. Phase moves the tongues.
void DrawFlames(InkMap &Map, int32_t Phase) {
    const double Tops[2][5] = {{2, 6, 0.5, 5, 3}, {5, 1, 4, 0.5, 6}};
    for (int32_t Tongue = 0; Tongue < 5; ++Tongue) {
        const double BaseX = 4.0 + Tongue * 4.0;
        const double Sway = Phase == 0 ? -1.5 : 1.5;
        FillPolygon(Map, {BaseX - 3.5, 16, BaseX + Sway, Tops[Phase][Tongue], BaseX + 3.5, 16}, Flame);
    }
    FillEllipse(Map, 12, 15, 10, 8, Flame);
    for (int32_t Tongue = 0; Tongue < 5; ++Tongue) {
        const double BaseX = 4.0 + Tongue * 4.0;
        const double Sway = Phase == 0 ? -1.0 : 1.0;
        FillPolygon(Map, {BaseX - 2, 14, BaseX + Sway, Tops[Phase][Tongue] + 4, BaseX + 2, 14}, FlameCore);
    }
}

// A zigzag bolt of lightning through the given points.
void DrawBolt(InkMap &Map, const std::vector<double> &Points) {
    for (size_t I = 0; I + 3 < Points.size(); I += 2) {
        FillStroke(Map, Points[I], Points[I + 1], Points[I + 2], Points[I + 3], 0.8, Bolt);
    }
}

void DrawSparkle(InkMap &Map, double Cx, double Cy, double Size) {
    FillPolygon(Map,
                {Cx, Cy - Size, Cx + Size * 0.3, Cy - Size * 0.3, Cx + Size, Cy, Cx + Size * 0.3,
                 Cy + Size * 0.3, Cx, Cy + Size, Cx - Size * 0.3, Cy + Size * 0.3, Cx - Size, Cy,
                 Cx - Size * 0.3, Cy - Size * 0.3},
                Bolt);
}

void PaintBall(Surface &Sheet, int32_t Y, const InkMap &Map, const BallColours &Colours) {
    const uint32_t Palette[] = {Vga::Black, Vga::Black,  Colours.Main, Colours.Dark, Colours.Glint,
                                Vga::Red,   Vga::Yellow, Vga::Yellow,  Vga::Maroon};
    PaintImage(Sheet, 0, Y, Map, Palette);
    PaintMask(Sheet, 24, Y, Map);
}

} // namespace

Surface BuildBallSheet() {
    Surface Sheet(48, 180);
    const BallColours Blue = {Vga::Blue, Vga::Navy, Vga::White};
    const BallColours RedBall = {Vga::Red, Vga::Maroon, Vga::White};
    // Plain ball: a disc 22 pixels across, centred.
    InkMap Plain(24, 24);
    DrawBall(Plain, 12, 12, 11, 11);
    PaintBall(Sheet, 0, Plain, Blue);
    // Struck ball, squashed flat and stretched tall.
    InkMap Flat(24, 24);
    DrawBall(Flat, 12, 12, 12, 9);
    PaintBall(Sheet, 24, Flat, RedBall);
    InkMap Tall(24, 24);
    DrawBall(Tall, 12, 12, 9, 12);
    PaintBall(Sheet, 48, Tall, RedBall);
    // Power shot: the red ball in flames, two frames.
    for (int32_t Phase = 0; Phase < 2; ++Phase) {
        InkMap Burning(24, 24);
        DrawFlames(Burning, Phase);
        AddOutline(Burning, Line);
        DrawBall(Burning, 12, 15.5, 8, 8);
        PaintBall(Sheet, 72 + 24 * Phase, Burning, RedBall);
    }
    // Super shot: a yellow ball crackling with lightning, then a dark yellow one with sparks.
    InkMap Lightning(24, 24);
    DrawBolt(Lightning, {1, 3, 6, 7, 4, 9, 9, 12});
    DrawBolt(Lightning, {23, 2, 18, 6, 20, 8, 15, 11});
    DrawBolt(Lightning, {2, 22, 6, 18, 4, 16, 9, 14});
    DrawBolt(Lightning, {22, 22, 18, 19, 20, 16, 15, 13});
    AddOutline(Lightning, Line);
    DrawBall(Lightning, 12, 12, 8, 8);
    FillStroke(Lightning, 9, 8, 13, 11, 0.6, Line);
    FillStroke(Lightning, 13, 11, 11, 13, 0.6, Line);
    FillStroke(Lightning, 11, 13, 15, 16, 0.6, Line);
    PaintBall(Sheet, 120, Lightning, {Vga::Yellow, Vga::Olive, Vga::White});
    InkMap Sparks(24, 24);
    DrawSparkle(Sparks, 3.5, 3.5, 3.5);
    DrawSparkle(Sparks, 20.5, 5, 3);
    DrawSparkle(Sparks, 4, 20, 3);
    DrawSparkle(Sparks, 20, 20.5, 3.5);
    DrawSparkle(Sparks, 12, 2, 2);
    DrawSparkle(Sparks, 22, 13, 2);
    AddOutline(Sparks, Line);
    DrawBall(Sparks, 12, 12, 8, 8);
    PaintBall(Sheet, 144, Sparks, {Vga::Olive, Vga::Black, Vga::Yellow});
    // The shadow: only its mask is used, a black ellipse 22 x 10 centred in its 24 x 12 cell.
    InkMap Shadow(24, 12);
    FillEllipse(Shadow, 12, 6, 11, 5, Line);
    PaintMask(Sheet, 24, ShadowY, Shadow);
    return Sheet;
}

namespace {

enum AuraInk : uint8_t { Clear, AuraEdge, AuraBody, AuraCore };

// One frame of the rising aura. Flames rise from the bottom of the 48 x 48 cell to Height pixels;
// over the character's body (which the aura is drawn on top of) they thin to a sparse glitter so
// the character stays in view.
InkMap AuraFrame(int32_t Frame) {
    InkMap Map(48, 48);
    const double Height = 16.0 + 15.0 * Frame;
    const double Ground = 48.0;
    // Flame tongues: each a pointed arch across the cell.
    const int32_t Tongues = 7;
    for (int32_t Tongue = 0; Tongue < Tongues; ++Tongue) {
        const double CentreX = 3.5 + Tongue * (41.0 / (Tongues - 1));
        const double Edge = std::fabs(CentreX - 24.0) / 24.0;
        const double Reach = Height * (1.0 - 0.45 * Edge * Edge) * ((Tongue + Frame) % 2 == 0 ? 1.0 : 0.82);
        const double Sway = ((Tongue + Frame) % 3) - 1.0;
        FillPolygon(Map,
                    {CentreX - 5.5, Ground, CentreX - 4.0, Ground - Reach * 0.55, CentreX + Sway,
                     Ground - Reach, CentreX + 4.0, Ground - Reach * 0.55, CentreX + 5.5, Ground},
                    AuraBody);
        FillPolygon(
            Map, {CentreX - 2.5, Ground, CentreX + Sway * 0.5, Ground - Reach * 0.6, CentreX + 2.5, Ground},
            AuraCore);
    }
    // Hollow where the character stands (its cell is at 8, 16 in the aura's cell).
    for (int32_t Y = 0; Y < 48; ++Y) {
        for (int32_t X = 0; X < 48; ++X) {
            const double Dx = (X + 0.5 - 24.0) / 11.0;
            const double Dy = (Y + 0.5 - 34.0) / 12.5;
            if (Dx * Dx + Dy * Dy <= 1.0 && Map.At(X, Y) != Clear) {
                const uint32_t Scatter = (static_cast<uint32_t>(X) * 73856093u) ^
                                         (static_cast<uint32_t>(Y) * 19349663u) ^
                                         (static_cast<uint32_t>(Frame) * 83492791u);
                const bool Glitter = Scatter % 11 == 0;
                Map.Put(X, Y, Glitter ? AuraCore : Clear);
            }
        }
    }
    // Rims in teal where flame meets the background, for a crisp edge.
    const InkMap Before = Map;
    for (int32_t Y = 0; Y < 48; ++Y) {
        for (int32_t X = 0; X < 48; ++X) {
            if (Before.At(X, Y) == AuraBody &&
                (Before.At(X - 1, Y) == Clear || Before.At(X + 1, Y) == Clear ||
                 Before.At(X, Y - 1) == Clear)) {
                Map.Put(X, Y, AuraEdge);
            }
        }
    }
    return Map;
}

} // namespace

Surface BuildAuraSheet() {
    Surface Sheet(96, 144);
    const uint32_t Palette[] = {Vga::Black, Vga::Teal, Vga::Aqua, Vga::White};
    for (int32_t Frame = 0; Frame < AuraFrames; ++Frame) {
        const InkMap Map = AuraFrame(Frame);
        PaintImage(Sheet, 0, 48 * Frame, Map, Palette);
        PaintMask(Sheet, 48, 48 * Frame, Map);
    }
    return Sheet;
}
