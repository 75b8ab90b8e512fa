#include "online/SharedSelect.h"

#include <algorithm>

#include "records/BasCmnDef.h"
#include "online/RollbackMatch.h"
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
    Window = &Select;
    Select.ShowModal();
    Window = nullptr;
    return Chosen && !ProgramEnding() && Net.Stage() != NetSession::Stages::Over;
}

void SharedSelect::Pump() {
    Wire::Message In;
    while (Net.Take(In, Screen)) {
        if (In.Screen == Screen && In.Type == Wire::Kind::Inputs) {
            ReceiveInputs(Inputs, In);
            TheyHave = std::max(TheyHave, std::min(In.Ack, Inputs.LocalKnownThrough()));
        }
    }
    if (Window != nullptr && Net.Stage() == NetSession::Stages::Over) {
        Window->Unload(); // the session has ended: the screen closes
        return;
    }
    RunTicks();
}

void SharedSelect::SelectTimer(Frm_Select &Select) {
    Net.Service();
    Pump();
    if (!Select.Loaded()) {
        return;
    }
    if (Inputs.Frame() - Ran < TicksAhead) {
        const PadInput Enter = EnterPressed ? PadBits::Enter : 0;
        EnterPressed = false;
        Inputs.AdvanceLocal(InputOfLetterKeys() | Enter);
    }
    SendInputs(false);
    RunTicks();
}

bool SharedSelect::SelectKey(int16_t KeyCode) {
    // Enter is shared: it acts in the tick it is part of, on both machines.
    if (KeyCode == VK_RETURN) {
        EnterPressed = true;
        return true;
    }
    return false;
}

// Runs every tick whose inputs both machines have given.
void SharedSelect::RunTicks() {
    while (Window != nullptr && Window->Loaded() && Ran < Inputs.Frame() && Ran < Inputs.RemoteKnownThrough()) {
        PadInput Both[2];
        Both[Local] = Inputs.LocalInput(Ran);
        Both[1 - Local] = Inputs.RemoteInput(Ran);
        Ran++;
        const bool Enter = ((Both[0] | Both[1]) & PadBits::Enter) != 0;
        {
            const HeldInputs Holding(Both);
            Window->RunTick(Enter);
        }
        if (!Window->Loaded()) {
            // The line-up is chosen; the other machine may still need our inputs to see it so.
            Chosen = true;
            SendInputs(true);
        }
    }
}

void SharedSelect::SendInputs(bool Reliable) {
    Wire::Message Out = InputsMessage(Inputs, TheyHave);
    Out.Screen = Screen;
    Net.Send(Out, Reliable);
}
