// One match of an online session, as one machine plays it: every tick at once with rollback, each
// confirmed tick checked against the other machine's, the end compared, and the pauses agreed on.
// The game's match window and the tool both play their matches with it, and the tests too.
//
// A pause is agreed through the inputs: Space, pressed on either machine, is part of that machine's
// input of a tick, and once that tick is confirmed both machines stop right after it, showing it.
// The play after a pause is a new segment, whose inputs start afresh, so that nothing sent before
// the pause lingers as a delay after it. Either machine resumes it with Space.
//
// The end: a machine that has confirmed the match's last tick (the one that won it, or the tool's
// last) tells the other its checksum, reliably, and leaves the match once it has the other's for
// the same tick, so that neither leaves before the other has every input it needs. Whichever
// machine's last tick comes first ends the match on both.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/Ledger.h"
#include "net/Protocol.h"
#include "net/Rollback.h"
#include "net/Session.h"
#include "online/RollbackMatch.h"

class SharedMatch {
  public:
    struct Play {
        int Local = 0;      // 0 on the host, 1 on the guest
        int32_t Delay = 0;  // ticks the local input is held back
        uint16_t Screen = 1; // the match's place among the session's screens, on its every message
        // The local person's input of the next tick; the letter keys when not given.
        std::function<PadInput()> Input;
        RollbackMatch::Tracer Trace; // the trace line of each tick, when given
        bool Heard = true;           // the match's sounds played
        int64_t LastTick = -1;       // the match ends after this tick, won or not (-1: when won)
        // Each confirmed tick, in order, once: its number (1 for the first) and what it left.
        std::function<void(int64_t Tick, const RollbackMatch::Outcome &Out)> Confirmed;
    };
    enum class Ends { Playing, Finished, Left, Differed, Abandoned };

    SharedMatch(NetSession &Net, Play How);
    ~SharedMatch();
    SharedMatch(const SharedMatch &) = delete;
    SharedMatch &operator=(const SharedMatch &) = delete;

    // Starts the match from the line-up the select screen wrote, the same on both machines, from
    // its own point of the random sequence.
    void Begin();
    // Plays the match its owner has already started.
    void BeginAsStarted();
    // A tick of the match timer. False once the match is over.
    bool Tick();
    // Space and Escape. False when the key ended the match.
    bool Key(int16_t KeyCode);
    // Once the match has finished here, while the other machine may still be confirming its last
    // tick: says again, unreliably, our last tick and the inputs it needs. On a bad network our
    // reliable copies can take seconds of resends, and the other machine, hearing nothing, would
    // count the connection as lost. Call it every few ticks until the other machine says goodbye.
    void Linger();

    bool Paused() const { return Waiting; }
    // Pauses as Space does, saying the player is away (the page's tab was hidden).
    void PauseAway();
    // True once after a pause the other machine asked for because its player went away.
    bool TakeTheyWentAway();
    Ends End() const { return Ending; }
    uint32_t TickInterval() const;
    // Why the match was stopped, when it was stopped for a difference between the machines.
    const std::string &Problem() const { return Difference; }
    // Ticks confirmed since the match began.
    int64_t ConfirmedTicks() const { return Base + Confirmed; }
    const RollbackSession &Rollback() const { return *Session; }
    int64_t Stalls() const { return StallCount; }

    // Figures of all segments: rollbacks, the longest, ticks run again.
    int64_t Rollbacks() const { return Session->Rollbacks + EarlierRollbacks; }
    int32_t LongestRollback() const { return Longest; }

  private:
    void StartSegment();
    void Receive(const Wire::Message &In);
    void Confirm();
    void PauseAfter(int32_t Frame);
    void Finish(int64_t Tick, uint32_t Checksum);
    void Stop(Ends Why);
    Wire::Message Stamped(Wire::Kind Type) const;
    void SendInputs(bool Reliable);

    NetSession &Net;
    Play How;

    uint16_t Segment = 0;
    int64_t Base = 0; // ticks played in earlier segments
    std::unique_ptr<RollbackMatch> Game;
    std::unique_ptr<RollbackSession> Session;
    int32_t Confirmed = 0;  // ticks of this segment confirmed
    int32_t TheyHave = 0;   // our inputs of this segment the other side has acknowledged
    int32_t TheirFrame = 0; // ticks of this segment the other side has run
    bool SpacePressed = false;
    bool AwayPressed = false;   // the next Space says the player is away
    bool TheyWentAway = false;  // the last pause was the other player's, away: to be said
    bool TheyAreAway = false;   // paused while the other player is away: their silence is borne
    bool Waiting = false;       // paused
    int32_t ResumedSegment = 0; // the latest segment either machine has started
    int64_t LastTick = -1;      // the last tick, once confirmed here
    uint32_t LastChecksum = 0;  // the state after it
    Ends Ending = Ends::Playing;
    int64_t DifferAt = -1; // the tick the match ended at on one machine only
    std::string Difference;
    ChecksumLedger Ledger;
    int64_t StallCount = 0, EarlierRollbacks = 0;
    int32_t Longest = 0;
};
