// Time sync between two machines that each run the same ticks on their own clock: the one that runs
// ahead of the other lengthens its ticks a little until the other has caught up, so that neither
// waits long for the other's inputs. The tool and the game's windows both pace by this one rule.
#pragma once

#include <cstdint>

namespace Pacing {

constexpr int32_t AheadAllowed = 2; // ticks ahead of the other machine before slowing down

// Milliseconds to this machine's next tick: Interval, or a little longer while it runs ahead. The
// other machine's tick now is the last it told (TheirTicks), plus what it has run since, half a
// round trip.
inline uint32_t NextInterval(int32_t OurTicks, int32_t TheirTicks, uint32_t RoundTripMillis, uint32_t Interval) {
    const int64_t TheirsNow = int64_t(TheirTicks) + RoundTripMillis / 2 / Interval;
    return int64_t(OurTicks) - TheirsNow > AheadAllowed ? Interval + Interval / 8 : Interval;
}

} // namespace Pacing
