#include "net/Ledger.h"

void ChecksumLedger::Compare(int64_t Tick, uint32_t A, uint32_t B) {
    if (A != B && Difference < 0) {
        Difference = Tick;
    }
}

void ChecksumLedger::Ours(int64_t Tick, uint32_t Value) {
    Confirmed = Tick;
    LastValue = Value;
    if (Tick == TheirEnd) {
        Compare(Tick, Value, TheirEndValue);
    } else if (TheirEnd >= 0 && Tick > TheirEnd) {
        Compare(TheirEnd, 0, 1); // the match went on here past the tick it ended at there
    }
    if (!Due(Tick)) {
        return;
    }
    const auto It = TheirsWaiting.find(Tick);
    if (It != TheirsWaiting.end()) {
        Compare(Tick, Value, It->second);
        TheirsWaiting.erase(It);
    } else {
        OursWaiting[Tick] = Value;
        // Theirs is sure to come for each, in order; a peer that holds them back has at most the
        // reach of ours waiting.
        while (OursWaiting.size() > size_t(Reach / Every + 2)) {
            OursWaiting.erase(OursWaiting.begin());
        }
    }
}

void ChecksumLedger::Theirs(int64_t Tick, uint32_t Value, bool Last) {
    if (Tick <= 0 || Tick > Confirmed + Reach) {
        return; // never to be compared
    }
    if (Last) {
        if (TheirEnd >= 0) {
            return; // a match ends once
        }
        TheirEnd = Tick;
        TheirEndValue = Value;
        if (Tick < Confirmed) {
            Compare(Tick, 0, 1); // the match went on here past the tick it ended at there
        } else if (Tick == Confirmed) {
            Compare(Tick, LastValue, Value);
        }
        return;
    }
    if (!Due(Tick)) {
        return;
    }
    const auto It = OursWaiting.find(Tick);
    if (It != OursWaiting.end()) {
        Compare(Tick, It->second, Value);
        OursWaiting.erase(It);
    } else if (Tick > Confirmed) {
        TheirsWaiting[Tick] = Value;
    }
}
