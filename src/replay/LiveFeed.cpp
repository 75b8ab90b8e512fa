#include "replay/LiveFeed.h"

#include "match/Match.h"
#include "net/Meeting.h"
#include "net/Protocol.h"

namespace {

// The fingerprint plays a short match of its own: taken once, before any watched match runs.
uint32_t BuildFingerprint() {
    static const uint32_t Fingerprint = SimulationFingerprint();
    return Fingerprint;
}

} // namespace

LiveFeed::LiveFeed(std::unique_ptr<Transport> ToServer, const std::string &Room, std::string ServerName)
    : Link(std::move(ToServer)), Code(Room), Name(std::move(ServerName)) {
    BuildFingerprint();
}

LiveFeed::~LiveFeed() {
    Close();
}

void LiveFeed::Close() {
    if (Link != nullptr) {
        Link->Close(false);
        Link.reset();
    }
}

void LiveFeed::Fail(const std::string &Why) {
    if (!Ended) {
        Ended = true;
        Trouble = Why;
    }
    Close();
}

bool LiveFeed::Next(uint32_t Millis) {
    if (Ended || Link == nullptr) {
        return false;
    }
    NetEvent Event = Link->Poll(Millis);
    switch (Event.Type) {
    case NetEvent::Kind::Nothing:
        return false;
    case NetEvent::Kind::Connected:
        if (Server == NoPeer) {
            Server = Event.Peer;
            Meeting::Message Ask;
            Ask.Type = Meeting::Kind::Watch;
            std::copy(Code.begin(), Code.end(), Ask.Room.begin());
            Ask.Protocol = Wire::ProtocolVersion;
            Ask.Fingerprint = BuildFingerprint();
            Link->Send(Server, Meeting::Encode(Ask), true);
        }
        return false;
    case NetEvent::Kind::Lost:
        Fail(Server == NoPeer ? "cannot reach the server at " + Name : "connection lost");
        return false;
    case NetEvent::Kind::Received:
        break;
    }
    Meeting::Message In;
    if (Event.Peer != Server || !Meeting::Decode(Event.Bytes.data(), Event.Bytes.size(), In)) {
        return false;
    }
    switch (In.Type) {
    case Meeting::Kind::Refused:
    case Meeting::Kind::Over:
        Fail(Meeting::Sentence(In.Why));
        return false;
    case Meeting::Kind::Start: {
        Typ_Replay Start;
        const ReplayCheck Check = DecodeReplay(In.Bytes, Start);
        if (Check.Problem != ReplayProblem::None || Start.Ticks != 0) {
            Fail("the server sent a match this build cannot show");
            return false;
        }
        if (Start.Fingerprint != BuildFingerprint()) {
            Fail(Meeting::Sentence(Meeting::Reason::OtherBuild));
            return false;
        }
        Kept = std::move(Start);
        Screen = In.Screen;
        Last = -1;
        Begun++;
        return true;
    }
    case Meeting::Kind::Ticks:
        // The ticks follow one another: anything else is not of this match.
        if (Begun == 0 || In.Screen != Screen || In.First != Kept.Ticks + 1 || Kept.Ticks >= ReplayMaxTicks) {
            return false;
        }
        for (size_t I = 0; I + 1 < In.Bytes.size(); I += 2) {
            for (int Person = 0; Person < 2; ++Person) {
                if (Kept.People[Person] >= 0) {
                    Kept.Inputs[Person].push_back(PadInput(In.Bytes[I + size_t(Person)] & 31));
                }
            }
            Kept.Ticks++;
        }
        return true;
    case Meeting::Kind::Finished:
        if (Begun == 0 || In.Screen != Screen) {
            return false;
        }
        Last = In.Last;
        return true;
    default:
        return false;
    }
}
