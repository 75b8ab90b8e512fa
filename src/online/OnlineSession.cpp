#include "online/OnlineSession.h"

#include "assets/Designs.h"
#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "online/FrmOnline.h"
#include "online/RollbackMatch.h"
#include "platform/Keyboard.h"
#include "platform/Toolkit.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Silence = std::chrono::seconds(5);
// A guest gives up on a host that does not answer sooner than that, so that it has said so within
// 5 s of being started, its own start-up included.
constexpr auto JoinPatience = std::chrono::milliseconds(4000);
constexpr uint32_t WaitingTick = 100; // milliseconds between two looks of the waiting window

const char *const OtherBuild = "the other machine runs another build of the game: both must run the same one";

} // namespace

OnlineSession::OnlineSession(const SessionOptions &Chosen)
    : Options(Chosen), Stage(Chosen.Role == SessionOptions::Roles::None ? Stages::Over : Stages::Idle) {}

OnlineSession::~OnlineSession() {
    if (Stage != Stages::Over && Stage != Stages::Idle) {
        Wire::Message Bye;
        Bye.Type = Wire::Kind::Bye;
        Bye.Session = SessionId;
        Link.Send(Bye, true);
    }
    End("");
}

void OnlineSession::End(const std::string &Why) {
    if (Watching) {
        StopWakingOnSocket(Link.Socket());
        Watching = false;
    }
    Link.Close();
    if (Stage != Stages::Over && !Why.empty()) {
        Notice = Why;
    }
    Stage = Stages::Over;
    if (Select != nullptr) {
        Select->Stop();
    }
    if (Waiting != nullptr) {
        Waiting->Unload();
    }
}

// Starts listening or connecting, and waits in the online window for the handshake to end.
void OnlineSession::Start() {
    std::string Error;
    const bool Hosting = Options.Role == SessionOptions::Roles::Host;
    if (Hosting ? !Link.Listen(Options.Port, Error) : !Link.Connect(Options.Address, Options.Port, Error)) {
        End(Error);
        return;
    }
    Fingerprint = SimulationFingerprint();
    if (Hosting) {
        // The session's number, on every message after the handshake: a stray datagram of an
        // earlier session is not taken for one of this.
        SessionId = uint32_t(Clock::now().time_since_epoch().count()) | 1u;
    }
    Stage = Stages::Connecting;
    Started = Clock::now();
    WakeOnSocket(Link.Socket(), [this] { Service(); });
    Watching = true;
    const std::string Line =
        Hosting ? "Waiting for the other player on UDP port " + std::to_string(Options.Port) + " - Escape gives up"
                : "Connecting to " + Options.Address + ":" + std::to_string(Options.Port) + " - Escape gives up";
    Frm_Online Window(Line, WaitingTick, [this] { Service(); });
    Waiting = &Window;
    Window.ShowModal();
    Waiting = nullptr;
    if (Stage == Stages::Connecting) {
        End(""); // given up, or the program is ending
    }
}

void OnlineSession::Service() {
    if (Stage == Stages::Idle || Stage == Stages::Over) {
        return;
    }
    for (;;) {
        Wire::Message In;
        const NetLink::Happening What = Link.Poll(0, In);
        if (What == NetLink::Happening::Nothing) {
            break;
        }
        if (Stage == Stages::Connecting) {
            Handshake(What, In);
        } else if (What == NetLink::Happening::Lost) {
            End("connection lost");
        } else if (What == NetLink::Happening::Received && In.Session == SessionId) {
            Heard = Clock::now();
            Route(In);
        }
        if (Stage == Stages::Over) {
            return;
        }
    }
    const auto Now = Clock::now();
    if (Stage == Stages::Connecting) {
        if (Options.Role == SessionOptions::Roles::Guest && Now - Started > JoinPatience) {
            End("nobody answered at " + Options.Address + ":" + std::to_string(Options.Port));
        }
    } else if (Now - Heard > Silence) {
        End("connection lost");
    }
}

