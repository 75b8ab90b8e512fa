// One frame of the match, rebuilt in full from the pictures at every tick, and the one rule that
// drawing owns: a full gauge flashes, and empties itself after its 101st white frame.
#include "match/Draw.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "records/BasCmnDef.h"
#include "match/Match.h"

// Read at every tick; on a cache line of its own for the same reason as the match's record.
alignas(64) Typ_MatchCanvas Gl_Canvas;

namespace {

constexpr int32_t White = RGB(255, 255, 255);
constexpr uint32_t ScoreColour = RGB(255, 255, 0);
constexpr int32_t ScoreFontHeight = 37;
constexpr int32_t ScoreY = 65;
constexpr int32_t ScoreX[2] = {100, 320};
constexpr int32_t ShadowY = 285;
constexpr int16_t FlashesBeforeEmpty = 100;

// The gauge's colour this frame. A full gauge is white whenever the blink is 0, and each such
// frame counts toward its expiry.
int32_t GaugeColourThisFrame(Typ_Player &P) {
    if (P.Power < 100 || Gl_Blink != 0) {
        return P.GaugeColor;
    }
    P.FlashCount = P.FlashCount + 1;
    if (P.FlashCount > FlashesBeforeEmpty) {
        P.Power = 0;
        P.FlashCount = 0;
    }
    return White;
}

// A score as the game prints a number: a blank where a sign would go, the digits, a blank. The
// text is short enough to live inside the string itself, so nothing is allocated per frame.
void DrawScore(Surface &Screen, const Typ_Font &Font, int16_t Side) {
    char Text[16];
    std::snprintf(Text, sizeof Text, " %" PRId64 " ", int64_t(Gl_Teams[Side].Score));
    DrawText(Screen, ScoreX[Side], ScoreY, std::string(Text), Font, ScoreColour, Gl_ServeSide == Side);
}

} // namespace

void BlitMasked(const Surface &Sheet, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t ImageX,
                int32_t SourceY, int32_t MaskX) {
    Surface &Screen = *Gl_Canvas.Screen;
    BitBlt(Screen, X, Y, Width, Height, Sheet, MaskX, SourceY, SRCAND);
    BitBlt(Screen, X, Y, Width, Height, Sheet, ImageX, SourceY, SRCPAINT);
}

void DrawCourt() {
    if (Gl_Canvas.Screen != nullptr) {
        BitBlt(*Gl_Canvas.Screen, 0, 0, 480, 360, *Gl_Canvas.Pic_Back, 0, 0, SRCCOPY);
    }
}

void DrawFrame() {
    Gl_Blink = Gl_Blink + 1;
    if (Gl_Blink > 1) {
        Gl_Blink = 0;
    }
    Surface *Screen = Gl_Canvas.Screen;
    DrawCourt();
    if (Screen != nullptr) {
        const Typ_Font &Font = Gl_Canvas.Font != nullptr ? *Gl_Canvas.Font : GetFont(ScoreFontHeight);
        DrawScore(*Screen, Font, 0);
        DrawScore(*Screen, Font, 1);
        // The shadow lies on the floor under the ball whatever its height: the AND step alone.
        BitBlt(*Screen, Gl_BallX, ShadowY, 24, 12, *Gl_Canvas.Pic_Ball, 24, 168, SRCAND);
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        Typ_Player &P = Gl_Players[Index];
        if (Screen != nullptr) {
            BlitMasked(*Gl_Canvas.Pic_Tumbler, P.X, P.Y, 32, 32, P.CellX, P.CellY, P.MaskX);
            if (P.State == Charging) {
                BlitMasked(*Gl_Canvas.Pic_Kouka, P.X - 8, P.Y - 16, 48, 48, 0, 48 * P.Tick, 48);
            }
        }
        const int32_t Colour = GaugeColourThisFrame(P);
        if (Screen != nullptr) {
            FillRect(*Screen, 15 + 110 * Index, 10, P.Power, 10, static_cast<uint32_t>(Colour));
        }
    }
    if (Screen != nullptr) {
        BlitMasked(*Gl_Canvas.Pic_Ball, Gl_BallX, Gl_BallY, 24, 24, 0, Gl_BallCell, 24);
    }
}
