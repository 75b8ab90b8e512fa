#include "web/PageReplay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <emscripten/emscripten.h>

#include "replay/FrmReplay.h"
#include "replay/ReplayMatch.h"

bool PageWantsReplay(int Count, char **Arguments) {
    return Count > 1 && std::strcmp(Arguments[1], "--replay") == 0;
}

int WatchPageReplay(int Count, char **Arguments) {
    int64_t StartTick = -1;
    if (Count == 4 && std::strcmp(Arguments[2], "--tick") == 0) {
        char *End = nullptr;
        StartTick = std::strtoll(Arguments[3], &End, 10);
        if (*End != '\0' || StartTick < 0) {
            StartTick = -1;
        }
    }
    const int Size = EM_ASM_INT({ return Module.replayBytes ? Module.replayBytes.length : 0; });
    std::vector<uint8_t> Bytes(size_t(Size > 0 ? Size : 0));
    if (!Bytes.empty()) {
        EM_ASM({ HEAPU8.set(Module.replayBytes, $0); }, Bytes.data());
    }
    Typ_Replay Replay;
    const ReplayCheck Check = LoadReplayBytes(Bytes, Replay);
    if (Check.Problem != ReplayProblem::None) {
        std::fprintf(stderr, "Zorbump: replay: %s\n", Check.Reason.c_str());
        return 2;
    }
    if (StartTick > int64_t(Replay.Ticks)) {
        StartTick = int64_t(Replay.Ticks);
    }
    RunReplayViewer(Replay, StartTick);
    return 0;
}
