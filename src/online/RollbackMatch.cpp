#include "online/RollbackMatch.h"

#include <algorithm>

#include "audio/Listener.h"
#include "match/Match.h"
#include "platform/KeySets.h"
#include "platform/Random.h"

// The bits of PadInput are the keys of a set, in the set's order.

PadInput InputOfLetterKeys() {
    PadInput Input = 0;
    for (int Bit = 0; Bit < KeyRole::Count; ++Bit) {
        if (KeyIsHeld(GetKeyState(KeySets[0][Bit]))) {
            Input |= PadInput(1 << Bit);
        }
    }
    return Input;
}

PadInput InputOfLetterKeys(const std::vector<int> &Held) {
    PadInput Input = 0;
    for (int Code : Held) {
        for (int Bit = 0; Bit < KeyRole::Count; ++Bit) {
            if (Code == KeySets[0][Bit]) {
                Input |= PadInput(1 << Bit);
            }
        }
    }
    return Input;
}

void RollbackMatch::SaveFrame(int32_t Frame) {
    SaveMatch(Saved[size_t(Frame) % Saved.size()]);
}

void RollbackMatch::LoadFrame(int32_t Frame) {
    RestoreMatch(Saved[size_t(Frame) % Saved.size()]);
}

HeldInputs::HeldInputs(const PadInput Inputs[2]) : Keyboard(CurrentKeyReader()) {
    SetKeyReader(nullptr);
    ReleaseScriptedKeys();
    for (int Person = 0; Person < 2; ++Person) {
        for (int Bit = 0; Bit < KeyRole::Count; ++Bit) {
            if ((Inputs[Person] >> Bit) & 1) {
                SetScriptedKey(KeySets[Person][Bit], true);
                Held += (Held.empty() ? "" : " ") + std::to_string(KeySets[Person][Bit]);
            }
        }
    }
}

HeldInputs::~HeldInputs() {
    ReleaseScriptedKeys();
    SetKeyReader(Keyboard);
}

void RollbackMatch::AdvanceFrame(int32_t Frame, const PadInput Inputs[2], bool) {
    // The match reads the tick's inputs as held keys, whatever the real keyboard holds.
    const HeldInputs Holding(Inputs);
    const bool New = Frame > Newest;
    Newest = std::max(Newest, Frame);
    if (New && Heard) {
        ListenBeforeTick();
    }
    MarkDraws();
    TickMatch();
    if (New && Heard) {
        ListenAfterTick();
    }
    if (int32_t(Outcomes.size()) <= Frame) {
        Outcomes.resize(size_t(Frame) + 1);
    }
    Outcome &Out = Outcomes[size_t(Frame)];
    Out.Keys = Holding.Keys();
    Out.Inputs[0] = Inputs[0];
    Out.Inputs[1] = Inputs[1];
    Out.Checksum = MatchChecksum();
    Out.Over = Gl_ServeSide == MatchOver;
    if (Trace) {
        Out.Line = Trace(Frame + 1);
    }
}

Wire::Message InputsMessage(const RollbackSession &Session, int32_t TheyHave) {
    Wire::Message Out;
    Out.Type = Wire::Kind::Inputs;
    Out.Ack = Session.RemoteKnownThrough();
    Out.SenderFrame = Session.Frame();
    Out.First = std::max(TheyHave, Session.LocalKnownThrough() - Wire::MaxInputs);
    Out.Count = uint8_t(std::max(0, Session.LocalKnownThrough() - Out.First));
    for (int I = 0; I < Out.Count; ++I) {
        Out.Inputs[I] = Session.LocalInput(Out.First + I);
    }
    return Out;
}

void ReceiveInputs(RollbackSession &Session, const Wire::Message &In) {
    for (int I = 0; I < In.Count; ++I) {
        Session.ReceiveRemote(In.First + I, In.Inputs[I]);
    }
}
