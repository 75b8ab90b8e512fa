#include "online/OnlineSession.h"

#include <chrono>
#include <cstdio>

#include "assets/Designs.h"
#include "match/Draw.h"
#include "match/Lineup.h"
#include "match/Match.h"
#include "match/Trace.h"
#include "net/Links.h"
#include "net/Meeting.h"
#include "net/RelayTransport.h"
#include "online/FrmMeet.h"
#include "online/FrmOnline.h"
#include "platform/Keyboard.h"
#include "platform/Toolkit.h"
#include "replay/FrmReplay.h"
#include "replay/LiveFeed.h"

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

void OnlineSession::ShareTrace(std::function<void(const std::string &Line)> Sink) {
    TraceSink = std::move(Sink);
}

void OnlineSession::ShareKept(std::function<void(const std::vector<uint8_t> &File)> Sink) {
    KeptSink = std::move(Sink);
}

OnlineSession::OnlineSession(const SessionOptions &Chosen, const std::string &Folder)
    : Options(Chosen), Started(Chosen.Role == SessionOptions::Roles::None), RecordDir(Folder) {}

OnlineSession::~OnlineSession() {
    Finish();
}

// The session ends here: the other machine is told if it is still there, the core's reason
// becomes the notice, and the connection goes.
void OnlineSession::Finish() {
    KeepMatch();
    if (Net == nullptr) {
        return;
    }
    if (Net->Stage() != NetSession::Stages::Over) {
        Net->Leave();
    }
    if (Watching) {
        StopWakingOnSocket(Link->Socket());
        Watching = false;
    }
    if (Notice.empty()) {
        // The server that ended the room says why in its own words, rather than leaving the game to
        // guess: it is going away, or the other player left (a page whose tab closed says no goodbye
        // of its own) or went silent.
        Notice = Relay != nullptr && Relay->RoomEnded() ? Relay->Problem() : Net->Why();
    }
    Relay = nullptr;
    Select.reset();
    Lingering.reset();
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
    if (Lingering != nullptr) {
        const uint64_t Now = Link->Millis();
        if (Now >= LingerUntil || Net->Stage() == NetSession::Stages::Over) {
            Lingering.reset();
        } else if (Now >= LingerNext) {
            LingerNext = Now + MatchTickInterval;
            Lingering->Linger();
        }
    }
    for (std::string Line = Net->TakeNote(); !Line.empty(); Line = Net->TakeNote()) {
        std::fprintf(stderr, "Zorbump: %s\n", Line.c_str());
    }
}

// Starts listening or connecting, or meets the other player through a server, and waits in the
// online window for the handshake to end.
void OnlineSession::Start() {
    Started = true;
    std::string Error;
    const std::string Place = Options.Address + ":" + std::to_string(Options.Port);
    Wire::Message Welcome;
    // The session's number, on every message after the handshake: a stray datagram of an earlier
    // session is not taken for one of this.
    Welcome.Session = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()) | 1u;
    // Our line-up is chosen on the select screen both machines share.
    Welcome.Seeded = 0;
    Welcome.Seed = Wire::SelectScreenSeed;
    uint64_t Since = StartMillis();
    std::string Line;
    if (Options.Role == SessionOptions::Roles::ThroughServer) {
        std::unique_ptr<RelayTransport> Met = Meet(Place);
        if (Met == nullptr) {
            return;
        }
        Hosting = Met->Host();
        // Through a server the number is the room's, the one its relay lets through, and a guest's
        // patience with its host counts from the pairing.
        Welcome.Session = Met->Session();
        Since = Met->Millis();
        Relay = Met.get();
        Link = std::move(Met);
        Line = "Starting the match with the other player - Escape gives up";
    } else {
        Hosting = Options.Role == SessionOptions::Roles::Host;
        Link = OpenDirectLink(Hosting, Options.Address, Options.Port, Error);
        if (Link == nullptr) {
            Notice = Error;
            return;
        }
        Line = Hosting ? "Waiting for the other player on UDP port " + std::to_string(Options.Port) +
                             " - Escape gives up"
                       : "Connecting to " + Place + " - Escape gives up";
    }
    Net = std::make_unique<NetSession>(*Link, Hosting, SimulationFingerprint(), Welcome, Since);
    Net->Place = " at " + Place;
    WakeOnSocket(Link->Socket(), [this] { Service(); });
    Watching = true;
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

