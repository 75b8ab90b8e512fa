#include "tools/sim/Online.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "match/Lineup.h"
#include "match/Match.h"
#include "match/Trace.h"
#include "net/EnetTransport.h"
#include "net/Meeting.h"
#include "net/RelayTransport.h"
#include "net/Session.h"
#include "online/RollbackMatch.h"
#include "online/SharedMatch.h"
#include "records/BasCmnDef.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayMatch.h"

namespace {

using Clock = std::chrono::steady_clock;

void Say(const std::string &Text) {
    std::fprintf(stderr, "zorbump-sim: %s\n", Text.c_str());
}

void SayNotes(NetSession &Net) {
    for (std::string Line = Net.TakeNote(); !Line.empty(); Line = Net.TakeNote()) {
        Say(Line);
    }
}

uint64_t MillisOf(Clock::time_point When) {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(When.time_since_epoch()).count());
}

// Meets the other player on the server: the room's code said as soon as it is known, and whether
// this machine hosts. Null, with the reason said, when no partner came.
std::unique_ptr<RelayTransport> MeetThroughServer(const OnlineOptions &Opt, std::string &Error) {
    std::unique_ptr<Transport> ToServer = EnetTransport::Connect(Opt.Address, Opt.Port, Error);
    if (ToServer == nullptr) {
        return nullptr;
    }
    Meeting::Message Ask;
    Ask.Type = Meeting::Kind::Ask;
    Ask.Wanted = Meeting::Want(Opt.ServerWants);
    if (Opt.ServerWants == int(Meeting::Want::JoinRoom)) {
        std::copy(Opt.Room.begin(), Opt.Room.end(), Ask.Room.begin());
    }
    Ask.Protocol = Wire::ProtocolVersion;
    Ask.Fingerprint = SimulationFingerprint();
    auto Relay = std::make_unique<RelayTransport>(std::move(ToServer), Ask,
                                                  Opt.Address + ":" + std::to_string(Opt.Port));
    bool CodeSaid = false;
    while (Relay->Meeting(50) == RelayTransport::Meet::Waiting) {
        if (!CodeSaid && !Relay->Code().empty()) {
            std::fprintf(stderr, "room %s\n", Relay->Code().c_str());
            std::fflush(stderr);
            CodeSaid = true;
        }
    }
    if (Relay->Stage() == RelayTransport::Meet::Failed) {
        Error = Relay->Problem();
        return nullptr;
    }
    return Relay;
}

} // namespace

