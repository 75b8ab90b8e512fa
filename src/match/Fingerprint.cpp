// The simulation's fingerprint: what two machines compare before they play together, so that they
// never play two different games. It is a hash of a short match played with the rules of this
// build, so any change of what a tick does changes it, and nothing else does.
#include "records/BasCmnDef.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"

namespace {

constexpr int FingerprintTicks = 400;
constexpr int EndTicks = 6000; // room for a few rallies until a side takes its 15th point
constexpr int32_t Keys[] = {VK_Y,       VK_N,       VK_G,       VK_J,       VK_Z,
                            VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP};

uint32_t Mix(uint32_t Hash, int64_t Value) {
    for (int Byte = 0; Byte < 8; ++Byte) {
        Hash = (Hash ^ uint32_t((Value >> (8 * Byte)) & 0xFF)) * 16777619u;
    }
    return Hash;
}

} // namespace

uint32_t MatchChecksum() {
    uint32_t Hash = 2166136261u;
    for (const Typ_Player &P : Gl_Players) {
        for (int64_t Field :
             {int64_t(P.Side),      int64_t(P.Control),   int64_t(P.KeySet),     int64_t(P.State),
              int64_t(P.Phase),     int64_t(P.AnimFrame), int64_t(P.Spent),      int64_t(P.RunSpeed),
              int64_t(P.JumpSpeed), int64_t(P.Stat3),     int64_t(P.Power),      int64_t(P.X),
              int64_t(P.Y),         int64_t(P.OldX),      int64_t(P.OldY),       int64_t(P.VX),
              int64_t(P.VY),        int64_t(P.CellX),     int64_t(P.CellY),      int64_t(P.MaskX),
              int64_t(P.Slot),      int64_t(P.BackDir),   int64_t(P.Tick),       int64_t(P.Tick2),
              int64_t(P.InUp),      int64_t(P.InDown),    int64_t(P.InBack),     int64_t(P.InFront),
              int64_t(P.InHit),     int64_t(P.ComboBack), int64_t(P.ComboFront), int64_t(P.GaugeColor),
              int64_t(P.FlashCount)}) {
            Hash = Mix(Hash, Field);
        }
    }
    for (const Typ_Team &T : Gl_Teams) {
        Hash = Mix(Mix(Hash, T.Score), T.Members);
    }
    for (int64_t Field :
         {int64_t(Gl_BallX), int64_t(Gl_BallY), int64_t(Gl_BallVX), int64_t(Gl_BallVY), int64_t(Gl_BallKind),
          int64_t(Gl_BallCell), int64_t(Gl_BallAnim), int64_t(Gl_PointWinner), int64_t(Gl_PointDelay),
          int64_t(Gl_ServeSide), int64_t(Gl_Blink)}) {
        Hash = Mix(Hash, Field);
    }
    return Mix(Hash, int64_t(RndPosition()));
}

namespace {

// The two people on characters 0 and 1, the computer on 2 and 3, a fresh match.
void StartTrial(uint32_t Position) {
    ClearGameState();
    SetRndPosition(Position);
    for (int I = 0; I < 4; ++I) {
        Gl_Players[I].Side = I % 2;
        Gl_Players[I].Slot = I / 2;
        Gl_Players[I].Control = I < 2 ? 1 : ComputerControl;
        Gl_Players[I].KeySet = I < 2 ? I : -1;
        Gl_Teams[I % 2].Members = Gl_Teams[I % 2].Members + 1;
    }
    StartMatch();
}

void Note(FingerprintTrials *Reached) {
    if (Reached == nullptr) {
        return;
    }
    for (const Typ_Player &P : Gl_Players) {
        Reached->FullGauge = Reached->FullGauge || P.Power == 100;
        Reached->SuperMove = Reached->SuperMove || P.State == SuperMove;
    }
    Reached->Won = Reached->Won || Gl_ServeSide == MatchOver;
}

} // namespace

uint32_t SimulationFingerprint(FingerprintTrials *Reached) {
    Typ_MatchSnapshot Kept;
    SaveMatch(Kept);
    const Typ_MatchCanvas KeptCanvas = Gl_Canvas;
    Gl_Canvas = Typ_MatchCanvas{};
    // A match of its own, which no window hears of: no timer is started and no title shown.
    MatchHost *const KeptHost = CurrentMatchHost();
    SetMatchHost(nullptr);
    // Played from scripted keys, whatever the keyboard holds now.
    const KeyReader KeptReader = CurrentKeyReader();
    SetKeyReader(nullptr);
    StartTrial(0x5A6F7262u);
    uint32_t Hash = 2166136261u;
    for (int Tick = 0; Tick < FingerprintTicks && Gl_ServeSide != MatchOver; ++Tick) {
        // Keys that come and go in a fixed pattern, so that every move of the key sets is met.
        for (int K = 0; K < 10; ++K) {
            SetScriptedKey(Keys[K], ((Tick / (K + 2)) + K) % 3 == 0);
        }
        TickMatch();
        Hash = Mix(Hash, MatchChecksum());
        Note(Reached);
    }
    // The end of a match: both sides one point from winning and both people's gauges full, the
    // first person calling the super move now and then, until a side takes its 15th point.
    StartTrial(0x456E6421u);
    Gl_Teams[0].Score = 14;
    Gl_Teams[1].Score = 14;
    Gl_Players[0].Power = 100;
    Gl_Players[1].Power = 100;
    for (int Tick = 0; Tick < EndTicks && Gl_ServeSide != MatchOver; ++Tick) {
        const bool Super = Tick % 45 < 4;
        for (int K = 0; K < 10; ++K) {
            // Down, front, back and hit of the letter keys together: the super move.
            const bool InSuper = K == 1 || K == 2 || K == 3 || K == 4;
            SetScriptedKey(Keys[K], Super ? InSuper : ((Tick / (K + 3)) + K) % 4 == 0);
        }
        TickMatch();
        Hash = Mix(Hash, MatchChecksum());
        Note(Reached);
    }
    ReleaseScriptedKeys();
    SetKeyReader(KeptReader);
    Gl_Canvas = KeptCanvas;
    SetMatchHost(KeptHost);
    RestoreMatch(Kept);
    return Hash;
}
