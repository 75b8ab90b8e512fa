// The cost of the rules alone: one tick of a running four-computer match, and a whole match.
#include <benchmark/benchmark.h>

#include "game/BasCmnDef.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"

namespace {

void StartComputerMatch() {
    ClearGameState();
    ReleaseScriptedKeys();
    ResetRnd();
    Gl_Canvas = Typ_MatchCanvas{}; // no screen: the frame step changes only its state
    for (int I = 0; I < 4; ++I) {
        Gl_Players[I].Side = I % 2;
        Gl_Players[I].Slot = I / 2;
        Gl_Players[I].Control = ComputerControl;
        Gl_Players[I].KeySet = -1;
    }
    Gl_Teams[0].Members = 2;
    Gl_Teams[1].Members = 2;
    StartMatch();
}

void BM_TickMatch(benchmark::State &State) {
    StartComputerMatch();
    for (int T = 0; T < 500; ++T) { // into the thick of a rally
        TickMatch();
    }
    for (auto _ : State) {
        TickMatch();
        if (Gl_ServeSide == MatchOver) {
            State.PauseTiming();
            StartComputerMatch();
            State.ResumeTiming();
        }
    }
}
BENCHMARK(BM_TickMatch);

void BM_WholeMatch(benchmark::State &State) {
    int64_t Ticks = 0;
    for (auto _ : State) {
        StartComputerMatch();
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
