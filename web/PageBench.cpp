#include "web/PageBench.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <emscripten/emscripten.h>

#include "assets/Pictures.h"
#include "bench/BenchMatch.h"
#include "net/Rollback.h"

namespace {

// The browser's clock is coarse (a tenth of a millisecond in a page that is not cross-origin
// isolated), so rollbacks are timed in batches, and the first batches only warm the code up: the
// browser compiles the hot functions again, optimised, after they have run a while.
constexpr int WarmUpBatches = 10;
constexpr int Batches = 100;
constexpr int RollbacksPerBatch = 10;

void RunOneRollback(const Typ_MatchSnapshot &Saved) {
    RestoreMatch(Saved);
    for (int Tick = 0; Tick < RollbackSession::Window; ++Tick) {
        Typ_MatchSnapshot Each;
        SaveMatch(Each); // the session saves before every tick it runs again
        TickMatch();
    }
}

} // namespace

int TimeLongestRollback() {
    static Surface Screen(480, 360);
    const Typ_Pictures &All = GetPictures();
    StartComputerMatch(Typ_MatchCanvas{&Screen, &All.Pic_Tumbler, &All.Pic_Ball, &All.Pic_Kouka,
                                       &All.Pic_Back, &GetFont(37)});
    for (int Tick = 0; Tick < 200; ++Tick) {
        TickMatch();
    }
    Typ_MatchSnapshot Saved;
    SaveMatch(Saved);
    std::vector<double> Each; // milliseconds a rollback, batch by batch
    for (int Batch = 0; Batch < WarmUpBatches + Batches; ++Batch) {
        const double Start = emscripten_get_now();
        for (int Run = 0; Run < RollbacksPerBatch; ++Run) {
            RunOneRollback(Saved);
        }
        if (Batch >= WarmUpBatches) {
            Each.push_back((emscripten_get_now() - Start) / RollbacksPerBatch);
        }
    }
    std::sort(Each.begin(), Each.end());
    double Sum = 0;
    for (double Value : Each) {
        Sum += Value;
    }
    std::printf(
        "longest rollback: %d ticks run again, each drawn: mean %.1f us, median %.1f us, fastest %.1f us "
        "(%d batches of %d)\n",
        int(RollbackSession::Window), 1000 * Sum / double(Each.size()), 1000 * Each[Each.size() / 2],
        1000 * Each.front(), Batches, RollbacksPerBatch);
    std::fflush(stdout);
    return 0;
}
