// Rollback for two machines playing one match: every tick runs at once with the local input and a
// prediction of the remote one (its last known input); when a remote input arrives that differs
// from what was predicted, the match is restored to that tick and run again to the present. The
// session knows no rules: it asks the game only to save, restore and advance (RollbackGame).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One person's controls in one tick, as bits (PadBits).
using PadInput = uint8_t;
namespace PadBits {
constexpr PadInput Up = 1, Down = 2, Left = 4, Right = 8, Hit = 16;
constexpr PadInput Enter = 32, Space = 64, Escape = 128;
// In a match, Enter means nothing: beside Space, its bit says the pause is because the player went
// away (the page's tab was hidden), so that the other player is told why.
constexpr PadInput Away = Enter;
} // namespace PadBits

// What the session asks of the game.
class RollbackGame {
  public:
    // The state between ticks, before tick Frame (counted from 0), into or from slot Frame % slots.
    virtual void SaveFrame(int32_t Frame) = 0;
    virtual void LoadFrame(int32_t Frame) = 0;
    // Runs tick Frame with both people's inputs (index 0 the host's, 1 the guest's). Confirmed is
    // true when every input up to this tick is known, so the tick will never run again differently.
    virtual void AdvanceFrame(int32_t Frame, const PadInput Inputs[2], bool Confirmed) = 0;

  protected:
    ~RollbackGame() = default;
};

class RollbackSession {
  public:
    // Snapshots cover this many ticks: the local side never runs further ahead of the remote
    // side's last known input, and waits (stalls) instead.
    static constexpr int32_t Window = 12;

    RollbackSession(RollbackGame &Game, int Local, int32_t InputDelay);

    // False while the local side is a whole window ahead of what it knows of the other: it waits.
    bool CanAdvance() const;
    // Takes the local input (for tick Frame() + delay), rolls back if a remote input proved a
    // prediction wrong, and runs the next tick.
    void AdvanceLocal(PadInput Input);
    // A remote input of a tick. Inputs arrive in any order, more than once, or too late to matter;
    // the first one of each tick counts.
    void ReceiveRemote(int32_t Frame, PadInput Input);
    // Runs again, at once, the ticks a remote input proved wrong, without running a new one.
    void Settle();
    // The earliest tick that must run again, -1 when every tick run stands.
    int32_t PendingFrom() const { return FirstWrong; }

    int32_t Frame() const { return Next; }                     // ticks run so far
    int32_t RemoteKnownThrough() const { return KnownRemote; } // every remote input < this is known
    int32_t LocalKnownThrough() const { return int32_t(Local_.size()); }
    PadInput LocalInput(int32_t Frame) const { return Local_[size_t(Frame)]; }
    PadInput RemoteInput(int32_t Frame) const { return Remote[size_t(Frame)]; }

    // Figures for the summary: rollbacks, the longest in ticks, and the ticks run again.
    int64_t Rollbacks = 0;
    int32_t LongestRollback = 0;
    int64_t ReplayedTicks = 0;

  private:
    PadInput Predicted(int32_t Frame) const;
    void Run(int32_t Frame);

    RollbackGame &Game;
    int LocalIndex;
    int32_t Delay;
    int32_t Next = 0;
    int32_t KnownRemote = 0;      // remote inputs known for every tick below this
    int32_t FirstWrong = -1;      // the earliest tick run on a wrong prediction, -1 for none
    std::vector<PadInput> Local_; // by tick
    std::vector<PadInput> Remote; // by tick, where RemoteKnown
    std::vector<bool> RemoteKnown;
    std::vector<PadInput> UsedRemote; // what each run tick took the remote input to be
};
