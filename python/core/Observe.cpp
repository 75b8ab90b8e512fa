#include "python/core/Observe.h"

#include <algorithm>

#include "records/BasCmnDef.h"

namespace {

constexpr int CharacterFloats = 17;
constexpr float PixelScale = 0.01f;
constexpr float SpeedScale = 0.1f;
constexpr int32_t CharacterMirror = 480 - 32; // a character's x seen from the other side
constexpr int32_t BallMirror = 480 - 24;

void ObserveCharacter(const Typ_Player &P, bool Mirrored, int64_t MySide, float *Out) {
    const int64_t X = P.X, VX = P.VX, State = P.State;
    Out[0] = float(Mirrored ? CharacterMirror - X : X) * PixelScale;
    Out[1] = float(int64_t(P.Y)) * PixelScale;
    Out[2] = float(Mirrored ? -VX : VX) * SpeedScale;
    Out[3] = float(int64_t(P.VY)) * SpeedScale;
    Out[4] = P.Side == MySide ? 1.0f : 0.0f;
    Out[5] = float(int64_t(P.Power)) * 0.01f;
    std::fill(Out + 6, Out + CharacterFloats, 0.0f);
    if (State >= 1 && State <= 11) {
        Out[5 + State] = 1.0f;
    }
}

} // namespace

void ObserveMatch(int Me, float *Out) {
    const int64_t MySide = Gl_Players[Me].Side;
    const bool Mirrored = MySide != 0;
    ObserveCharacter(Gl_Players[Me], Mirrored, MySide, Out);
    float *Next = Out + CharacterFloats;
    // My side's others first, then the other side's, each in the order of their indexes.
    for (int OtherSide = 0; OtherSide < 2; ++OtherSide) {
        for (int I = 0; I < 4; ++I) {
            if (I != Me && (Gl_Players[I].Side != MySide) == (OtherSide == 1)) {
                ObserveCharacter(Gl_Players[I], Mirrored, MySide, Next);
                Next += CharacterFloats;
            }
        }
    }
    const int64_t BallX = Mirrored ? BallMirror - Gl_BallX : int64_t(Gl_BallX);
    const int64_t BallVX = Mirrored ? -int64_t(Gl_BallVX) : int64_t(Gl_BallVX);
    Next[0] = float(BallX) * PixelScale;
    Next[1] = float(int64_t(Gl_BallY)) * PixelScale;
    Next[2] = float(BallVX) * SpeedScale;
    Next[3] = float(int64_t(Gl_BallVY)) * SpeedScale;
    Next[4] = float(int64_t(Gl_BallKind));
    Next[5] = Gl_PointWinner == -1 ? 0.0f : (Gl_PointWinner - 1 == MySide ? 1.0f : -1.0f);
    Next[6] = float(int64_t(Gl_PointDelay)) / 20.0f;
    Next[7] = float(int64_t(Gl_Teams[MySide].Score)) / 15.0f;
    Next[8] = float(int64_t(Gl_Teams[1 - MySide].Score)) / 15.0f;
    Next[9] = Gl_ServeSide == MySide ? 1.0f : 0.0f;
}