// Asks the server for a quick match, a new room or a friend's room, and waits in the online window
// until the other player is there. Null, with the reason in the notice, when no one came.
std::unique_ptr<RelayTransport> OnlineSession::Meet(const std::string &Place) {
    std::string Error;
    std::unique_ptr<Transport> ToServer =
        OpenServerLink(Options.Address, Options.Port, Options.Secure, Error);
    if (ToServer == nullptr) {
        Notice = Error;
        return nullptr;
    }
    Meeting::Message Ask;
    Ask.Type = Meeting::Kind::Ask;
    Ask.Protocol = Wire::ProtocolVersion;
    Ask.Fingerprint = SimulationFingerprint();
    using Meets = SessionOptions::Meets;
    Ask.Wanted = Options.Meet == Meets::Quick     ? Meeting::Want::Quick
                 : Options.Meet == Meets::NewRoom ? Meeting::Want::NewRoom
                                                  : Meeting::Want::JoinRoom;
    if (Options.Meet == Meets::JoinRoom) {
        const std::string Code = Meeting::NormalCode(Options.Room);
        if (!Meeting::ValidCode(Code)) {
            Notice = "a room's code is " + std::to_string(Meeting::CodeLength) + " letters";
            return nullptr;
        }
        std::copy(Code.begin(), Code.end(), Ask.Room.begin());
    }
    auto Relay = std::make_unique<RelayTransport>(std::move(ToServer), Ask, Place);
    const std::string Waiting =
        Options.Meet == Meets::Quick ? "Waiting for another player - Escape gives up"
        : Options.Meet == Meets::NewRoom
            ? "Opening a room - Escape gives up"
            : "Joining room " + Meeting::NormalCode(Options.Room) + " - Escape gives up";
    bool CodeSaid = false;
    Frm_Online Window(Waiting, WaitingTick, [&] {
        if (Relay->Meeting(0) != RelayTransport::Meet::Waiting) {
            Window.Unload();
            return;
        }
        if (!CodeSaid && !Relay->Code().empty()) {
            CodeSaid = true;
            Window.Lbl_Line.SetCaption("Room " + Relay->Code() + " - a friend types it in JOIN ROOM");
            if (!Options.FriendLink.empty()) {
                std::fprintf(stderr, "Zorbump: room %s: a friend joins at %s%s\n", Relay->Code().c_str(),
                             Options.FriendLink.c_str(), Relay->Code().c_str());
            } else {
                std::fprintf(stderr, "Zorbump: room %s\n", Relay->Code().c_str());
            }
        }
    });
    Window.ShowModal();
    if (Relay->Stage() == RelayTransport::Meet::Paired) {
        return Relay;
    }
    if (Relay->Stage() == RelayTransport::Meet::Failed) {
        Notice = Relay->Problem();
    }
    Relay->Close(); // given up, or the program is ending
    return nullptr;
}

// Watches a room's match in the viewer, fed by the server, until the watcher closes it. The match
// window's records and drawing are the viewer's meanwhile, and are as they were afterwards.
void OnlineSession::Watch(const std::string &Code) {
    std::string Error;
    std::unique_ptr<Transport> ToServer =
        OpenServerLink(Options.Address, Options.Port, Options.Secure, Error);
    if (ToServer == nullptr) {
        ShowNotice(Error);
        return;
    }
    Typ_MatchSnapshot Kept;
    SaveMatch(Kept);
    const Typ_MatchCanvas KeptCanvas = Gl_Canvas;
    {
        LiveFeed Feed(std::move(ToServer), Code, Options.Address + ":" + std::to_string(Options.Port));
        Frm_Replay Viewer(Feed, Code);
        Viewer.ShowModal();
    }
    RestoreMatch(Kept);
    Gl_Canvas = KeptCanvas;
}

