#include "online/SharedSelect.h"

#include <algorithm>

#include "records/BasCmnDef.h"
#include "platform/Keyboard.h"
#include "platform/Toolkit.h"

namespace {

constexpr int32_t TicksAhead = 2; // ticks this machine may sample before the other's keys arrive

} // namespace

SharedSelect::SharedSelect(NetSession &Session, uint16_t SelectScreen, int LocalPerson)
    : Net(Session), Screen(SelectScreen), Local(LocalPerson), Inputs(Nothing, LocalPerson, 0) {}

bool SharedSelect::Run() {
    // Every match of the session starts from the state a fresh game starts from.
    ClearGameState();
    Gl_PlayerCount = 2;
    Frm_Select Select(this);
    Select.ShowModal();
    Holding.reset();
    return Chosen && !ProgramEnding() && Net.Stage() != NetSession::Stages::Over;
}

bool SharedSelect::SelectBegin() {
    Net.Service();
    Wire::Message In;
    while (Net.Take(In, Screen)) {
        if (In.Screen == Screen && In.Type == Wire::Kind::Inputs) {
            ReceiveInputs(Inputs, In);
            TheyHave = std::max(TheyHave, std::min(In.Ack, Inputs.LocalKnownThrough()));
        }
    }
    if (Net.Stage() == NetSession::Stages::Over) {
        return false; // the session has ended: the screen closes
    }
    if (Inputs.Frame() - Ran < TicksAhead) {
        const PadInput Enter = EnterPressed ? PadBits::Enter : 0;
        EnterPressed = false;
        Inputs.AdvanceLocal(InputOfLetterKeys() | Enter);
    }
    SendInputs(false);
    return true;
}

bool SharedSelect::SelectKey(int16_t KeyCode) {
    // Enter is shared: it acts in the tick it is part of, on both machines.
    if (KeyCode == VK_RETURN) {
        EnterPressed = true;
        return true;
    }
    return false;
}

// The next tick whose inputs both machines have given.
bool SharedSelect::SelectNextTick(bool &Enter) {
    Holding.reset();
    if (Ran >= Inputs.Frame() || Ran >= Inputs.RemoteKnownThrough()) {
        return false;
    }
    PadInput Both[2];
    Both[Local] = Inputs.LocalInput(Ran);
    Both[1 - Local] = Inputs.RemoteInput(Ran);
    Ran++;
    Enter = ((Both[0] | Both[1]) & PadBits::Enter) != 0;
    Holding = std::make_unique<HeldInputs>(Both);
    return true;
}

void SharedSelect::SelectEnd(bool LineupChosen) {
    Holding.reset();
    if (LineupChosen && !Chosen) {
        // The line-up is chosen; the other machine may still need our inputs to see it so.
        Chosen = true;
        SendInputs(true);
    }
}

void SharedSelect::SendInputs(bool Reliable) {
    Wire::Message Out = InputsMessage(Inputs, TheyHave);
    Out.Screen = Screen;
    Net.Send(Out, Reliable);
}
