// A machine that speaks the game's protocol without being the game.
// - join HOST PORT, host PORT: joins a host, or hosts one guest, with a fingerprint that is not this
//   build's, and reports what the game answered.
// - third HOST PORT: joins as this very build, to be turned away by a host that already has a guest.
//   These three print one line: "refused: other build", "refused: full" or "not refused", and exit 0
//   when refused.
// - differ HOST PORT: joins as this build and plays as the guest: on the select screen it takes the
//   character under its cursor and then holds Enter; in the match it holds nothing and sends a
//   checksum of tick 30 that cannot be right. It prints "back to the select screen" when the host
//   goes on to the next select screen, stays two seconds, says goodbye and exits 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "match/Match.h"
#include "net/EnetTransport.h"
#include "net/Protocol.h"

namespace {

int Report(const Wire::Message *Refusal) {
    if (Refusal == nullptr) {
        std::puts("not refused");
        return 1;
    }
    std::puts(Refusal->Reason == Wire::Refusal::Full ? "refused: full" : "refused: other build");
    return 0;
}

// The one connection of a guest, or the first of a host.
struct Peer {
    std::unique_ptr<EnetTransport> Net;
    PeerId Other = NoPeer;
    enum class Happening { Nothing, Connected, Received, Lost };
    Happening Poll(uint32_t Millis, Wire::Message &In) {
        const NetEvent Event = Net->Poll(Millis);
        switch (Event.Type) {
        case NetEvent::Kind::Connected:
            if (Other == NoPeer) {
                Other = Event.Peer;
                return Happening::Connected;
            }
            return Happening::Nothing;
        case NetEvent::Kind::Received:
            return Event.Peer == Other && Wire::Decode(Event.Bytes.data(), Event.Bytes.size(), In)
                       ? Happening::Received
                       : Happening::Nothing;
        case NetEvent::Kind::Lost:
            return Event.Peer == Other ? Happening::Lost : Happening::Nothing;
        case NetEvent::Kind::Nothing:
            break;
        }
        return Happening::Nothing;
    }
    void Send(const Wire::Message &Out, bool Reliable) { Net->Send(Other, Wire::Encode(Out), Reliable); }
};

} // namespace

// The guest's side of a session with a host that has welcomed it, as scripted above.
int PlayDiffering(Peer &Link, uint32_t Session) {
    using Clock = std::chrono::steady_clock;
    uint16_t Screen = 0;
    std::vector<PadInput> Ours;
    std::vector<bool> Theirs;
    int32_t TheyHave = 0, Known = 0;
    auto Next = Clock::now();
    const auto Deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < Deadline) {
        Wire::Message In;
        const Peer::Happening What = Link.Poll(5, In);
        if (What == Peer::Happening::Lost) {
            std::puts("the host left");
            return 1;
        }
        if (What == Peer::Happening::Received && In.Session == Session && In.Type == Wire::Kind::Inputs) {
            if (In.Screen == 2) {
                // A moment on the new select screen for the test to look at, then goodbye.
                std::puts("back to the select screen");
                std::fflush(stdout);
                const auto Linger = Clock::now() + std::chrono::seconds(2);
                while (Clock::now() < Linger) {
                    Link.Poll(20, In);
                }
                Wire::Message Bye;
                Bye.Type = Wire::Kind::Bye;
                Bye.Session = Session;
                Link.Send(Bye, true);
                Link.Net->Close();
                return 0;
            }
            if (In.Screen == 1 && Screen == 0) {
                // The match has begun: its inputs start afresh, and tick 30's checksum is wrong.
                Screen = 1;
                Ours.clear();
                Theirs.clear();
                TheyHave = Known = 0;
                Wire::Message Sum;
                Sum.Type = Wire::Kind::Checksum;
                Sum.Session = Session;
                Sum.Screen = 1;
                Sum.Frame = 30;
                Sum.Value = 0xBAD;
                Link.Send(Sum, true);
            }
            if (In.Screen == Screen) {
                for (int I = 0; I < In.Count; ++I) {
                    const size_t Tick = size_t(In.First + I);
                    if (Theirs.size() <= Tick) {
                        Theirs.resize(Tick + 1, false);
                    }
                    Theirs[Tick] = true;
                }
                while (Known < int32_t(Theirs.size()) && Theirs[size_t(Known)]) {
                    Known++;
                }
                TheyHave = std::max(TheyHave, In.Ack);
            }
        }
        if (Clock::now() < Next) {
            continue;
        }
        Next += std::chrono::milliseconds(Screen == 0 ? 100 : 33);
        // Select screen: the action key at its 5th tick, Enter from its 10th on.
        const int32_t Tick = int32_t(Ours.size());
        Ours.push_back(Screen == 1 ? 0 : Tick == 4 ? PadBits::Hit : Tick >= 9 ? PadBits::Enter : 0);
        Wire::Message Out;
        Out.Type = Wire::Kind::Inputs;
        Out.Session = Session;
        Out.Screen = Screen;
        Out.Ack = Known;
        Out.SenderFrame = int32_t(Ours.size());
        Out.First = std::max(TheyHave, int32_t(Ours.size()) - Wire::MaxInputs);
        Out.Count = uint8_t(int32_t(Ours.size()) - Out.First);
        for (int I = 0; I < Out.Count; ++I) {
            Out.Inputs[I] = Ours[size_t(Out.First + I)];
        }
        Link.Send(Out, false);
    }
    std::puts("still in the match");
    return 1;
}

int main(int Count, char **Arguments) {
    const std::string Mode = Count > 1 ? Arguments[1] : "";
    const bool Hosting = Mode == "host";
    if (!((Hosting && Count == 3) || ((Mode == "join" || Mode == "third" || Mode == "differ") && Count == 4))) {
        std::fputs("usage: zorbump-fakepeer join HOST PORT | host PORT | third HOST PORT | differ HOST PORT\n",
                   stderr);
        return 2;
    }
    const bool SameBuild = Mode == "third" || Mode == "differ";
    const uint32_t Fingerprint = SimulationFingerprint() ^ (SameBuild ? 0u : 0x00C0FFEEu);
    Peer Link;
    std::string Error;
    Link.Net = Hosting ? EnetTransport::Listen(uint16_t(std::atoi(Arguments[2])), Error)
                       : EnetTransport::Connect(Arguments[2], uint16_t(std::atoi(Arguments[3])), Error);
    if (Link.Net == nullptr) {
        std::fprintf(stderr, "zorbump-fakepeer: %s\n", Error.c_str());
        return 2;
    }
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Hosting ? 30 : 8);
    while (std::chrono::steady_clock::now() < Deadline) {
        Wire::Message In;
        const Peer::Happening What = Link.Poll(20, In);
        if (What == Peer::Happening::Connected && !Hosting) {
            Wire::Message Hello;
            Hello.Type = Wire::Kind::Hello;
            Hello.Fingerprint = Fingerprint;
            Link.Send(Hello, true);
        } else if (What == Peer::Happening::Received && In.Type == Wire::Kind::Hello && Hosting) {
            Wire::Message Welcome;
            Welcome.Type = Wire::Kind::Welcome;
            Welcome.Session = 12345;
            Welcome.Fingerprint = Fingerprint;
            Link.Send(Welcome, true);
        } else if (What == Peer::Happening::Received && In.Type == Wire::Kind::Refuse) {
            return Report(&In);
        } else if (What == Peer::Happening::Received && In.Type == Wire::Kind::Welcome) {
            return Mode == "differ" ? PlayDiffering(Link, In.Session) : Report(nullptr);
        }
    }
    return Report(nullptr);
}