int RunOnline(const OnlineOptions &Opt) {
    const auto Started = Clock::now();
    std::string Error;
    std::unique_ptr<Transport> Link;
    RelayTransport *Relay = nullptr;
    bool Hosting = Opt.Hosting;
    if (Opt.ThroughServer) {
        std::unique_ptr<RelayTransport> Met = MeetThroughServer(Opt, Error);
        Relay = Met.get();
        if (Relay != nullptr) {
            Hosting = Relay->Host();
        }
        Link = std::move(Met);
    } else {
        Link = Opt.Hosting ? EnetTransport::Listen(Opt.Port, Error)
                           : EnetTransport::Connect(Opt.Address, Opt.Port, Error);
    }
    if (Link == nullptr) {
        Say(Error);
        return 1;
    }
    // The replay is written at the end; a file that cannot be written is said before anything runs.
    if (!Opt.RecordPath.empty()) {
        std::FILE *Record = std::fopen(Opt.RecordPath.c_str(), "wb");
        if (Record == nullptr) {
            std::fprintf(stderr, "zorbump-sim: cannot write '%s'\n", Opt.RecordPath.c_str());
            return 2;
        }
        std::fclose(Record);
    }
    Wire::Message Offer;
    for (int I = 0; I < 4; ++I) {
        Offer.Sides[I] = int8_t(Opt.Sides[I]);
        Offer.Slots[I] = int8_t(Opt.Slots[I]);
    }
    Offer.People[0] = int8_t(Opt.People[0]);
    Offer.People[1] = int8_t(Opt.People[1]);
    Offer.Seeded = Opt.Seeded ? 1 : 0;
    Offer.Seed = Opt.Seed;
    // The session's number, on every message after the handshake: a stray datagram of an earlier
    // session is not taken for one of this.
    Offer.Session = uint32_t(Clock::now().time_since_epoch().count()) | 1u;
    if (Relay != nullptr) {
        // Through a server the number is the room's, the one its relay lets through.
        Offer.Session = Relay->Session();
    }
    // A guest's patience with its host counts from the pairing when a server made the pair.
    const uint64_t SessionStarted = Relay != nullptr ? Link->Millis() : MillisOf(Started);
    NetSession Net(*Link, Hosting, SimulationFingerprint(), Offer, SessionStarted);
    Net.Place = " at " + Opt.Address + ":" + std::to_string(Opt.Port);

    while (Net.Stage() == NetSession::Stages::Connecting) {
        Net.Service(50);
        SayNotes(Net);
        if (Net.Departures() > 0) {
            return 1; // the guest left before the match began (said above)
        }
    }
    if (Net.Stage() == NetSession::Stages::Over) {
        Say(Net.Why());
        return 1;
    }

    // The line-up as the host set it, both people driven from the two machines.
    const Wire::Message &Setup = Net.Setup();
    if (!Hosting && Setup.Seeded == 0 && Setup.Seed == Wire::SelectScreenSeed) {
        // The game hosts: its line-up comes from a select screen the tool has no part in.
        Net.Leave();
        Say("the other player chooses the line-up on the game's select screen, which zorbump-sim does not play: "
            "let zorbump-sim open the room (--new-room) or host");
        return 1;
    }
    const int Sides[4] = {Setup.Sides[0], Setup.Sides[1], Setup.Sides[2], Setup.Sides[3]};
    const int Slots[4] = {Setup.Slots[0], Setup.Slots[1], Setup.Slots[2], Setup.Slots[3]};
    const int People[2] = {Setup.People[0], Setup.People[1]};
    StartLineup(Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
    ReplayRecorder Recorder;
    // Through a server the match is kept also for the server, which may keep matches.
    if (!Opt.RecordPath.empty() || Relay != nullptr) {
        Recorder.Begin(Opt.ThroughServer ? ReplayOrigin::Server : ReplayOrigin::Direct, Sides, Slots, People,
                       Setup.Seeded != 0, Setup.Seed);
    }
    if (Relay != nullptr && Hosting) {
        // The room's watchers start the match where its players start it.
        ReplayRecorder Start;
        Start.Begin(ReplayOrigin::Server, Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
        Relay->TellServer(1, EncodeReplay(Start.Finish()));
    }
    if (Opt.Trace) {
        WriteTraceLine(stdout, 0);
    }

    size_t KeysTick = 0;
    bool Won = false;
    SharedMatch::Play How;
    How.Local = Hosting ? 0 : 1;
    How.Delay = Opt.Delay;
    How.Input = [&] {
        const size_t Tick = KeysTick++;
        return Tick < Opt.Keys.size() ? InputOfLetterKeys(Opt.Keys[Tick]) : PadInput(0);
    };
    How.Trace = Opt.Trace ? RollbackMatch::Tracer(TraceLine) : nullptr;
    How.Heard = false;
    How.LastTick = Opt.Ticks;
    How.Confirmed = [&](int64_t, const RollbackMatch::Outcome &Out) {
        if (Opt.Trace) {
            std::fputs(Out.Line.c_str(), stdout);
        }
        if (Recorder.Recording()) {
            Recorder.AddTick(Out.Inputs[0], Out.Inputs[1]);
        }
        Won = Out.Over;
    };
    SharedMatch Match(Net, How);
    Match.BeginAsStarted();

    // Until the next tick is due, whatever arrives is handled; then the tick.
    auto NextTick = Clock::now();
    auto StallSince = Clock::time_point{};
    double StallMillis = 0;
    int64_t Stalls = Match.Stalls();
    int Watching = 0, MostWatching = 0;
    for (;;) {
        for (auto Now = Clock::now(); Now < NextTick && Net.Stage() != NetSession::Stages::Over;
             Now = Clock::now()) {
            Net.Service(
                uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(NextTick - Now).count()));
        }
        SayNotes(Net);
        if (Relay != nullptr && Relay->Watchers() != Watching) {
            Watching = Relay->Watchers();
            MostWatching = std::max(MostWatching, Watching);
            Say(std::to_string(Watching) + " watching");
        }
        if (!Match.Tick()) {
            break;
        }
        if (Net.Stage() == NetSession::Stages::Over) {
            break; // the match goes no further: the other machine is gone
        }
        if (Match.Stalls() != Stalls) {
            StallSince = StallSince == Clock::time_point{} ? Clock::now() : StallSince;
            Stalls = Match.Stalls();
        } else if (StallSince != Clock::time_point{}) {
            StallMillis += std::chrono::duration<double, std::milli>(Clock::now() - StallSince).count();
            StallSince = Clock::time_point{};
        }
        NextTick += std::chrono::milliseconds(Match.TickInterval());
    }
    std::fflush(stdout);
    const int64_t Ticks = Match.ConfirmedTicks();
    // Every confirmed tick is kept, also of a match that ended early.
    if (Recorder.Recording()) {
        const Typ_Replay Kept = Recorder.Finish();
        if (Relay != nullptr) {
            Relay->Upload(How.Screen, EncodeReplay(Kept));
        }
        std::string Error;
        if (!Opt.RecordPath.empty() && !WriteReplayFile(Opt.RecordPath, Kept, Error)) {
            Say("cannot write '" + Opt.RecordPath + "': " + Error);
            Net.Leave();
            return 2;
        }
    }
    int Status = 0;
    switch (Match.End()) {
    case SharedMatch::Ends::Finished:
        if (!Won && Opt.Ticks >= 0 && Ticks < Opt.Ticks) {
            Say("the other machine ended the match at tick " + std::to_string(Ticks) + ", before --ticks");
            Status = 1;
        }
        break;
    case SharedMatch::Ends::Differed:
        Say(Match.Problem());
        Status = 1;
        break;
    case SharedMatch::Ends::Playing:
        if (Relay != nullptr && Relay->ServerEnded()) {
            Say(Relay->Problem());
        } else {
            Say(Net.Why().empty() ? "connection lost" : Net.Why());
        }
        Status = 1;
        break;
    case SharedMatch::Ends::Left:
    case SharedMatch::Ends::Abandoned:
        Say("the other player left");
        Status = 1;
        break;
    }
    if (!Opt.Trace) {
        std::printf("score %" PRId64 "-%" PRId64 " after %" PRId64 " ticks (%s); rollbacks %" PRId64
                    " (longest %" PRId32 " ticks); stalls %" PRId64 " (%.0f ms); sent %" PRIu64
                    " bytes, received %" PRIu64 " bytes; round trip %" PRIu32 " ms%s\n",
                    int64_t(Gl_Teams[0].Score), int64_t(Gl_Teams[1].Score), Ticks,
                    Won           ? "match won"
                    : Status == 0 ? "stopped at --ticks"
                                  : "stopped early",
                    Match.Rollbacks(), Match.LongestRollback(), Match.Stalls(), StallMillis, Net.BytesSent(),
                    Net.BytesReceived(), Net.RoundTripMillis(),
                    MostWatching > 0 ? ("; watched by up to " + std::to_string(MostWatching)).c_str() : "");
    }
    if (Match.End() == SharedMatch::Ends::Finished) {
        // Both machines have the whole match. Each says goodbye and waits for the other's, so that
        // neither leaves while its last messages are still on their way.
        Net.SayGoodbye();
        const auto Until = Clock::now() + std::chrono::milliseconds(NetSession::SilenceMillis);
        auto Again = Clock::now();
        while (Net.Stage() != NetSession::Stages::Over && Clock::now() < Until) {
            if (Clock::now() >= Again) {
                Match.Linger();
                Again += std::chrono::milliseconds(Match.TickInterval());
            }
            Net.Service(5);
        }
    }
    Net.Leave();
    return Status;
}
