// The keyboard during a match: two people's key sets polled at every tick into a character's five
// controls, and the three command inputs that start the special moves.
#include "match/Match.h"
#include "platform/KeySets.h"
#include "records/BasCmnDef.h"

namespace {

bool Held(int32_t VirtualKey) {
    return KeyIsHeld(GetKeyState(VirtualKey));
}

// Every control was released just before, so each one simply takes its key's state.
void PollKeys(Typ_Player &P, int16_t Side) {
    const int32_t(&Keys)[KeyRole::Count] = KeySets[P.KeySet == 0 ? 0 : 1];
    const auto Flag = [](bool On) { return On ? FlagOn : FlagOff; };
    // On the left court the right key points at the net; on the right court it points away.
    const bool RightHeld = Held(Keys[KeyRole::Right]), LeftHeld = Held(Keys[KeyRole::Left]);
    P.InUp = Flag(Held(Keys[KeyRole::Up]));
    P.InDown = Flag(Held(Keys[KeyRole::Down]));
    P.InFront = Flag(Side == 0 ? RightHeld : LeftHeld);
    P.InBack = Flag(Side == 0 ? LeftHeld : RightHeld);
    P.InHit = Flag(Held(Keys[KeyRole::Hit]));
}

// Down, front, back and hit together, standing, with a full gauge.
bool StartSuperMove(Typ_Player &P) {
    if (P.Power != 100 || P.State != Standing || !(P.InDown && P.InFront && P.InBack && P.InHit)) {
        return false;
    }
    P.State = SuperMove;
    P.Phase = 0;
    P.VX = -(P.BackDir * P.RunSpeed);
    P.VY = 10;
    P.Tick2 = 0;
    return true;
}

// A command's stage is 1 or 2: a tick with both of its keys held leaves it at 2 for the next tick,
// any other tick at 1. Returns whether the command fires: hit in a tick at stage 2.
bool StepCommand(Int16 &Stage, int64_t FirstKey, int64_t SecondKey, int64_t Hit) {
    const int64_t Was = Stage;
    if (Was != 1 && Was != 2) {
        return false;
    }
    Stage = FirstKey && SecondKey ? 2 : 1;
    return Was == 2 && Hit;
}

// Down and back for a tick, then hit: a spin, from the floor or the air.
void StepBackCommand(Typ_Player &P) {
    if (StepCommand(P.ComboBack, P.InDown, P.InBack, P.InHit) &&
        (P.State == Standing || P.State == Airborne)) {
        P.State = Spin;
        P.Tick2 = 0;
        P.ComboBack = 1;
    }
}

// Down and front for a tick, then hit: a high jump, from the floor only.
void StepFrontCommand(Typ_Player &P) {
    if (StepCommand(P.ComboFront, P.InDown, P.InFront, P.InHit) && P.State == Standing) {
        P.State = HighJump;
        P.VX = -P.BackDir;
        P.VY = 20;
        P.Tick2 = 0;
        P.ComboFront = 1;
    }
}

} // namespace

void ReadControls(int16_t Side, int16_t Index) {
    Typ_Player &P = Gl_Players[Index];
    P.InUp = FlagOff;
    P.InDown = FlagOff;
    P.InBack = FlagOff;
    P.InFront = FlagOff;
    P.InHit = FlagOff;
    if (P.Control == ComputerControl) {
        ThinkCpu(Side, Index);
        return;
    }
    PollKeys(P, Side);
    if (StartSuperMove(P)) {
        return; // neither command stage moves in this tick
    }
    // The front command's stage is kept even when the back command has just started a spin.
    StepBackCommand(P);
    StepFrontCommand(P);
}
