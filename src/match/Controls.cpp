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

// Down and back for a tick, then hit: a spin, from the floor or the air.
void StepBackCommand(Typ_Player &P) {
    const bool Primed = P.InDown && P.InBack;
    if (P.ComboBack == 1) {
        if (Primed) {
            P.ComboBack = 2;
        }
    } else if (P.ComboBack == 2) {
        P.ComboBack = Primed ? 2 : 1;
        if (P.InHit && (P.State == Standing || P.State == Airborne)) {
            P.State = Spin;
            P.Tick2 = 0;
            P.ComboBack = 1;
        }
    }
}

// Down and front for a tick, then hit: a high jump, from the floor only.
void StepFrontCommand(Typ_Player &P) {
    const bool Primed = P.InDown && P.InFront;
    if (P.ComboFront == 1) {
        if (Primed) {
            P.ComboFront = 2;
        }
    } else if (P.ComboFront == 2) {
        P.ComboFront = Primed ? 2 : 1;
        if (P.InHit && P.State == Standing) {
            P.State = HighJump;
            P.VX = -P.BackDir;
            P.VY = 20;
            P.Tick2 = 0;
            P.ComboFront = 1;
        }
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
