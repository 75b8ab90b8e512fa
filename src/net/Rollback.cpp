#include "net/Rollback.h"

#include <algorithm>

RollbackSession::RollbackSession(RollbackGame &Owner, int Local, int32_t InputDelay)
    : Game(Owner), LocalIndex(Local), Delay(InputDelay) {
    // With an input delay the first ticks have no local input yet: nothing is held.
    Local_.assign(size_t(Delay), 0);
}

bool RollbackSession::CanAdvance() const {
    return Next - KnownRemote < Window;
}

PadInput RollbackSession::Predicted(int32_t Frame) const {
    if (Frame < int32_t(RemoteKnown.size()) && RemoteKnown[size_t(Frame)]) {
        return Remote[size_t(Frame)];
    }
    // The last input known before it: people tend to hold what they held.
    for (int32_t Earlier = std::min(Frame, int32_t(RemoteKnown.size())) - 1; Earlier >= 0; --Earlier) {
        if (RemoteKnown[size_t(Earlier)]) {
            return Remote[size_t(Earlier)];
        }
    }
    return 0;
}

void RollbackSession::Run(int32_t Frame) {
    Game.SaveFrame(Frame);
    const PadInput Other = Predicted(Frame);
    if (int32_t(UsedRemote.size()) <= Frame) {
        UsedRemote.resize(size_t(Frame) + 1);
    }
    UsedRemote[size_t(Frame)] = Other;
    PadInput Inputs[2];
    Inputs[LocalIndex] = Local_[size_t(Frame)];
    Inputs[1 - LocalIndex] = Other;
    Game.AdvanceFrame(Frame, Inputs, Frame < KnownRemote);
}

void RollbackSession::AdvanceLocal(PadInput Input) {
    Local_.push_back(Input);
    Settle();
    Run(Next);
    Next++;
}

void RollbackSession::Settle() {
    if (FirstWrong >= 0) {
        // Back to the first tick run on a wrong guess, and forward again to the present.
        const int32_t Depth = Next - FirstWrong;
        Rollbacks++;
        LongestRollback = std::max(LongestRollback, Depth);
        ReplayedTicks += Depth;
        Game.LoadFrame(FirstWrong);
        const int32_t From = FirstWrong;
        FirstWrong = -1;
        for (int32_t Frame = From; Frame < Next; ++Frame) {
            Run(Frame);
        }
    }
}

void RollbackSession::ReceiveRemote(int32_t Frame, PadInput Input) {
    if (Frame < 0 || Frame > Next + Window + 64) {
        return; // never asked for: ignored
    }
    if (int32_t(RemoteKnown.size()) <= Frame) {
        RemoteKnown.resize(size_t(Frame) + 1, false);
        Remote.resize(size_t(Frame) + 1, 0);
    }
    if (RemoteKnown[size_t(Frame)]) {
        return; // a duplicate
    }
    RemoteKnown[size_t(Frame)] = true;
    Remote[size_t(Frame)] = Input;
    while (KnownRemote < int32_t(RemoteKnown.size()) && RemoteKnown[size_t(KnownRemote)]) {
        KnownRemote++;
    }
    // A tick already run on another guess must run again; so must the ticks after it whose guess
    // this input changes (they guessed from an older input).
    for (int32_t Ran = Frame; Ran < Next; ++Ran) {
        if (Ran > Frame && Ran < int32_t(RemoteKnown.size()) && RemoteKnown[size_t(Ran)]) {
            break;
        }
        if (UsedRemote[size_t(Ran)] != Predicted(Ran)) {
            FirstWrong = FirstWrong < 0 ? Ran : std::min(FirstWrong, Ran);
            break;
        }
    }
}
