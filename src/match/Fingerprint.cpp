// The simulation's fingerprint: what two machines compare before they play together, so that they
// never play two different games. It is a hash of a short match played with the rules of this
// build, so any change of what a tick does changes it, and nothing else does.
#include "records/BasCmnDef.h"
#include "records/MatchFields.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/KeySets.h"
#include "platform/Random.h"

namespace {

constexpr int FingerprintTicks = 400;
constexpr int EndTicks = 6000; // room for a few rallies until a side takes its 15th point

// The K-th of the ten keys of the two sets: the letter keys, then the keypad's.
int32_t TrialKey(int K) {
    return KeySets[K / KeyRole::Count][K % KeyRole::Count];
}

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

namespace {

// The two people on characters 0 and 1, the computer on 2 and 3, a fresh match.
void StartTrial(uint32_t Position) {
    ClearMatch();
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
    // Played from scripted keys, whatever the keyboard holds now.
    const KeyReader KeptReader = CurrentKeyReader();
    SetKeyReader(nullptr);
    StartTrial(0x5A6F7262u);
    uint32_t Hash = 2166136261u;
    for (int Tick = 0; Tick < FingerprintTicks && Gl_ServeSide != MatchOver; ++Tick) {
        // Keys that come and go in a fixed pattern, so that every move of the key sets is met.
        for (int K = 0; K < 10; ++K) {
            SetScriptedKey(TrialKey(K), ((Tick / (K + 2)) + K) % 3 == 0);
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
            SetScriptedKey(TrialKey(K), Super ? InSuper : ((Tick / (K + 3)) + K) % 4 == 0);
        }
        TickMatch();
        Hash = Mix(Hash, MatchChecksum());
        Note(Reached);
    }
    ReleaseScriptedKeys();
    SetKeyReader(KeptReader);
    Gl_Canvas = KeptCanvas;
    RestoreMatch(Kept);
    return Hash;
}
