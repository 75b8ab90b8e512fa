// A machine that speaks the game's protocol but runs another build: it joins a host, or hosts one
// guest, with a fingerprint that is not this build's, and reports what the game answered. With
// "third" it joins as this very build, to be turned away by a host that already has a guest.
// Usage: zorbump-fakepeer join HOST PORT | host PORT | third HOST PORT
// Prints one line: "refused: other build", "refused: full" or "not refused"; exits 0 when refused.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "match/Match.h"
#include "net/Link.h"

namespace {

int Report(const Wire::Message *Refusal) {
    if (Refusal == nullptr) {
        std::puts("not refused");
        return 1;
    }
    std::puts(Refusal->Reason == Wire::Refusal::Full ? "refused: full" : "refused: other build");
    return 0;
}

} // namespace

int main(int Count, char **Arguments) {
    const std::string Mode = Count > 1 ? Arguments[1] : "";
    const bool Hosting = Mode == "host";
    if (!((Hosting && Count == 3) || ((Mode == "join" || Mode == "third") && Count == 4))) {
        std::fputs("usage: zorbump-fakepeer join HOST PORT | host PORT | third HOST PORT\n", stderr);
        return 2;
    }
    const uint32_t Fingerprint = SimulationFingerprint() ^ (Mode == "third" ? 0u : 0x00C0FFEEu);
    NetLink Link;
    std::string Error;
    if (Hosting ? !Link.Listen(uint16_t(std::atoi(Arguments[2])), Error)
                : !Link.Connect(Arguments[2], uint16_t(std::atoi(Arguments[3])), Error)) {
        std::fprintf(stderr, "zorbump-fakepeer: %s\n", Error.c_str());
        return 2;
    }
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Hosting ? 30 : 8);
    while (std::chrono::steady_clock::now() < Deadline) {
        Wire::Message In;
        const NetLink::Happening What = Link.Poll(20, In);
        if (What == NetLink::Happening::Connected && !Hosting) {
            Wire::Message Hello;
            Hello.Type = Wire::Kind::Hello;
            Hello.Fingerprint = Fingerprint;
            Link.Send(Hello, true);
        } else if (What == NetLink::Happening::Received && In.Type == Wire::Kind::Hello && Hosting) {
            Wire::Message Welcome;
            Welcome.Type = Wire::Kind::Welcome;
            Welcome.Session = 12345;
            Welcome.Fingerprint = Fingerprint;
            Link.Send(Welcome, true);
        } else if (What == NetLink::Happening::Received && In.Type == Wire::Kind::Refuse) {
            return Report(&In);
        } else if (What == NetLink::Happening::Received && In.Type == Wire::Kind::Welcome) {
            return Report(nullptr);
        }
    }
    return Report(nullptr);
}
