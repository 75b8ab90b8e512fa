#include "online/SharedMatch.h"

#include <algorithm>

#include "assets/Designs.h"
#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "platform/Random.h"

namespace {

constexpr int64_t ChecksumEvery = 30;  // confirmed ticks between two comparisons of the state
constexpr int32_t SlowerTick = 37;     // milliseconds, while this machine runs ahead
constexpr int32_t AheadAllowed = 2;    // ticks ahead of the other machine before slowing down
constexpr uint64_t MatchSeedStep = 0x9E3779B97F4A7C15ULL;

} // namespace

SharedMatch::SharedMatch(NetLink &Connection, uint32_t Id, uint16_t MatchScreen, int LocalPerson,
                         int32_t InputDelay)
    : Link(Connection), SessionId(Id), Screen(MatchScreen), Local(LocalPerson), Delay(InputDelay) {}

void SharedMatch::Begin() {
    // Both machines draw the same random numbers: each match of a session from its own point of
    // the game's sequence, the first from where a fresh game starts.
    ResetRnd();
    SeedRnd(RndPosition() + MatchSeedStep * (Screen / 2));
    StartMatch();
    StartSegment();
}

void SharedMatch::StartSegment() {
    Game = std::make_unique<RollbackMatch>(nullptr, true);
    Session = std::make_unique<RollbackSession>(*Game, Local, Delay);
    Confirmed = 0;
    TheyHave = 0;
    TheirFrame = 0;
    SpacePressed = false;
}

bool SharedMatch::Tick() {
    if (Over) {
        return false;
    }
    if (!Waiting) {
        // After the tick that won the match nothing more is run: it ends there once confirmed,
        // or a correction shows it did not end.
        if (Gl_ServeSide != MatchOver && Session->CanAdvance()) {
            const PadInput Space = SpacePressed ? PadBits::Space : 0;
            SpacePressed = false;
            Session->AdvanceLocal(InputOfLetterKeys() | Space);
        } else {
            Session->Settle();
        }
    }
    Confirm();
    CompareChecksums();
    if (Over) {
        // What the other machine may still need to confirm the last tick, sure to arrive.
        SendInputs(true);
        return false;
    }
    SendInputs(false);
    return true;
}

bool SharedMatch::Key(int16_t KeyCode) {
    if (KeyCode == VK_ESCAPE) {
        Link.Send(Stamped(Wire::Kind::Leave), true);
        Over = true;
        return false;
    }
    if (KeyCode == VK_SPACE) {
        if (Waiting) {
            Waiting = false;
            ResumedSegment = std::max<int32_t>(ResumedSegment, Segment);
            Link.Send(Stamped(Wire::Kind::Resume), true);
        } else {
            SpacePressed = true;
        }
    }
    return !Over;
}

void SharedMatch::Receive(const Wire::Message &In) {
    switch (In.Type) {
    case Wire::Kind::Inputs:
        if (In.Segment == Segment) {
            ReceiveInputs(*Session, In);
            TheyHave = std::max(TheyHave, In.Ack);
            TheirFrame = std::max(TheirFrame, In.SenderFrame);
        }
        break;
    case Wire::Kind::Checksum:
        TheirSums[In.Frame] = In.Value;
        break;
    case Wire::Kind::Resume:
        ResumedSegment = std::max<int32_t>(ResumedSegment, In.Segment);
        if (Waiting && ResumedSegment >= Segment) {
            Waiting = false;
        }
        break;
    case Wire::Kind::Leave:
        Over = true;
        break;
    default:
        break;
    }
}

uint32_t SharedMatch::TickInterval() const {
    // The other machine's tick now: the last it told us, plus the ticks it has run since.
    const int32_t TheirsNow = TheirFrame + int32_t(Link.RoundTripMillis() / 2 / MatchTickInterval);
    return !Waiting && Session->Frame() - TheirsNow > AheadAllowed ? SlowerTick : MatchTickInterval;
}

// Every tick run with both machines' inputs, and never to be run again, is final: checked, and
// acted on when it won the match or paused it.
void SharedMatch::Confirm() {
    int32_t Final = std::min(Session->Frame(), Session->RemoteKnownThrough());
    if (Session->PendingFrom() >= 0) {
        Final = std::min(Final, Session->PendingFrom());
    }
    while (!Over && Confirmed < Final) {
        const int32_t Frame = Confirmed++;
        const RollbackMatch::Outcome &Out = Game->After(Frame);
        const int64_t Tick = Base + Frame + 1;
        if (Tick % ChecksumEvery == 0) {
            OurSums[Tick] = Out.Checksum;
            Wire::Message Sum = Stamped(Wire::Kind::Checksum);
            Sum.Frame = int32_t(Tick);
            Sum.Value = Out.Checksum;
            Link.Send(Sum, true);
        }
        if (Out.Over) {
            Over = true;
        } else if (((Session->LocalInput(Frame) | Session->RemoteInput(Frame)) & PadBits::Space) != 0) {
            PauseAfter(Frame);
            return;
        }
    }
}

void SharedMatch::PauseAfter(int32_t Frame) {
    // Back to that tick, run again with the inputs both machines know, so that its frame is the
    // one on the window while the match waits.
    Session->Settle();
    Game->LoadFrame(Frame);
    PadInput Inputs[2];
    Inputs[Local] = Session->LocalInput(Frame);
    Inputs[1 - Local] = Session->RemoteInput(Frame);
    Game->AdvanceFrame(Frame, Inputs, true);
    SendInputs(true);
    Base += Frame + 1;
    Segment++;
    StartSegment();
    Waiting = ResumedSegment < Segment;
}

void SharedMatch::CompareChecksums() {
    for (auto It = TheirSums.begin(); It != TheirSums.end();) {
        const auto Ours = OurSums.find(It->first);
        if (Ours == OurSums.end()) {
            ++It;
            continue;
        }
        if (Ours->second != It->second && !Over) {
            Difference = "the two machines' games differ at tick " + std::to_string(It->first) +
                         ": the match was stopped";
            Over = true;
        }
        OurSums.erase(Ours);
        It = TheirSums.erase(It);
    }
}

Wire::Message SharedMatch::Stamped(Wire::Kind Type) const {
    Wire::Message Out;
    Out.Type = Type;
    Out.Session = SessionId;
    Out.Screen = Screen;
    Out.Segment = Segment;
    return Out;
}

void SharedMatch::SendInputs(bool Reliable) {
    Wire::Message Out = InputsMessage(*Session, TheyHave);
    Out.Session = SessionId;
    Out.Screen = Screen;
    Out.Segment = Segment;
    Link.Send(Out, Reliable);
}
