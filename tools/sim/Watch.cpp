#include "tools/sim/Watch.h"

#include <cinttypes>
#include <cstdio>

#include "match/Match.h"
#include "match/Trace.h"
#include "net/EnetTransport.h"
#include "records/BasCmnDef.h"
#include "replay/LiveFeed.h"
#include "replay/ReplayMatch.h"

int RunWatch(const OnlineOptions &Opt) {
    std::string Error;
    std::unique_ptr<Transport> ToServer = EnetTransport::Connect(Opt.Address, Opt.Port, Error);
    if (ToServer == nullptr) {
        std::fprintf(stderr, "zorbump-sim: %s\n", Error.c_str());
        return 1;
    }
    LiveFeed Feed(std::move(ToServer), Opt.Room, Opt.Address + ":" + std::to_string(Opt.Port));
    int64_t Run = 0;
    bool Started = false, Done = false;
    while (!Done && !Feed.Over()) {
        if (!Feed.Next(50)) {
            continue;
        }
        if (Feed.Matches() > 1) {
            break; // the players went on to another match: the one watched is over
        }
        const Typ_Replay &Replay = Feed.Replay();
        if (!Started) {
            Started = true;
            StartReplay(Replay);
            if (Opt.Trace) {
                WriteTraceLine(stdout, 0);
            }
        }
        while (Run < int64_t(Replay.Ticks) && !Done) {
            Run++;
            RunReplayTick(Replay, Run);
            if (Opt.Trace) {
                WriteTraceLine(stdout, Run);
            }
            Done = Gl_ServeSide == MatchOver || Run == Opt.Ticks;
        }
        Done = Done || (Feed.LastTick() >= 0 && Run >= Feed.LastTick());
    }
    std::fflush(stdout);
    Feed.Close();
    const bool Seen = Done || Feed.Matches() > 1;
    if (!Seen) {
        std::fprintf(stderr, "zorbump-sim: %s\n", Feed.Problem().c_str());
    }
    if (!Opt.Trace) {
        std::printf("score %" PRId64 "-%" PRId64 " after %" PRId64 " ticks (%s)\n",
                    int64_t(Gl_Teams[0].Score), int64_t(Gl_Teams[1].Score), Run,
                    Seen ? "watched to the end" : "stopped early");
    }
    return Seen ? 0 : 1;
}
