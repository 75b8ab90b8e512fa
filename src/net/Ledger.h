// The checksum ledger of a match: both machines send a checksum of their state every ChecksumEvery
// confirmed ticks, and of the last tick of the match when it ends there, and each compares the
// other's with its own. Only checksums that can be expected are kept: of a tick still to compare,
// no further ahead than the other machine could have confirmed. Nothing a peer sends grows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

class ChecksumLedger {
  public:
    static constexpr int64_t Every = 30;
    // How far past our confirmed ticks the other machine may have confirmed: it cannot confirm a
    // tick whose inputs of ours it has not had.
    static constexpr int64_t Reach = 256;

    static bool Due(int64_t Tick) { return Tick > 0 && Tick % Every == 0; }

    // Our checksum of a confirmed tick (ticks come in order, each once).
    void Ours(int64_t Tick, uint32_t Value);
    // The other machine's checksum of a tick; Last when it is the last tick of the match there. A
    // match that ends on one machine at a tick it went on past on the other differs there.
    void Theirs(int64_t Tick, uint32_t Value, bool Last);

    // The first tick whose checksums differ, -1 while none does.
    int64_t Differs() const { return Difference; }
    // The last tick of the match as the other machine has said it, -1 until it has.
    int64_t TheirLast() const { return TheirEnd; }

  private:
    void Compare(int64_t Tick, uint32_t A, uint32_t B);

    int64_t Confirmed = 0; // our ticks recorded
    uint32_t LastValue = 0; // our checksum of the latest
    int64_t Difference = -1;
    int64_t TheirEnd = -1;
    uint32_t TheirEndValue = 0;
    std::map<int64_t, uint32_t> OursWaiting, TheirsWaiting; // by tick, until compared
};
