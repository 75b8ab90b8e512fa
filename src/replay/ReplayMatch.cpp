#include "replay/ReplayMatch.h"

#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "match/Lineup.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"
#include "records/BasCmnDef.h"

namespace {

// The keys of each person's set, in the order of the bits of PadInput: up, down, left, right, hit.
constexpr int32_t SetKeys[2][5] = {{VK_Y, VK_N, VK_G, VK_J, VK_Z},
                                   {VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP}};

// The fingerprint plays a short match: taken once per run.
uint32_t BuildFingerprint() {
    static const uint32_t Fingerprint = SimulationFingerprint();
    return Fingerprint;
}

} // namespace

PadInput PersonControls(int Person) {
    PadInput Controls = 0;
    for (int Bit = 0; Bit < 5; ++Bit) {
        if (KeyIsHeld(GetKeyState(SetKeys[Person][Bit]))) {
            Controls |= PadInput(1 << Bit);
        }
    }
    return Controls;
}

PadInput PersonControlsOfKeys(const std::vector<int> &Held, int Person) {
    PadInput Controls = 0;
    for (int Code : Held) {
        for (int Bit = 0; Bit < 5; ++Bit) {
            if (Code == SetKeys[Person][Bit]) {
                Controls |= PadInput(1 << Bit);
            }
        }
    }
    return Controls;
}

namespace {

// A sound file of this build's rules is taken; anything else keeps its reason.
ReplayCheck ThisBuilds(ReplayCheck Check, Typ_Replay &Read, Typ_Replay &Replay) {
    if (Check.Problem != ReplayProblem::None) {
        return Check;
    }
    // Another build's rules would play another match from the same keys.
    if (Read.Fingerprint != BuildFingerprint()) {
        char Text[128];
        std::snprintf(Text, sizeof Text,
                      "was played by another build of the game (fingerprint %08" PRIx32
                      ", this build %08" PRIx32 ")",
                      Read.Fingerprint, BuildFingerprint());
        return ReplayCheck{ReplayProblem::OtherBuild, Text};
    }
    Replay = std::move(Read);
    return Check;
}

} // namespace

ReplayCheck LoadReplay(const std::string &Path, Typ_Replay &Replay) {
    Typ_Replay Read;
    return ThisBuilds(ReadReplayFile(Path, Read), Read, Replay);
}

ReplayCheck LoadReplayBytes(const std::vector<uint8_t> &Bytes, Typ_Replay &Replay) {
    Typ_Replay Read;
    return ThisBuilds(DecodeReplay(Bytes, Read), Read, Replay);
}

void StartReplay(const Typ_Replay &Replay) {
    StartLineup(Replay.Sides, Replay.Slots, Replay.People, Replay.Seeded, Replay.Seed);
    // A match of the game begins where the one before it left the random source and the blink;
    // starting the match touches neither.
    SetRndPosition(Replay.RandomPosition);
    Gl_Blink = int16_t(Replay.Blink);
}

void HoldReplayTick(const Typ_Replay &Replay, int64_t Tick) {
    ReleaseScriptedKeys();
    if (Tick < 1 || Tick > int64_t(Replay.Ticks)) {
        return;
    }
    for (int Person = 0; Person < 2; ++Person) {
        if (Replay.People[Person] < 0) {
            continue;
        }
        const PadInput Controls = Replay.Inputs[Person][size_t(Tick - 1)];
        for (int Bit = 0; Bit < 5; ++Bit) {
            if ((Controls >> Bit) & 1) {
                SetScriptedKey(SetKeys[Person][Bit], true);
            }
        }
    }
}

void RunReplayTick(const Typ_Replay &Replay, int64_t Tick) {
    const KeyReader Keyboard = CurrentKeyReader();
    SetKeyReader(nullptr);
    HoldReplayTick(Replay, Tick);
    MarkDraws();
    TickMatch();
    ReleaseScriptedKeys();
    SetKeyReader(Keyboard);
}

void ReplayRecorder::BeginFromRecords(ReplayOrigin Origin) {
    int Sides[4], Slots[4], People[2] = {-1, -1};
    for (int I = 0; I < 4; ++I) {
        const Typ_Player &P = Gl_Players[I];
        Sides[I] = P.Side;
        Slots[I] = P.Slot;
        if (P.Control != ComputerControl && (P.KeySet == 0 || P.KeySet == 1)) {
            People[int(P.KeySet)] = I;
        }
    }
    Begin(Origin, Sides, Slots, People, false, 0);
}

void ReplayRecorder::Begin(ReplayOrigin Origin, const int Sides[4], const int Slots[4], const int People[2],
                           bool Seeded, uint64_t Seed) {
    Kept = Typ_Replay{};
    // Taken before the first tick, never at the end, where an online match is still saying goodbye.
    // Its trial match draws random numbers of its own, which the first tick's trace must not show:
    // nothing else has drawn since the match was set up.
    Kept.Fingerprint = BuildFingerprint();
    MarkDraws();
    Kept.Origin = Origin;
    for (int I = 0; I < 4; ++I) {
        Kept.Sides[I] = Sides[I];
        Kept.Slots[I] = Slots[I];
    }
    Kept.People[0] = People[0];
    Kept.People[1] = People[1];
    Kept.Seeded = Seeded;
    Kept.Seed = Seed;
    Kept.RandomPosition = RndPosition();
    Kept.Blink = Gl_Blink;
    Kept.Date = int64_t(std::time(nullptr));
    Active = true;
}

void ReplayRecorder::TakeRandomPosition() {
    Kept.RandomPosition = RndPosition();
}

void ReplayRecorder::AddTick(PadInput First, PadInput Second) {
    if (!Active || Kept.Ticks >= ReplayMaxTicks) {
        return;
    }
    const PadInput Controls[2] = {First, Second};
    for (int Person = 0; Person < 2; ++Person) {
        if (Kept.People[Person] >= 0) {
            Kept.Inputs[Person].push_back(Controls[Person]);
        }
    }
    Kept.Ticks++;
}

void ReplayRecorder::AddHeldTick() {
    AddTick(Kept.People[0] >= 0 ? PersonControls(0) : 0, Kept.People[1] >= 0 ? PersonControls(1) : 0);
}

void ReplayRecorder::KeepIn(const std::string &Dir) {
    if (!Active) {
        return;
    }
    std::string Path, Error;
    if (!KeepReplayInFolder(Dir, Finish(), Path, Error)) {
        std::fprintf(stderr, "Zorbump: cannot keep the match in '%s': %s\n", Dir.c_str(), Error.c_str());
    }
}

Typ_Replay ReplayRecorder::Finish() {
    Kept.Won = Gl_ServeSide == MatchOver;
    Kept.Score[0] = Gl_Teams[0].Score;
    Kept.Score[1] = Gl_Teams[1].Score;
    Active = false;
    return std::move(Kept);
}
