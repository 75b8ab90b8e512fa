// The cost of the longest rollback online: restoring the match saved a whole rollback window ago
// and running every tick again to the present, each frame drawn, as the game does in one frame.
#include <benchmark/benchmark.h>

#include "BenchMatch.h"
#include "assets/Pictures.h"
#include "net/Rollback.h"

namespace {

void BM_LongestRollbackWithDrawing(benchmark::State &State) {
    static Surface Screen(480, 360);
    const Typ_Pictures &All = GetPictures();
    StartComputerMatch(Typ_MatchCanvas{&Screen, &All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka,
                                       &All.Pic_Back, &GetFont(37)});
    for (int Tick = 0; Tick < 200; ++Tick) {
        TickMatch();
    }
    Typ_MatchSnapshot Saved;
    SaveMatch(Saved);
    for (auto _ : State) {
        RestoreMatch(Saved);
        for (int Tick = 0; Tick < RollbackSession::Window; ++Tick) {
            Typ_MatchSnapshot Each;
            SaveMatch(Each); // the session saves before every tick it runs again
            TickMatch();
        }
        benchmark::ClobberMemory();
    }
    State.counters["ticks"] = RollbackSession::Window;
}
BENCHMARK(BM_LongestRollbackWithDrawing)->Unit(benchmark::kMicrosecond);

} // namespace
