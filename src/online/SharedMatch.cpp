#include "online/SharedMatch.h"

#include <algorithm>

#include "assets/Designs.h"
#include "match/Match.h"
#include "net/Pacing.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"
#include "records/BasCmnDef.h"

namespace {

constexpr uint64_t MatchSeedStep = 0x9E3779B97F4A7C15ULL;

} // namespace

SharedMatch::SharedMatch(NetSession &Session, Play Chosen) : Net(Session), How(std::move(Chosen)) {}

void SharedMatch::Begin() {
    // Both machines draw the same random numbers: each match of a session from its own point of
    // the game's sequence, the first from where a fresh game starts.
    ResetRnd();
    SeedRnd(RndPosition() + MatchSeedStep * (How.Screen / 2));
    StartMatch();
    StartSegment();
}

void SharedMatch::BeginAsStarted() {
    StartSegment();
}

void SharedMatch::StartSegment() {
    if (Session != nullptr) {
        EarlierRollbacks += Session->Rollbacks;
    }
    // A segment counts its ticks from 1; its trace lines go on from the ticks of the segments
    // before it, as the match's own numbers.
    RollbackMatch::Tracer Trace;
    if (How.Trace) {
        Trace = [Inner = How.Trace, Before = Base](int64_t Tick) { return Inner(Before + Tick); };
    }
    Game = std::make_unique<RollbackMatch>(std::move(Trace), How.Heard);
    Session = std::make_unique<RollbackSession>(*Game, How.Local, How.Delay);
    Confirmed = 0;
    TheyHave = 0;
    TheirFrame = 0;
    SpacePressed = false;
    AwayPressed = false;
}

void SharedMatch::Stop(Ends Why) {
    if (Ending == Ends::Playing) {
        Ending = Why;
    }
}

bool SharedMatch::Tick() {
    Wire::Message In;
    while (Ending == Ends::Playing && Net.Take(In, How.Screen)) {
        if (In.Screen == How.Screen) {
            Receive(In);
        }
    }
    if (Net.LaterScreen(How.Screen) && LastTick < 0) {
        // The other machine has gone on to a later screen. Once our last tick is confirmed, it
        // has only gone on after its own ended, and what it said of that is on its way.
        Stop(Ends::Abandoned);
    }
    TheyAreAway = TheyAreAway && Waiting && Ending == Ends::Playing;
    Net.Bear(TheyAreAway);
    if (Ending == Ends::Playing && LastTick >= 0) {
        // The last tick is confirmed here: the match is over once the other machine says it is
        // over there at the same tick, with the same state.
        if (Ledger.Differs() >= 0) {
            Stop(Ends::Differed);
        } else if (Ledger.TheirLast() == LastTick) {
            Stop(Ends::Finished);
        } else if (Ledger.TheirLast() >= 0) {
            // Over there at another tick than here.
            DifferAt = std::min(LastTick, Ledger.TheirLast());
            Stop(Ends::Differed);
        } else {
            SendInputs(false);
            return true;
        }
    }
    if (Ending == Ends::Playing && !Waiting) {
        // After the tick that ends the match nothing more is run: it ends there once confirmed,
        // or a correction shows it did not end.
        const bool AtEnd = Gl_ServeSide == MatchOver || (How.LastTick >= 0 && Base + Session->Frame() >= How.LastTick);
        if (!AtEnd && Session->CanAdvance()) {
            const PadInput Space = SpacePressed ? PadInput(PadBits::Space | (AwayPressed ? PadBits::Away : 0)) : 0;
            SpacePressed = false;
            AwayPressed = false;
            Session->AdvanceLocal((How.Input ? How.Input() : InputOfLetterKeys()) | Space);
        } else {
            StallCount += AtEnd ? 0 : 1;
            Session->Settle();
        }
        Longest = std::max(Longest, Session->LongestRollback);
    }
    if (Ending == Ends::Playing) {
        Confirm();
    }
    if (Ending == Ends::Differed && Difference.empty()) {
        Difference = "the two machines' games differ at tick " +
                     std::to_string(Ledger.Differs() >= 0 ? Ledger.Differs() : DifferAt) + ": the match was stopped";
        // The other machine learns it too: our last tick, which it will find is not its own.
        if (LastTick < 0) {
            Wire::Message Last = Stamped(Wire::Kind::Finish);
            Last.Frame = int32_t(Base + Confirmed);
            Last.Value = Confirmed > 0 ? Game->After(Confirmed - 1).Checksum : 0;
            Net.Send(Last, true);
        }
    }
    if (Ending != Ends::Playing) {
        // What the other machine may still need to confirm the last tick, sure to arrive.
        SendInputs(true);
        return false;
    }
    SendInputs(false);
    return true;
}

SharedMatch::~SharedMatch() {
    Net.Bear(false);
}

void SharedMatch::PauseAway() {
    if (Ending == Ends::Playing && !Waiting) {
        SpacePressed = true;
        AwayPressed = true;
    }
}

bool SharedMatch::TakeTheyWentAway() {
    const bool Went = TheyWentAway;
    TheyWentAway = false;
    return Went;
}

bool SharedMatch::Key(int16_t KeyCode) {
    if (Ending != Ends::Playing) {
        return false;
    }
    if (KeyCode == VK_ESCAPE) {
        Net.Send(Stamped(Wire::Kind::Leave), true);
        Stop(Ends::Left);
        return false;
    }
    if (KeyCode == VK_SPACE) {
        if (Waiting) {
            Waiting = false;
            ResumedSegment = std::max<int32_t>(ResumedSegment, Segment);
            Net.Send(Stamped(Wire::Kind::Resume), true);
        } else {
            SpacePressed = true;
        }
    }
    return true;
}