// The guest says who it is; the host answers with the session's number, or a refusal.
void OnlineSession::Handshake(NetLink::Happening What, const Wire::Message &In) {
    const bool Hosting = Options.Role == SessionOptions::Roles::Host;
    if (What == NetLink::Happening::Connected && !Hosting) {
        Wire::Message Hello;
        Hello.Type = Wire::Kind::Hello;
        Hello.Fingerprint = Fingerprint;
        Link.Send(Hello, true);
        return;
    }
    if (What == NetLink::Happening::Lost) {
        // A guest that left before the handshake ended: the host waits for another.
        if (!Hosting) {
            End("the host closed the connection");
        }
        return;
    }
    if (What != NetLink::Happening::Received) {
        return;
    }
    if (In.Type == Wire::Kind::Refuse) {
        End(In.Reason == Wire::Refusal::Full ? "that game already has two players" : OtherBuild);
        return;
    }
    if (In.Type != (Hosting ? Wire::Kind::Hello : Wire::Kind::Welcome)) {
        return;
    }
    if (In.Version != Wire::ProtocolVersion || In.Fingerprint != Fingerprint) {
        // Refused on both sides: the other machine is told why, and so is this one's player.
        Wire::Message No;
        No.Type = Wire::Kind::Refuse;
        No.Reason = Wire::Refusal::OtherBuild;
        Link.Send(No, true);
        End(OtherBuild);
        return;
    }
    if (Hosting) {
        Wire::Message Welcome;
        Welcome.Type = Wire::Kind::Welcome;
        Welcome.Session = SessionId;
        Welcome.Fingerprint = Fingerprint;
        Link.Send(Welcome, true);
    } else {
        SessionId = In.Session;
    }
    Stage = Stages::Agreed;
    Heard = Clock::now();
    if (Waiting != nullptr) {
        Waiting->Unload();
    }
}

// A message of the session, to the screen it belongs to.
void OnlineSession::Route(const Wire::Message &In) {
    if (In.Type == Wire::Kind::Bye) {
        End("the other player left");
        return;
    }
    if (Stage == Stages::Match) {
        if (In.Screen == Screen) {
            Match->Receive(In);
        } else if (In.Screen > Screen) {
            Match->OtherMovedOn();
        }
    } else if (Stage == Stages::Select && In.Screen == Screen && In.Type == Wire::Kind::Inputs) {
        Select->Receive(In);
    }
}

bool OnlineSession::PrepareMatch() {
    if (Stage == Stages::Idle) {
        Start();
        if (ProgramEnding()) {
            return false;
        }
        if (Stage == Stages::Agreed) {
            Screen = 0;
        }
    } else if (Stage == Stages::Match) {
        Screen = uint16_t(Screen + 1);
    }
    if (Stage == Stages::Agreed || Stage == Stages::Match) {
        // The shared select screen, its inputs taken from now on, also while a notice is read.
        Match.reset();
        Stage = Stages::Select;
        Select = std::make_unique<SharedSelect>(
            Link, SessionId, Screen, Local(), [this] { Service(); }, [this] { return Stage != Stages::Select; });
    }
    SayNotice();
    if (!ProgramEnding() && Stage != Stages::Select) {
        SayNotice(); // the session ended while the last match's notice was read
    }
    if (ProgramEnding() || Stage != Stages::Select) {
        return false;
    }
    const bool Chosen = Select->Run();
    Select.reset();
    if (!Chosen) {
        // The session or the program ended while the select screen was up.
        if (!ProgramEnding()) {
            SayNotice();
        }
        return false;
    }
    Screen = uint16_t(Screen + 1);
    Stage = Stages::Match;
    Match = std::make_unique<SharedMatch>(Link, SessionId, Screen, Local(), Options.Delay);
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
    Match->Begin();
}

bool OnlineSession::MatchTick() {
    Service();
    if (Stage != Stages::Match) {
        return false;
    }
    if (!Match->Tick()) {
        Notice = Match->Problem();
        return false;
    }
    return true;
}

bool OnlineSession::MatchKey(int16_t KeyCode) {
    if (Stage != Stages::Match) {
        return false;
    }
    return Match->Key(KeyCode);
}

uint32_t OnlineSession::TickInterval() const {
    return Match != nullptr ? Match->TickInterval() : MatchTickInterval;
}
