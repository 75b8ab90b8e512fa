// The match as a rollback session plays it between two machines: saved, restored and advanced from
// both people's inputs, which reach the match as the two key sets (the host's person holds the
// letter keys, the guest's the keypad keys). What each tick leaves behind is kept until the tick
// is confirmed: its keys, a checksum of the state, and whether it ended the match.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "net/Protocol.h"
#include "net/Rollback.h"
#include "platform/Keyboard.h"
#include "records/BasCmnDef.h"

// A person's input from the letter keys held now (the game's keyboard and first controller), or
// from a list of held virtual-key codes (the tool's keys file).
PadInput InputOfLetterKeys();
PadInput InputOfLetterKeys(const std::vector<int> &Held);

// While it lives, the keyboard the windows read is the scripted key table, holding both people's
// inputs as their key sets: the host's person's as the letter keys, the guest's as the keypad's.
class HeldInputs {
  public:
    explicit HeldInputs(const PadInput Inputs[2]);
    ~HeldInputs();
    HeldInputs(const HeldInputs &) = delete;
    HeldInputs &operator=(const HeldInputs &) = delete;
    // The held keys in the keys-file format: decimal codes separated by spaces.
    const std::string &Keys() const { return Held; }

  private:
    KeyReader Keyboard;
    std::string Held;
};

class RollbackMatch final : public RollbackGame {
  public:
    // Trace, when given, writes each tick's trace line (from the tick's number, 1 for the first);
    // Heard plays the sound of each new tick (never of a tick run again).
    using Tracer = std::function<std::string(int64_t Tick)>;
    RollbackMatch(Tracer Trace, bool Heard) : Trace(std::move(Trace)), Heard(Heard) {}

    void SaveFrame(int32_t Frame) override;
    void LoadFrame(int32_t Frame) override;
    void AdvanceFrame(int32_t Frame, const PadInput Inputs[2], bool Confirmed) override;

    struct Outcome {
        std::string Line, Keys;      // the trace line; the held keys in the keys-file format
        PadInput Inputs[2] = {0, 0}; // both people's inputs, the host's first
        uint32_t Checksum = 0;
        bool Over = false;
    };
    const Outcome &After(int32_t Frame) const { return Outcomes[size_t(Frame)]; }
    bool Empty() const { return Outcomes.empty(); }

  private:
    std::vector<Outcome> Outcomes; // by tick
    std::vector<Typ_MatchSnapshot> Saved = std::vector<Typ_MatchSnapshot>(RollbackSession::Window + 4);
    Tracer Trace;
    bool Heard;
    int32_t Newest = -1; // the latest tick run so far
};

// The inputs of ours the other side has not acknowledged (from its acknowledgement TheyHave), with
// our own acknowledgement and tick count, for one unreliable message.
Wire::Message InputsMessage(const RollbackSession &Session, int32_t TheyHave);
// Hands the inputs of such a message to the session.
void ReceiveInputs(RollbackSession &Session, const Wire::Message &In);
