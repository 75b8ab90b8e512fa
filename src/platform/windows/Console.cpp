#include "platform/Console.h"

#include <windows.h>

#include <cstdio>

namespace {

bool Connected(DWORD Which) {
    const HANDLE Stream = GetStdHandle(Which);
    return Stream != nullptr && Stream != INVALID_HANDLE_VALUE;
}

} // namespace

void UseStartingConsole() {
    const bool Output = Connected(STD_OUTPUT_HANDLE);
    const bool Error = Connected(STD_ERROR_HANDLE);
    // Redirected streams, or a terminal that hands its own down, are kept as they are. Started from
    // Explorer there is no console to attach to, and the messages go nowhere, as before.
    if ((Output && Error) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!Output) {
        std::freopen("CONOUT$", "w", stdout);
    }
    if (!Error) {
        std::freopen("CONOUT$", "w", stderr);
    }
}
