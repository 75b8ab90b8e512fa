// The simulation's fingerprint: what two machines compare before they play together, so that they
// never play two different games. It is a hash of a short match played with the rules of this
// build, so any change of what a tick does changes it, and nothing else does.
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/KeySets.h"
#include "platform/Random.h"
#include "records/BasCmnDef.h"
#include "records/MatchFields.h"

namespace {

constexpr int FingerprintTicks = 400;

uint32_t Mix(uint32_t Hash, int64_t Value) {
    for (int Byte = 0; Byte < 8; ++Byte) {
        Hash = (Hash ^ uint32_t((Value >> (8 * Byte)) & 0xFF)) * 16777619u;
    }
    return Hash;
}

} // namespace

uint32_t MatchChecksum() {
    uint32_t Hash = 2166136261u;
    const auto Add = [&Hash](const char *, int64_t Field) { Hash = Mix(Hash, Field); };
    for (const Typ_Player &P : Gl_Players) {
        ForEachPlayerField(P, Add);
    }
    for (const Typ_Team &T : Gl_Teams) {
        ForEachTeamField(T, Add);
    }
    ForEachBallField(Gl_Match, Add);
    return Mix(Hash, int64_t(RndPosition()));
}

uint32_t SimulationFingerprint() {
    Typ_MatchSnapshot Kept;
    SaveMatch(Kept);
    const Typ_MatchCanvas KeptCanvas = Gl_Canvas;
    Gl_Canvas = Typ_MatchCanvas{};
    // Played from scripted keys, whatever the keyboard holds now.
    const KeyReader KeptReader = CurrentKeyReader();
    SetKeyReader(nullptr);
    ClearMatch();
    SetRndPosition(0x5A6F7262u);
    for (int I = 0; I < 4; ++I) {
        Gl_Players[I].Side = I % 2;
        Gl_Players[I].Slot = I / 2;
        Gl_Players[I].Control = I < 2 ? 1 : ComputerControl;
        Gl_Players[I].KeySet = I < 2 ? I : -1;
        Gl_Teams[I % 2].Members = Gl_Teams[I % 2].Members + 1;
    }
    StartMatch();
    uint32_t Hash = 2166136261u;
    for (int Tick = 0; Tick < FingerprintTicks && Gl_ServeSide != MatchOver; ++Tick) {
        // Keys that come and go in a fixed pattern, so that every move of the key sets is met.
        for (int K = 0; K < 10; ++K) {
            SetScriptedKey(KeySets[K / KeyRole::Count][K % KeyRole::Count], ((Tick / (K + 2)) + K) % 3 == 0);
        }
        TickMatch();
        Hash = Mix(Hash, MatchChecksum());
    }
    ReleaseScriptedKeys();
    SetKeyReader(KeptReader);
    Gl_Canvas = KeptCanvas;
    RestoreMatch(Kept);
    return Hash;
}
