// The cost of a drawn tick: one TickMatch of a running four-computer match with the frame drawn
// onto the window's surface, against a plain copy of one 480 x 360 frame measured in the same run.
// BM_TickMatchDrawn reports the ratio of the two as its counter "vs_copy" (the target is 1.5 or
// less).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "BenchMatch.h"
#include "assets/Pictures.h"

namespace {

Surface Screen(480, 360);

void StartDrawnMatch() {
    const Typ_Pictures &All = GetPictures();
    StartComputerMatch(Typ_MatchCanvas{&Screen, &All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka,
                                       &All.Pic_Back, &GetFont(37)});
}

void TickOnce() {
    TickMatch();
    if (Gl_ServeSide == MatchOver) {
        StartDrawnMatch();
    }
}

// A plain copy of one whole frame, as the window's presentation would make it.
void CopyFrame(const Surface &From, Surface &To) {
    std::memcpy(To.Pixels.data(), From.Pixels.data(), From.Pixels.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
}

template <typename Step> double SecondsPer(int Count, Step &&Run) {
    const auto Start = std::chrono::steady_clock::now();
    for (int I = 0; I < Count; ++I) {
        Run();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count() / Count;
}

void BM_TickMatchDrawn(benchmark::State &State) {
    StartDrawnMatch();
    for (int T = 0; T < 500; ++T) { // into the thick of a rally
        TickOnce();
    }
    for (auto _ : State) {
        TickOnce();
        benchmark::ClobberMemory();
    }
    // The ratio, from both measured side by side now, each the best of several rounds.
    Surface Copy(480, 360);
    double Tick = 1e9;
    double Plain = 1e9;
    for (int Round = 0; Round < 7; ++Round) {
        Tick = std::min(Tick, SecondsPer(2000, TickOnce));
        Plain = std::min(Plain, SecondsPer(2000, [&] { CopyFrame(Screen, Copy); }));
    }
    State.counters["vs_copy"] = Tick / Plain;
}
BENCHMARK(BM_TickMatchDrawn);

void BM_FrameCopy(benchmark::State &State) {
    Surface From(480, 360, 0x123456);
    Surface To(480, 360);
    for (auto _ : State) {
        CopyFrame(From, To);
    }
}
BENCHMARK(BM_FrameCopy);

void BM_BuildPictures(benchmark::State &State) {
    // What start-up pays once: every picture the game shows, built from its shapes.
    for (auto _ : State) {
        Typ_WindowPictures First = BuildWindowPictures();
        Typ_Pictures All = BuildPictures();
        benchmark::DoNotOptimize(First.Title.Pixels.data());
        benchmark::DoNotOptimize(All.Pic_Tumbler.Pixels.data());
    }
}
BENCHMARK(BM_BuildPictures)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
