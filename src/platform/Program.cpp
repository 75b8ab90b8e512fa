// The program's one backend and its end: the floor beneath the windows and the event loop.
#include "platform/Toolkit.h"
#include "platform/ToolkitBackend.h"

namespace {

Backend *TheBackend = nullptr;
bool Ending = false;

} // namespace

void SetBackend(Backend *NewBackend) {
    TheBackend = NewBackend;
}
Backend *CurrentBackend() {
    return TheBackend;
}

void Sleep(uint32_t Milliseconds) {
    TheBackend->Sleep(Milliseconds);
}

void EndProgram() {
    Ending = true;
}
bool ProgramEnding() {
    return Ending;
}
void ResetProgramEnd() {
    Ending = false;
}
