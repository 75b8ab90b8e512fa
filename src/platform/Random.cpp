#include "platform/Random.h"

namespace {

constexpr uint64_t GameSeed = 0x5A6F7262756D70ULL;

// Each on cache lines of its own: the learning module ticks several copies of the match side by
// side, one per thread, and two copies' states sharing a line would make their threads take turns.
alignas(64) uint64_t State = GameSeed;
alignas(64) double Logged[MaxLoggedDraws];
alignas(64) int LoggedCount = 0;

// splitmix64: small, fast and well distributed over all 64 bits.
uint64_t NextBits() {
    State += 0x9E3779B97F4A7C15ULL;
    uint64_t Z = State;
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBULL;
    return Z ^ (Z >> 31);
}

} // namespace

double Rnd() {
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    double Draw = static_cast<double>(NextBits() >> 11) * (1.0 / 9007199254740992.0);
    if (LoggedCount < MaxLoggedDraws) {
        Logged[LoggedCount] = Draw;
    }
    if (LoggedCount < MaxLoggedDraws) {
        LoggedCount++;
    } else {
        LoggedCount = MaxLoggedDraws + 1; // more than we kept; the count saturates
    }
    return Draw;
}

void ResetRnd() {
    State = GameSeed;
}

void SeedRnd(uint64_t Seed) {
    State = Seed;
}

uint64_t RndPosition() {
    return State;
}

void SetRndPosition(uint64_t Position) {
    State = Position;
}

void MarkDraws() {
    LoggedCount = 0;
}

int DrawsSinceMark() {
    return LoggedCount;
}

double DrawSinceMark(int Which) {
    return Which >= 0 && Which < MaxLoggedDraws ? Logged[Which] : 0.0;
}
