// The cost of the rules alone: one tick of a running four-computer match, and a whole match.
#include <benchmark/benchmark.h>

#include "BenchMatch.h"

namespace {

// Without a screen, the frame step changes only the state that drawing owns.
void BM_TickMatch(benchmark::State &State) {
    StartComputerMatch(Typ_MatchCanvas{});
    for (int T = 0; T < 500; ++T) { // into the thick of a rally
        TickMatch();
    }
    for (auto _ : State) {
        TickMatch();
        if (Gl_ServeSide == MatchOver) {
            State.PauseTiming();
            StartComputerMatch(Typ_MatchCanvas{});
            State.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TickMatch);

void BM_WholeMatch(benchmark::State &State) {
    int64_t Ticks = 0;
    for (auto _ : State) {
        StartComputerMatch(Typ_MatchCanvas{});
        while (Gl_ServeSide != MatchOver) {
            TickMatch();
            Ticks++;
        }
    }
    State.counters["ticks"] =
        benchmark::Counter(static_cast<double>(Ticks), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WholeMatch)->Unit(benchmark::kMillisecond);

} // namespace
