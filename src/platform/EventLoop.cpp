// The toolkit's event loop: waiting for events, timers and watched sockets, and handing each to its
// window, one at a time, each to its end. It drives the windows and controls of Forms.cpp.
#include <algorithm>
#include <limits>

#include "platform/FormList.h"
#include "platform/Toolkit.h"
#include "platform/ToolkitBackend.h"

namespace {

KeyListener HeardKeys = nullptr;
int16_t KeptKey = 0; // the key the listener took last, whose repeats it keeps too

struct WatchedSocket {
    intptr_t Socket;
    std::function<void()> Handler;
};
std::vector<WatchedSocket> SocketHandlers;
std::vector<std::function<void()>> SoonWork; // RunSoon's, for the next round

uint64_t Now() {
    return CurrentBackend()->NowMicros();
}

Form *FindForm(uint32_t Window) {
    for (Form *Candidate : LoadedForms()) {
        if (Candidate->WindowId() == Window) {
            return Candidate;
        }
    }
    return nullptr;
}

void PaintAll() {
    const std::vector<Form *> Forms = LoadedForms();
    for (Form *Each : Forms) {
        Each->PaintIfNeeded();
    }
}

void Dispatch(const ToolkitEvent &Event) {
    if (Event.Type == ToolkitEvent::Quit) {
        EndProgram();
        return;
    }
    Form *Target = FindForm(Event.Window);
    if (Target == nullptr) {
        return;
    }
    switch (Event.Type) {
    case ToolkitEvent::KeyDown:
        // A held key's repeats go where its first press went, so holding M does not flicker the
        // sound on and off.
        if (Event.Repeat && Event.KeyCode == KeptKey) {
            break;
        }
        KeptKey = 0;
        if (HeardKeys != nullptr && !Target->Typing() && HeardKeys(Event.KeyCode)) {
            KeptKey = Event.KeyCode;
            break;
        }
        if (Target->Visible() && TakesInput(Target)) {
            const int16_t KeyCode = Target->PadKey(Event.KeyCode, Event.Pad);
            if (KeyCode != 0) {
                Target->DeliverKey(KeyCode);
            }
        }
        break;
    case ToolkitEvent::MouseDown:
        if (Target->Visible() && TakesInput(Target)) {
            Target->DeliverMouseDown(Event.X, Event.Y);
        }
        break;
    case ToolkitEvent::MouseUp:
        if (Target->Visible() && TakesInput(Target)) {
            Target->DeliverMouseUp(Event.X, Event.Y);
        }
        break;
    case ToolkitEvent::Close:
        if (TakesInput(Target)) {
            Target->Unload(UnloadMode::ClosedByFrame);
        }
        break;
    case ToolkitEvent::Expose:
        Target->Invalidate();
        break;
    default:
        break;
    }
    if (IsLoadedForm(Target)) {
        Target->Invalidate();
    }
}

// Runs each timer that is due, once. A timer stopped by an earlier tick of this round is skipped.
bool FireDueTimers() {
    std::vector<Timer *> Due;
    const uint64_t At = Now();
    for (Form *Each : LoadedForms()) {
        for (Timer *Candidate : Each->FormTimers()) {
            if (Candidate->Running() && Candidate->Due() <= At) {
                Due.push_back(Candidate);
            }
        }
    }
    bool Fired = false;
    for (Timer *Candidate : Due) {
        if (ProgramEnding()) {
            break;
        }
        bool StillThere = false;
        for (Form *Each : LoadedForms()) {
            const std::vector<Timer *> &Timers = Each->FormTimers();
            StillThere = StillThere || std::find(Timers.begin(), Timers.end(), Candidate) != Timers.end();
        }
        if (StillThere && Candidate->Running() && Candidate->Due() <= Now()) {
            Candidate->Fire();
            Fired = true;
        }
    }
    return Fired;
}

// Lets every watched socket's handler look at what arrived. A handler may stop watching any socket.
void ServeSockets() {
    const std::vector<WatchedSocket> Watched = SocketHandlers;
    for (const WatchedSocket &Each : Watched) {
        if (!ProgramEnding()) {
            Each.Handler();
        }
    }
}

uint64_t NextDue() {
    uint64_t Next = std::numeric_limits<uint64_t>::max();
    for (Form *Each : LoadedForms()) {
        for (Timer *Candidate : Each->FormTimers()) {
            if (Candidate->Running()) {
                Next = std::min(Next, Candidate->Due());
            }
        }
    }
    return Next;
}

// One round of the event loop: the timers that are due, then every event already waiting. When
// neither had anything and Wait is set, waits for the next event or timer. Then the watched
// sockets' handlers.
void RunRound(bool Wait) {
    if (!SoonWork.empty()) {
        const std::vector<std::function<void()>> Work = std::move(SoonWork);
        SoonWork.clear();
        for (const std::function<void()> &Each : Work) {
            Each();
        }
    }
    bool Busy = FireDueTimers();
    ToolkitEvent Event;
    while (!ProgramEnding() && CurrentBackend()->PollEvent(Event)) {
        Dispatch(Event);
        PaintAll();
        Busy = true;
    }
    PaintAll();
    if (!Busy && Wait && !ProgramEnding()) {
        if (CurrentBackend()->WaitEvent(NextDue(), Event)) {
            Dispatch(Event);
            PaintAll();
        }
    }
    // Last, so that a window a handler unloads ends its modal run before anything is waited for.
    ServeSockets();
    PaintAll();
}

} // namespace

void DoEvents() {
    if (!ProgramEnding()) {
        RunRound(false);
    }
}

void RunEventLoop() {
    while (!ProgramEnding() && !LoadedForms().empty()) {
        RunRound(true);
    }
}

void RunSoon(std::function<void()> Work) {
    SoonWork.push_back(std::move(Work));
}

void WakeOnSocket(intptr_t Socket, std::function<void()> Handler) {
    StopWakingOnSocket(Socket);
    SocketHandlers.push_back({Socket, std::move(Handler)});
    if (CurrentBackend() != nullptr) {
        CurrentBackend()->WatchSocket(Socket);
    }
}

void StopWakingOnSocket(intptr_t Socket) {
    SocketHandlers.erase(
        std::remove_if(SocketHandlers.begin(), SocketHandlers.end(),
                       [Socket](const WatchedSocket &Each) { return Each.Socket == Socket; }),
        SocketHandlers.end());
    if (CurrentBackend() != nullptr) {
        CurrentBackend()->UnwatchSocket(Socket);
    }
}

void SetKeyListener(KeyListener Listener) {
    HeardKeys = Listener;
}

void Form::ShowModal() {
    Show();
    EnterModal(this);
    while (Loaded() && !ProgramEnding()) {
        RunRound(true);
    }
    LeaveModal(this);
}
