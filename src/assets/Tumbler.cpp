// The character sheet: one plump round creature seen from the front, eyes standing up on its head
// and a big snout, in eleven poses. Each pose is drawn once from shapes into an ink map, facing
// right; the facing-left cell is its mirror image, the four characters are the same map through
// four palettes, and the masks are taken from the map, so every rule of the sheet holds by
// construction.
#include "assets/Sheets.h"

#include "assets/Raster.h"

namespace {

enum Ink : uint8_t { None, Line, Body, Shade, Eye, Pupil, Spark, Shine, Bone };

// Body colour and its shade for characters 0 (red), 1 (yellow), 2 (green), 3 (blue).
constexpr uint32_t BodyColour[4] = {Vga::Red, Vga::Yellow, Vga::Lime, Vga::Blue};
constexpr uint32_t ShadeColour[4] = {Vga::Maroon, Vga::Olive, Vga::Green, Vga::Navy};

// The body: an outlined ball, shaded along its lower back, with a glint on its upper back.
void DrawBody(InkMap &Map, double Cx, double Cy, double Rx, double Ry) {
    OutlinedEllipse(Map, Cx, Cy, Rx, Ry, Body, Line);
    InkMap Lit(Map.Width, Map.Height);
    FillEllipse(Lit, Cx + 1.5, Cy - 2.0, Rx - 0.5, Ry - 0.5, Body);
    for (int32_t Y = 0; Y < Map.Height; ++Y) {
        for (int32_t X = 0; X < Map.Width; ++X) {
            if (Map.At(X, Y) == Body && Lit.At(X, Y) == None) {
                Map.Put(X, Y, Shade);
            }
        }
    }
    FillEllipse(Map, Cx - Rx * 0.55, Cy - Ry * 0.45, 1.3, 1.8, Shine);
}

// Two upright eyes on top of the head, looking toward the facing side.
void DrawEyes(InkMap &Map, double Cx, double Top, bool Wide) {
    const double Rx = Wide ? 3.0 : 2.5;
    const double Ry = Wide ? 4.5 : 4.0;
    const double Xs[2] = {Cx - 2.5, Cx + 3.5};
    for (double X : Xs) {
        OutlinedEllipse(Map, X, Top + Ry, Rx, Ry, Eye, Line);
    }
    for (double X : Xs) {
        if (Wide) {
            FillBox(Map, static_cast<int32_t>(X), static_cast<int32_t>(Top + Ry), 1, 1, Pupil);
        } else {
            FillBox(Map, static_cast<int32_t>(X), static_cast<int32_t>(Top + Ry - 1), 2, 3, Pupil);
        }
    }
}

// The big snout with its two nostrils, set toward the facing side.
void DrawSnout(InkMap &Map, double Cx, double Cy) {
    OutlinedEllipse(Map, Cx, Cy, 5.0, 3.5, Body, Line);
    FillBox(Map, static_cast<int32_t>(Cx) - 3, static_cast<int32_t>(Cy) - 1, 2, 2, Pupil);
    FillBox(Map, static_cast<int32_t>(Cx) + 1, static_cast<int32_t>(Cy) - 1, 2, 2, Pupil);
}

void DrawArm(InkMap &Map, double X0, double Y0, double X1, double Y1) {
    OutlinedStroke(Map, X0, Y0, X1, Y1, 1.9, Body, Line);
}

void DrawFoot(InkMap &Map, double X, double Y) {
    OutlinedEllipse(Map, X, Y, 3.5, 2.0, Shade, Line);
}

// The usual figure: feet, back arm, body, eyes, snout, front arm. Arms are given shoulder to hand.
struct Limbs {
    double BackArm[4];
    double FrontArm[4];
    double BackFoot[2];
    double FrontFoot[2];
};

InkMap Figure(const Limbs &L, double Cx, double Cy, double Rx, double Ry, bool WideEyes) {
    InkMap Map(32, 32);
    DrawFoot(Map, L.BackFoot[0], L.BackFoot[1]);
    DrawFoot(Map, L.FrontFoot[0], L.FrontFoot[1]);
    DrawArm(Map, L.BackArm[0], L.BackArm[1], L.BackArm[2], L.BackArm[3]);
    DrawBody(Map, Cx, Cy, Rx, Ry);
    DrawEyes(Map, Cx, Cy - Ry - 5.0, WideEyes);
    DrawSnout(Map, Cx + 3.5, Cy + 1.0);
    DrawArm(Map, L.FrontArm[0], L.FrontArm[1], L.FrontArm[2], L.FrontArm[3]);
    AddOutline(Map, Line);
    return Map;
}

const Limbs StandingLimbs = {{7, 20, 4.5, 25}, {25, 20, 27.5, 25}, {11, 29.5}, {21, 29.5}};

InkMap Standing() {
    return Figure(StandingLimbs, 16, 20, 10.5, 9.5, false);
}

InkMap WalkOne() {
    return Figure({{7, 19, 4.5, 24}, {25, 18, 30, 14}, {10, 29.5}, {23, 28.5}}, 16, 19, 10.5, 9.5, false);
}

InkMap WalkTwo() {
    return Figure({{7, 18, 2, 14}, {25, 19, 27.5, 24}, {9, 28.5}, {22, 29.5}}, 16, 19, 10.5, 9.5, false);
}

InkMap ArmsRaised() {
    return Figure({{8, 14, 4, 5}, {24, 14, 28, 5}, {12, 29.5}, {20, 29.5}}, 16, 19, 10, 10, false);
}

InkMap SpikePose() {
    return Figure({{7, 21, 3, 25}, {24, 13, 29, 2.5}, {11, 29.5}, {21, 29.5}}, 15, 20, 10.5, 9.5, false);
}

InkMap SwingPose() {
    return Figure({{8, 24, 13, 28.5}, {21, 25.5, 29.5, 28.5}, {10, 29.5}, {20, 29.5}}, 15, 19, 10.5, 9.5,
                  false);
}

InkMap Crouch() {
    InkMap Map(32, 32);
    DrawFoot(Map, 6, 29.5);
    DrawFoot(Map, 26, 29.5);
    DrawArm(Map, 5, 24, 2, 28);
    DrawBody(Map, 16, 24, 12.5, 7);
    DrawEyes(Map, 16, 24 - 7 - 5.5, false);
    DrawSnout(Map, 19.5, 25);
    DrawArm(Map, 27, 24, 29.5, 28);
    AddOutline(Map, Line);
    return Map;
}

// A small yellow spark, a four-pointed star.
void DrawSpark(InkMap &Map, double Cx, double Cy) {
    FillPolygon(Map,
                {Cx, Cy - 4.5, Cx + 1.3, Cy - 1.3, Cx + 4.5, Cy, Cx + 1.3, Cy + 1.3, Cx, Cy + 4.5, Cx - 1.3,
                 Cy + 1.3, Cx - 4.5, Cy, Cx - 1.3, Cy - 1.3},
                Spark);
}

InkMap Startled() {
    InkMap Map =
        Figure({{7, 18, 2.5, 13}, {25, 18, 29.5, 13}, {11, 29.5}, {21, 29.5}}, 16, 20, 10.5, 9.5, true);
    // An open mouth under the snout.
    OutlinedEllipse(Map, 19.5, 26, 1.5, 1.5, Pupil, Line);
    DrawSpark(Map, 5, 5);
    AddOutline(Map, Line);
    return Map;
}

// Burnt black by a power shot: the standing outline in black, only the eyes still white.
InkMap Charred() {
    InkMap Map = Standing();
    for (uint8_t &Value : Map.Ink) {
        if (Value != None && Value != Eye && Value != Pupil) {
            Value = Line;
        }
    }
    return Map;
}

// Struck by lightning: the body black with its white skeleton showing through, arms flung up.
InkMap Skeleton() {
    const Limbs L = {{8, 14, 4, 5}, {24, 14, 28, 5}, {11, 29.5}, {21, 29.5}};
    InkMap Map = Figure(L, 16, 20, 10.5, 9.5, false);
    for (uint8_t &Value : Map.Ink) {
        if (Value != None) {
            Value = Line;
        }
    }
    // Skull with two dark sockets, then spine, ribs, arm and leg bones.
    FillEllipse(Map, 16, 15.5, 5, 4, Bone);
    FillBox(Map, 13, 14, 2, 3, Line);
    FillBox(Map, 17, 14, 2, 3, Line);
    FillBox(Map, 14, 19, 4, 1, Bone);
    FillBox(Map, 15, 20, 2, 9, Bone);
    for (int32_t Rib = 0; Rib < 3; ++Rib) {
        FillBox(Map, 11 + Rib, 22 + 2 * Rib, 10 - 2 * Rib, 1, Bone);
    }
    FillStroke(Map, 8, 15, 4.5, 6, 0.5, Bone);
    FillStroke(Map, 24, 15, 27.5, 6, 0.5, Bone);
    FillBox(Map, 10, 29, 3, 1, Bone);
    FillBox(Map, 20, 29, 3, 1, Bone);
    // The eye stalks' bones.
    FillBox(Map, 13, 7, 1, 4, Bone);
    FillBox(Map, 19, 7, 1, 4, Bone);
    return Map;
}

// Knocked flat on its belly: squashed on the floor, feet kicked up behind, eyes dizzy crosses.
InkMap Lying() {
    InkMap Map(32, 32);
    DrawFoot(Map, 4, 21.5);
    DrawFoot(Map, 8, 20);
    DrawBody(Map, 15, 26.5, 13.5, 5);
    for (double X : {18.5, 25.0}) {
        OutlinedEllipse(Map, X, 19.5, 2.8, 2.8, Eye, Line);
        const int32_t Cx = static_cast<int32_t>(X);
        for (int32_t D = -1; D <= 1; ++D) {
            Map.Put(Cx + D, 19 + D, Pupil);
            Map.Put(Cx + D, 19 - D, Pupil);
        }
    }
    OutlinedEllipse(Map, 24.5, 27, 4.5, 2.5, Body, Line);
    FillBox(Map, 22, 27, 2, 1, Pupil);
    FillBox(Map, 26, 27, 2, 1, Pupil);
    DrawArm(Map, 28, 29, 30.5, 30);
    AddOutline(Map, Line);
    return Map;
}

} // namespace

Surface BuildTumblerSheet() {
    const InkMap Poses[TumblerRows] = {Standing(),  WalkOne(),   WalkTwo(), ArmsRaised(),
                                       SpikePose(), SwingPose(), Crouch(),  Startled(),
                                       Charred(),   Skeleton(),  Lying()};
    Surface Sheet(320, 352);
    for (int32_t Row = 0; Row < TumblerRows; ++Row) {
        const InkMap &Right = Poses[Row];
        const InkMap Left = Mirrored(Right);
        const int32_t Y = Row * 32;
        for (int32_t Index = 0; Index < 4; ++Index) {
            const uint32_t Palette[] = {Vga::Black,         Vga::Black, BodyColour[Index],
                                        ShadeColour[Index], Vga::White, Vga::Black,
                                        Vga::Yellow,        Vga::White, Vga::White};
            PaintImage(Sheet, Index * 64, Y, Right, Palette);
            PaintImage(Sheet, Index * 64 + 32, Y, Left, Palette);
        }
        PaintMask(Sheet, 256, Y, Right);
        PaintMask(Sheet, 288, Y, Left);
    }
    return Sheet;
}
