#include "online/OnlineSession.h"

#include <chrono>
#include <cstdio>

#include "assets/Designs.h"
#include "match/Match.h"
#include "net/EnetTransport.h"
#include "online/FrmOnline.h"
#include "platform/Toolkit.h"

namespace {

constexpr uint32_t WaitingTick = 100; // milliseconds between two looks of the waiting window

// When the program started, on the transport's clock: a guest's patience counts from there, so
// that whatever start-up took, it has said within 5 s that nobody answered.
const auto ProgramStart = std::chrono::steady_clock::now();

uint64_t StartMillis() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(ProgramStart.time_since_epoch()).count());
}

} // namespace

OnlineSession::OnlineSession(const SessionOptions &Chosen, const std::string &Folder)
    : Options(Chosen), Started(Chosen.Role == SessionOptions::Roles::None), RecordDir(Folder) {}

OnlineSession::~OnlineSession() {
    if (Net != nullptr && Net->Stage() != NetSession::Stages::Over) {
        Net->Leave();
    }
    Finish();
}

// The core's session is over: its reason becomes the notice, and the connection goes.
void OnlineSession::Finish() {
    KeepMatch();
    if (Net == nullptr) {
        return;
    }
    if (Watching) {
        StopWakingOnSocket(Link->Socket());
        Watching = false;
    }
    if (Notice.empty()) {
        Notice = Net->Why();
    }
    Select.reset();
    Match.reset();
    Net.reset();
    Link.reset();
}

// Everything that has arrived, and the lines the session has to say while it goes on.
void OnlineSession::Service() {
    if (Net == nullptr) {
        return;
    }
    Net->Service();
    for (std::string Line = Net->TakeNote(); !Line.empty(); Line = Net->TakeNote()) {
        std::fprintf(stderr, "Zorbump: %s\n", Line.c_str());
    }
}

// Starts listening or connecting, and waits in the online window for the handshake to end.
void OnlineSession::Start() {
    Started = true;
    std::string Error;
    const bool Hosting = Options.Role == SessionOptions::Roles::Host;
    const std::string Place = Options.Address + ":" + std::to_string(Options.Port);
    Link = Hosting ? EnetTransport::Listen(Options.Port, Error)
                   : EnetTransport::Connect(Options.Address, Options.Port, Error);
    if (Link == nullptr) {
        Notice = Error;
        return;
    }
    Wire::Message Welcome;
    // The session's number, on every message after the handshake: a stray datagram of an earlier
    // session is not taken for one of this.
    Welcome.Session = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()) | 1u;
    Net = std::make_unique<NetSession>(*Link, Hosting, SimulationFingerprint(), Welcome, StartMillis());
    Net->Place = " at " + Place;
    WakeOnSocket(Link->Socket(), [this] { Service(); });
    Watching = true;
    const std::string Line = Hosting ? "Waiting for the other player on UDP port " +
                                           std::to_string(Options.Port) + " - Escape gives up"
                                     : "Connecting to " + Place + " - Escape gives up";
    Frm_Online Window(Line, WaitingTick, [this, &Window] {
        Service();
        if (Net->Stage() != NetSession::Stages::Connecting) {
            Window.Unload();
        }
    });
    Window.ShowModal();
    if (Net->Stage() == NetSession::Stages::Connecting) {
        Net->Leave(); // given up, or the program is ending
    }
    if (Over()) {
        Finish();
    }
}

bool OnlineSession::PrepareMatch() {
    if (!Started) {
        Start();
        if (ProgramEnding()) {
            return false;
        }
        Screen = 0;
    } else if (Match != nullptr) {
        Screen = uint16_t(Screen + 1);
    }
    if (!Over()) {
        // The shared select screen, its inputs taken from now on, also while a notice is read.
        Match.reset();
        Select = std::make_unique<SharedSelect>(*Net, Screen, Local());
    }
    SayNotice();
    if (!ProgramEnding() && Over()) {
        Finish();
        SayNotice(); // the session ended while the last match's notice was read
    }
    if (ProgramEnding() || Over()) {
        return false;
    }
    const bool Chosen = Select->Run();
    Select.reset();
    if (!Chosen) {
        // The session or the program ended while the select screen was up.
        Finish();
        if (!ProgramEnding()) {
            SayNotice();
        }
        return false;
    }
    Screen = uint16_t(Screen + 1);
    SharedMatch::Play How;
    How.Local = Local();
    How.Delay = Options.Delay;
    How.Screen = Screen;
    if (!RecordDir.empty()) {
        How.Confirmed = [this](int64_t, const RollbackMatch::Outcome &Out) {
            Recorder.AddTick(Out.Inputs[0], Out.Inputs[1]);
        };
    }
    Match = std::make_unique<SharedMatch>(*Net, How);
    return true;
}

// Why the session or the last match ended, said once.
void OnlineSession::SayNotice() {
    if (!Notice.empty()) {
        const std::string Line = Notice;
        Notice.clear();
        ShowNotice(Line);
    }
}

void OnlineSession::BeginMatch() {
    KeepMatch();
    // The line-up before the match starts (starting moves everyone up one position); the random
    // source once the match has taken its own point of the sequence.
    if (!RecordDir.empty()) {
        Recorder.BeginFromRecords(ReplayOrigin::Direct);
    }
    Match->Begin();
    if (Recorder.Recording()) {
        Recorder.TakeRandomPosition();
    }
}

// The match just ended, or the session: what was confirmed of it is kept.
void OnlineSession::KeepMatch() {
    Recorder.KeepIn(RecordDir);
}

bool OnlineSession::MatchTick() {
    Service();
    if (Match == nullptr || Over()) {
        Finish();
        return false;
    }
    if (!Match->Tick()) {
        Notice = Match->Problem();
        KeepMatch();
        return false;
    }
    return true;
}

bool OnlineSession::MatchKey(int16_t KeyCode) {
    if (Match == nullptr || Over()) {
        return false;
    }
    if (!Match->Key(KeyCode)) {
        KeepMatch();
        return false;
    }
    return true;
}

uint32_t OnlineSession::TickInterval() const {
    return Match != nullptr ? Match->TickInterval() : MatchTickInterval;
}