// A new session through the known server, the way the online window chose; the last one, if any,
// has ended and said why.
bool OnlineSession::ChooseOnline() {
    const MeetRequest Wanted = ChooseMeeting(Options.Address + ":" + std::to_string(Options.Port));
    using Meets = SessionOptions::Meets;
    switch (Wanted.Choice) {
    case MeetChoice::Quick:
        Options.Meet = Meets::Quick;
        break;
    case MeetChoice::NewRoom:
        Options.Meet = Meets::NewRoom;
        break;
    case MeetChoice::JoinRoom:
        Options.Meet = Meets::JoinRoom;
        break;
    case MeetChoice::Watch:
        if (!ProgramEnding() && !Active()) {
            Watch(Wanted.Code);
        }
        return false; // the title once the watcher has seen enough
    default:
        return false;
    }
    if (ProgramEnding() || Active()) {
        return false;
    }
    Options.Role = SessionOptions::Roles::ThroughServer;
    Options.Room = Wanted.Code;
    Started = false;
    return true;
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
    Given = !Over() && Screen == 0 && LineupGiven();
    if (!Over() && !Given) {
        // The shared select screen, its inputs taken from now on, also while a notice is read.
        // A match that finished here may not have finished there yet: its last tick is said
        // again for a while.
        Lingering.reset();
        if (Match != nullptr && Match->End() == SharedMatch::Ends::Finished) {
            Lingering = std::move(Match);
            LingerUntil = Link->Millis() + NetSession::SilenceMillis;
            LingerNext = 0;
        }
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
    const bool Chosen = Given || Select->Run();
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
    if (TraceSink) {
        How.Trace = RollbackMatch::Tracer(TraceLine);
    }
    if (TraceSink || Keeping()) {
        How.Confirmed = [this](int64_t, const RollbackMatch::Outcome &Out) {
            if (TraceSink) {
                TraceSink(Out.Line);
            }
            if (Recorder.Recording()) {
                Recorder.AddTick(Out.Inputs[0], Out.Inputs[1]);
            }
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

bool OnlineSession::LineupGiven() const {
    const Wire::Message &Setup = Net->Setup();
    return Setup.Seeded != 0 || Setup.Seed != Wire::SelectScreenSeed;
}

void OnlineSession::BeginMatch() {
    KeepMatch();
    const ReplayOrigin Origin = Relay != nullptr ? ReplayOrigin::Server : ReplayOrigin::Direct;
    if (Given) {
        // The host's line-up, both people driven from the two machines, as zorbump-sim plays it.
        const Wire::Message &Setup = Net->Setup();
        int Sides[4], Slots[4];
        for (int Index = 0; Index < 4; ++Index) {
            Sides[Index] = Setup.Sides[Index];
            Slots[Index] = Setup.Slots[Index];
        }
        const int People[2] = {Setup.People[0], Setup.People[1]};
        StartLineup(Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
        if (Keeping()) {
            Recorder.Begin(Origin, Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
            RecordedScreen = Screen;
        }
        Match->BeginAsStarted();
        if (TraceSink) {
            TraceSink(TraceLine(0));
        }
        return;
    }
    // The line-up before the match starts (starting moves everyone up one position); the random
    // source once the match has taken its own point of the sequence.
    if (Keeping()) {
        Recorder.BeginFromRecords(Origin);
        RecordedScreen = Screen;
    }
    ReplayRecorder Watched;
    if (Relay != nullptr && Hosting) {
        Watched.BeginFromRecords(ReplayOrigin::Server);
    }
    Match->Begin();
    if (TraceSink) {
        TraceSink(TraceLine(0)); // the line-up as it stands before the first tick
    }
    if (Recorder.Recording()) {
        Recorder.TakeRandomPosition();
    }
    if (Watched.Recording()) {
        TellWatchers(Watched);
    }
}

// The room's host tells the server how the match starts, for whoever watches the room: taken as a
// kept match's start is, the line-up before the match starts and the random source once it has.
void OnlineSession::TellWatchers(ReplayRecorder &Start) {
    Start.TakeRandomPosition();
    Relay->TellServer(Screen, EncodeReplay(Start.Finish()));
}

// The match just ended, or the session: what was confirmed of it is kept.
// Through a server the match is also sent to the server, which may keep matches.
void OnlineSession::KeepMatch() {
    if (!Recorder.Recording()) {
        return;
    }
    const Typ_Replay Kept = Recorder.Finish();
    if (Relay != nullptr || KeptSink) {
        const std::vector<uint8_t> File = EncodeReplay(Kept);
        if (Relay != nullptr) {
            Relay->Upload(RecordedScreen, File);
        }
        if (KeptSink) {
            KeptSink(File);
        }
    }
    std::string Path, Error;
    if (!RecordDir.empty() && !KeepReplayInFolder(RecordDir, Kept, Path, Error)) {
        std::fprintf(stderr, "Zorbump: cannot keep the match in '%s': %s\n", RecordDir.c_str(),
                     Error.c_str());
    }
}

bool OnlineSession::Keeping() const {
    return !RecordDir.empty() || Relay != nullptr || bool(KeptSink);
}

bool OnlineSession::MatchTick() {
    Service();
    if (Match == nullptr || Over()) {
        Finish();
        return false;
    }
    if (PauseWanted) {
        PauseWanted = false;
        Match->PauseAway();
    }
    if (!Match->Tick()) {
        Notice = Match->Problem();
        KeepMatch();
        return false;
    }
    if (Match->TakeTheyWentAway()) {
        std::fprintf(
            stderr,
            "Zorbump: the other player's page went out of sight - the match waits; Space resumes it\n");
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
