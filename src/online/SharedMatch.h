// One match of an online session, as one machine plays it: every tick at once with rollback, each
// confirmed tick checked against the other machine's, and the pauses and the end agreed on.
//
// A pause is agreed through the inputs: Space, pressed on either machine, is part of that machine's
// input of a tick, and once that tick is confirmed both machines stop right after it, showing it.
// The play after a pause is a new segment, whose inputs start afresh, so that nothing sent before
// the pause lingers as a delay after it. Either machine resumes it with Space.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "net/Link.h"
#include "net/Protocol.h"
#include "net/Rollback.h"
#include "online/RollbackMatch.h"

class SharedMatch {
  public:
    // Local is 0 on the host and 1 on the guest; Screen numbers the match among the session's
    // screens, which every message of it carries.
    SharedMatch(NetLink &Link, uint32_t Session, uint16_t Screen, int Local, int32_t Delay);

    // Starts the match from the line-up the select screen wrote, the same on both machines.
    void Begin();
    // A tick of the match timer. False once the match is over.
    bool Tick();
    // Space and Escape. False when the key ended the match.
    bool Key(int16_t KeyCode);
    // A message of this match's screen; another screen's are not handed over.
    void Receive(const Wire::Message &In);
    // The other machine has gone on to a later screen: this match is over for it.
    void OtherMovedOn() { Over = true; }

    bool Paused() const { return Waiting; }
    uint32_t TickInterval() const;
    // Why the match was stopped, when it was stopped for a difference between the machines.
    const std::string &Problem() const { return Difference; }
    // Ticks since the match began.
    int64_t Ticks() const { return Base + (Session ? Session->Frame() : 0); }

  private:
    void StartSegment();
    void Confirm();
    void PauseAfter(int32_t Frame);
    void CompareChecksums();
    Wire::Message Stamped(Wire::Kind Type) const;
    void SendInputs(bool Reliable);

    NetLink &Link;
    uint32_t SessionId;
    uint16_t Screen;
    int Local;
    int32_t Delay;

    uint16_t Segment = 0;
    int64_t Base = 0; // ticks played in earlier segments
    std::unique_ptr<RollbackMatch> Game;
    std::unique_ptr<RollbackSession> Session;
    int32_t Confirmed = 0;  // ticks of this segment confirmed
    int32_t TheyHave = 0;   // our inputs of this segment the other side has acknowledged
    int32_t TheirFrame = 0; // ticks of this segment the other side has run
    bool SpacePressed = false;
    bool Waiting = false;       // paused
    int32_t ResumedSegment = 0; // the latest segment either machine has started
    bool Over = false;
    std::string Difference;
    std::map<int64_t, uint32_t> OurSums, TheirSums; // by tick
};
