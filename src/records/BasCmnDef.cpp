#include "records/BasCmnDef.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Random.h"

// On cache lines of its own: the learning module ticks several copies of the match at once, one
// per thread, and a line shared with another copy's globals would pass between their cores at
// every tick.
alignas(64) Typ_Match Gl_Match;
Int16 Gl_PlayerCount;

void OverflowFault(int Bits, int64_t Value) {
    std::fprintf(stderr, "Zorbump: overflow: %lld does not fit a %d-bit field\n",
                 static_cast<long long>(Value), Bits);
    std::abort();
}

void ClearGameState() {
    ClearMatch();
    Gl_PlayerCount = 0;
}

void ClearMatch() {
    Gl_Match = Typ_Match{};
}

void SaveMatch(Typ_MatchSnapshot &Snapshot) {
    Snapshot.Match = Gl_Match;
    Snapshot.RandomPosition = RndPosition();
}

void RestoreMatch(const Typ_MatchSnapshot &Snapshot) {
    Gl_Match = Snapshot.Match;
    SetRndPosition(Snapshot.RandomPosition);
}
