// A kept match played again with the game's own ticks, and a match kept as it is played. The match
// reads each person's five keys and nothing else (the letter set for the first person, the keypad
// set for the second), so those five controls per tick are all a replay needs to run exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "replay/ReplayFile.h"

// A person's controls from the keys the match would read now, or from a keys-file line.
PadInput PersonControls(int Person);
PadInput PersonControlsOfKeys(const std::vector<int> &Held, int Person);

// Reads a replay file this build can play: of this format, sound, and played by these rules.
ReplayCheck LoadReplay(const std::string &Path, Typ_Replay &Replay);
// The same, of a file's bytes (the page's, which has no files).
ReplayCheck LoadReplayBytes(const std::vector<uint8_t> &Bytes, Typ_Replay &Replay);

// The match as the replay began: line-up, people, random source and blink; StartMatch run.
void StartReplay(const Typ_Replay &Replay);
// Holds the controls of tick Tick (1 for the first) as the people's keys in the scripted key
// table; after the replay's last tick nothing is held.
void HoldReplayTick(const Typ_Replay &Replay, int64_t Tick);
// Runs tick Tick of the replay, reading the scripted keys whatever the keyboard holds.
void RunReplayTick(const Typ_Replay &Replay, int64_t Tick);

// Keeps a match as it is played: the start is taken from the records just before StartMatch,
// each tick's controls just before the tick runs, the end once the match is over.
class ReplayRecorder {
  public:
    // From the line-up the select screen left (the game).
    void BeginFromRecords(ReplayOrigin Origin);
    // From a line-up given as the tool's options are.
    void Begin(ReplayOrigin Origin, const int Sides[4], const int Slots[4], const int People[2], bool Seeded,
               uint64_t Seed);
    // The match's own start moved the random source (an online match begins from its own point
    // of the sequence): the replay begins from where it stands now.
    void TakeRandomPosition();
    bool Recording() const { return Active; }
    void AddTick(PadInput First, PadInput Second);
    // Adds the controls the match is about to read from the keyboard.
    void AddHeldTick();
    // The kept match, with its score as it stands; recording stops.
    Typ_Replay Finish();
    // Finishes the match being kept, if any, and writes it into the folder Dir; a file that cannot
    // be written is said on standard error, and the game plays on.
    void KeepIn(const std::string &Dir);

  private:
    Typ_Replay Kept;
    bool Active = false;
};