void SharedMatch::Receive(const Wire::Message &In) {
    switch (In.Type) {
    case Wire::Kind::Inputs:
        if (In.Segment == Segment) {
            ReceiveInputs(*Session, In);
            // Never more than we have sent: a peer's word is no reason to skip inputs.
            TheyHave = std::max(TheyHave, std::min(In.Ack, Session->LocalKnownThrough()));
            TheirFrame = std::max(TheirFrame, In.SenderFrame);
        }
        break;
    case Wire::Kind::Checksum:
    case Wire::Kind::Finish:
        Ledger.Theirs(In.Frame, In.Value, In.Type == Wire::Kind::Finish);
        if (Ledger.Differs() >= 0) {
            Stop(Ends::Differed);
        }
        break;
    case Wire::Kind::Resume:
        ResumedSegment = std::max<int32_t>(ResumedSegment, In.Segment);
        if (Waiting && ResumedSegment >= Segment) {
            Waiting = false;
        }
        break;
    case Wire::Kind::Leave:
        Stop(Ends::Left);
        break;
    default:
        break;
    }
}

uint32_t SharedMatch::TickInterval() const {
    return Waiting ? MatchTickInterval
                   : Pacing::NextInterval(Session->Frame(), TheirFrame, Net.RoundTripMillis(), MatchTickInterval);
}

// Every tick run with both machines' inputs, and never to be run again, is final: handed on,
// checked, and acted on when it ends the match or pauses it.
void SharedMatch::Confirm() {
    if (LastTick < 0 && Confirmed > 0 && Base + Confirmed == Ledger.TheirLast()) {
        // The other machine's last tick, confirmed here before it said so.
        Finish(Base + Confirmed, Game->After(Confirmed - 1).Checksum);
        return;
    }
    int32_t Final = std::min(Session->Frame(), Session->RemoteKnownThrough());
    if (Session->PendingFrom() >= 0) {
        Final = std::min(Final, Session->PendingFrom());
    }
    while (Ending == Ends::Playing && LastTick < 0 && Confirmed < Final) {
        const int32_t Frame = Confirmed++;
        const RollbackMatch::Outcome &Out = Game->After(Frame);
        const int64_t Tick = Base + Frame + 1;
        if (How.Confirmed) {
            How.Confirmed(Tick, Out);
        }
        Ledger.Ours(Tick, Out.Checksum);
        if (ChecksumLedger::Due(Tick)) {
            Wire::Message Sum = Stamped(Wire::Kind::Checksum);
            Sum.Frame = int32_t(Tick);
            Sum.Value = Out.Checksum;
            Net.Send(Sum, true);
        }
        if (Ledger.Differs() >= 0) {
            Stop(Ends::Differed);
        } else if (Out.Over || Tick == How.LastTick || Tick == Ledger.TheirLast()) {
            Finish(Tick, Out.Checksum);
        } else if (((Session->LocalInput(Frame) | Session->RemoteInput(Frame)) & PadBits::Space) != 0) {
            const bool Away = (Session->RemoteInput(Frame) & PadBits::Away) != 0;
            PauseAfter(Frame);
            TheyWentAway = Away;
            TheyAreAway = Away && Waiting;
            return;
        }
    }
}

void SharedMatch::Finish(int64_t Tick, uint32_t Checksum) {
    LastTick = Tick;
    LastChecksum = Checksum;
    Wire::Message Last = Stamped(Wire::Kind::Finish);
    Last.Frame = int32_t(Tick);
    Last.Value = Checksum;
    Net.Send(Last, true);
    SendInputs(true);
    if (Ledger.Differs() >= 0) {
        Stop(Ends::Differed);
    } else if (Ledger.TheirLast() == Tick) {
        Stop(Ends::Finished);
    }
}

void SharedMatch::Linger() {
    if (Ending != Ends::Finished || LastTick < 0) {
        return;
    }
    SendInputs(false);
    Wire::Message Last = Stamped(Wire::Kind::Finish);
    Last.Frame = int32_t(LastTick);
    Last.Value = LastChecksum;
    Net.Send(Last, false);
}

void SharedMatch::PauseAfter(int32_t Frame) {
    // Back to that tick, run again with the inputs both machines know, so that its frame is the
    // one on the window while the match waits.
    Session->Settle();
    Game->LoadFrame(Frame);
    PadInput Inputs[2];
    Inputs[How.Local] = Session->LocalInput(Frame);
    Inputs[1 - How.Local] = Session->RemoteInput(Frame);
    Game->AdvanceFrame(Frame, Inputs, true);
    SendInputs(true);
    Base += Frame + 1;
    Segment++;
    StartSegment();
    Waiting = ResumedSegment < Segment;
}

Wire::Message SharedMatch::Stamped(Wire::Kind Type) const {
    Wire::Message Out;
    Out.Type = Type;
    Out.Screen = How.Screen;
    Out.Segment = Segment;
    return Out;
}

void SharedMatch::SendInputs(bool Reliable) {
    Wire::Message Out = InputsMessage(*Session, TheyHave);
    Out.Screen = How.Screen;
    Out.Segment = Segment;
    Net.Send(Out, Reliable);
}
