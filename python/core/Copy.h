// What the Python module asks of one copy of the match's code. The match keeps its state in global
// records, so two matches can only tick at the same time in two copies of that code: the build
// compiles the match's sources once per copy, each copy inside a namespace of its own
// (ZorbumpSim0, ZorbumpSim1, ...), and a thread steps its matches through one copy alone. This
// header is shared by all copies and the module; it names none of the game's own types, and a
// match travels between them as the bytes of its snapshot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Who plays: the side and slot of characters 0 to 3, the characters the people drive (the first
// with the letter keys, the second with the keypad keys; -1 for nobody), and the random source's
// seed, if any (without one, the game's own sequence).
struct Typ_Setup {
    int Sides[4] = {0, 1, 0, 1};
    int Slots[4] = {0, 0, 1, 1};
    int People[2] = {-1, -1};
    int PeopleCount = 0;
    bool Seeded = false;
    uint64_t Seed = 0;
};

// One match between two ticks: its snapshot (the game's record and the random source's position),
// its tick, the random numbers its last tick drew, and whether that tick booked a rally (the
// window then shows the bare court).
constexpr size_t SnapshotBytes = 512;
constexpr int KeptDraws = 16;
struct Typ_Kept {
    alignas(8) unsigned char Snapshot[SnapshotBytes];
    int64_t Tick;
    int32_t DrawCount;
    bool Booked;
    double Draws[KeptDraws];
};

// A person's observation: floats seen from the person's own side (see ObserveMatch).
constexpr int ObservationSize = 78;
// A person's action: a combination of the five controls, bit 0 up, 1 down, 2 back, 3 front, 4 hit.
constexpr int ActionControls = 5;
constexpr int ActionCount = 1 << ActionControls;

// One call's work for many matches: each of them ticks once with its people's actions.
struct Typ_BatchJob {
    const Typ_Setup *Setup;
    int64_t MaxTicks;         // a match that reaches this tick without a winner is cut short
    Typ_Kept *Matches;        // n
    const uint8_t *Actions;   // n x people, one combination each
    float *Observations;      // n x people x ObservationSize
    float *Rewards;           // n x people
    bool *Terminated;         // n: a side reached 15 in this tick
    bool *Truncated;          // n: the tick limit was reached first
    float *FinalObservations; // n x people x ObservationSize: the last look at a match that ended
    bool *Ended;              // n: whether a match ended (and started again) in this tick
};

// The entry points of one copy.
struct Typ_SimCopy {
    // An empty string, or what is wrong with the line-up as the end of a sentence about it.
    std::string (*LineupProblem)(const int Sides[4], const int Slots[4]);
    // A new match at tick 0, as the select screen starts it. With KeepRandom the random source goes
    // on from where Kept's stood instead of starting afresh.
    void (*Start)(Typ_Kept &Kept, const Typ_Setup &Setup, bool KeepRandom);
    // One tick with these virtual keys held (and no others).
    void (*Step)(Typ_Kept &Kept, const int32_t *HeldKeys, size_t Count);
    // Matches [Begin, End) of a job.
    void (*StepBatch)(const Typ_BatchJob &Job, size_t Begin, size_t End);
    // Every person's observation of a match, people x ObservationSize.
    void (*Observe)(const Typ_Kept &Kept, const Typ_Setup &Setup, float *Out);
    // The trace line of the match's last tick, as zorbump-sim --trace writes it.
    std::string (*Trace)(const Typ_Kept &Kept);
    // The match window's picture after the match's last tick, 360 rows of 480 RGB pixels.
    void (*Frame)(const Typ_Kept &Kept, uint8_t *Rgb);
    // Whether a side has won.
    bool (*Over)(const Typ_Kept &Kept);
};
