#include "tools/sim/Online.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "net/Link.h"
#include "net/Rollback.h"
#include "online/RollbackMatch.h"
#include "match/Lineup.h"
#include "match/Trace.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TickLength = std::chrono::milliseconds(33);
constexpr auto Silence = std::chrono::seconds(5);
// A guest gives up on a host that does not answer a little sooner, so it has said so within 5 s.
constexpr auto JoinPatience = std::chrono::milliseconds(4500);
constexpr int ChecksumEvery = 30;

struct Figures {
    int64_t Stalls = 0;
    double StallMillis = 0;
};

void Say(const char *Text) {
    std::fprintf(stderr, "zorbump-sim: %s\n", Text);
}

} // namespace

int RunOnline(const OnlineOptions &Opt) {
    NetLink Link;
    std::string Error;
    if (Opt.Hosting ? !Link.Listen(Opt.Port, Error) : !Link.Connect(Opt.Address, Opt.Port, Error)) {
        Say(Error.c_str());
        return 1;
    }
    const uint32_t Fingerprint = SimulationFingerprint();
    Wire::Message Setup;
    Setup.Type = Wire::Kind::Welcome;
    Setup.Fingerprint = Fingerprint;
    for (int I = 0; I < 4; ++I) {
        Setup.Sides[I] = int8_t(Opt.Sides[I]);
        Setup.Slots[I] = int8_t(Opt.Slots[I]);
    }
    Setup.People[0] = int8_t(Opt.People[0]);
    Setup.People[1] = int8_t(Opt.People[1]);
    Setup.Seeded = Opt.Seeded ? 1 : 0;
    Setup.Seed = Opt.Seed;
    // The session's number, on every message after the handshake: a stray datagram of an earlier
    // session is not taken for one of this.
    Setup.Session = uint32_t(Clock::now().time_since_epoch().count()) | 1u;

    // The handshake: the guest says who it is, the host answers with the session or a refusal.
    const auto Started = Clock::now();
    bool Agreed = false;
    while (!Agreed) {
        if (!Opt.Hosting && !Link.Connected() && Clock::now() - Started > JoinPatience) {
            std::fprintf(stderr, "zorbump-sim: nobody answered at %s:%u within 5 s\n", Opt.Address.c_str(),
                         unsigned(Opt.Port));
            return 1;
        }
        Wire::Message In;
        const NetLink::Happening What = Link.Poll(50, In);
        if (What == NetLink::Happening::Connected && !Opt.Hosting) {
            Wire::Message Hello;
            Hello.Type = Wire::Kind::Hello;
            Hello.Fingerprint = Fingerprint;
            Link.Send(Hello, true);
        } else if (What == NetLink::Happening::Lost) {
            Say(Opt.Hosting ? "the guest left before the match began" : "the host closed the connection");
            return 1;
        } else if (What == NetLink::Happening::Received) {
            const bool OtherBuild = In.Version != Wire::ProtocolVersion || In.Fingerprint != Fingerprint;
            if (In.Type == Wire::Kind::Refuse) {
                Say(In.Reason == Wire::Refusal::Full ? "the host already has a guest"
                                                     : "the other machine runs another build of the game; "
                                                       "both must run the same one");
                return 1;
            }
            if (Opt.Hosting && In.Type == Wire::Kind::Hello) {
                if (OtherBuild) {
                    Wire::Message No;
                    No.Type = Wire::Kind::Refuse;
                    No.Reason = Wire::Refusal::OtherBuild;
                    Link.Send(No, true);
                    Link.Close();
                    Say("the guest runs another build of the game; both must run the same one");
                    return 1;
                }
                Link.Send(Setup, true);
                Agreed = true;
            } else if (!Opt.Hosting && In.Type == Wire::Kind::Welcome) {
                if (OtherBuild) {
                    Say("the host runs another build of the game; both must run the same one");
                    return 1;
                }
                Setup = In;
                Agreed = true;
            }
        }
    }

    // The line-up as the host set it, both people driven from the two machines.
    const int Sides[4] = {Setup.Sides[0], Setup.Sides[1], Setup.Sides[2], Setup.Sides[3]};
    const int Slots[4] = {Setup.Slots[0], Setup.Slots[1], Setup.Slots[2], Setup.Slots[3]};
    const int People[2] = {Setup.People[0], Setup.People[1]};
    StartLineup(Sides, Slots, People, Setup.Seeded != 0, Setup.Seed);
    if (Opt.Trace) {
        WriteTraceLine(stdout, 0);
    }

    const int Local = Opt.Hosting ? 0 : 1;
    RollbackMatch Game(Opt.Trace ? RollbackMatch::Tracer(TraceLine) : nullptr, false);
    RollbackSession Session(Game, Local, Opt.Delay);
    Figures Count;
    std::ofstream Record;
    if (!Opt.RecordPath.empty()) {
        Record.open(Opt.RecordPath, std::ios::binary);
        if (!Record) {
            std::fprintf(stderr, "zorbump-sim: cannot write '%s'\n", Opt.RecordPath.c_str());
            return 2;
        }
    }
    std::map<int32_t, uint32_t> OurChecksums, TheirChecksums;
    int32_t Confirmed = 0;  // ticks traced, recorded and checked
    int32_t TheyHave = 0;   // our inputs the other side has acknowledged
    int32_t TheirFrame = 0; // ticks the other side has run
    int32_t EndAt = -1;     // the confirmed tick the session ends after
    auto Heard = Clock::now();
    auto NextTick = Clock::now();
    auto Stalling = Clock::time_point{};
    bool Done = false;
    bool PartnerGone = false;
    int32_t TheirEnd = -1; // the last tick, as the other side's goodbye says
    int Status = 0;
    while (!Done) {
        // Until the next tick is due, whatever arrives is handled.
        for (;;) {
            const auto Now = Clock::now();
            const auto Wait = NextTick > Now
                                  ? std::chrono::duration_cast<std::chrono::milliseconds>(NextTick - Now)
                                  : std::chrono::milliseconds(0);
            Wire::Message In;
            const NetLink::Happening What =
                PartnerGone ? NetLink::Happening::Nothing : Link.Poll(uint32_t(Wait.count()), In);
            if (What == NetLink::Happening::Lost) {
                // Gone after the last tick's inputs arrived: the match ends here as it does there.
                if (TheirEnd >= 0 && Session.RemoteKnownThrough() > TheirEnd) {
                    PartnerGone = true;
                    continue;
                }
                Say("the other player left");
                return 1;
            }
            if (PartnerGone) {
                std::this_thread::sleep_until(NextTick);
                break;
            }
            if (What == NetLink::Happening::Received && In.Session == Setup.Session) {
                Heard = Clock::now();
                if (In.Type == Wire::Kind::Inputs) {
                    ReceiveInputs(Session, In);
                    TheyHave = std::max(TheyHave, In.Ack);
                    TheirFrame = std::max(TheirFrame, In.SenderFrame);
                } else if (In.Type == Wire::Kind::Checksum) {
                    TheirChecksums[In.Frame] = In.Value;
                } else if (In.Type == Wire::Kind::Bye) {
                    TheirEnd = In.Frame;
                }
            }
            if (!PartnerGone && Clock::now() - Heard > Silence) {
                Say("connection lost");
                return 1;
            }
            if (What == NetLink::Happening::Nothing && Clock::now() >= NextTick) {
                break;
            }
        }
        NextTick += TickLength;
        // The side that runs ahead slows down a little, so neither stays ahead for long.
        const int32_t Ahead = Session.Frame() - (TheirFrame + int32_t(Link.RoundTripMillis() / 2 / 33));
        if (Ahead > 2) {
            NextTick += std::chrono::milliseconds(4);
        }
        const bool Finished = EndAt >= 0 && Session.Frame() > EndAt;
        if (Finished) {
            Session.Settle();
        } else {
            if (Session.CanAdvance()) {
                if (Stalling != Clock::time_point{}) {
                    Count.StallMillis +=
                        std::chrono::duration<double, std::milli>(Clock::now() - Stalling).count();
                    Stalling = Clock::time_point{};
                }
                const size_t KeysTick = size_t(Session.LocalKnownThrough());
                Session.AdvanceLocal(KeysTick < Opt.Keys.size() ? InputOfLetterKeys(Opt.Keys[KeysTick]) : 0);
            } else if (Stalling == Clock::time_point{}) {
                Stalling = Clock::now();
                Count.Stalls++;
            }
        }
        // Every tick run with every input known is final: traced, recorded, checked.
        int32_t Final = std::min(Session.Frame(), Session.RemoteKnownThrough());
        if (Session.PendingFrom() >= 0) {
            Final = std::min(Final, Session.PendingFrom());
        }
        while (Confirmed < Final && (EndAt < 0 || Confirmed <= EndAt)) {
            const RollbackMatch::Outcome &Out = Game.After(Confirmed);
            if (Opt.Trace) {
                std::fputs(Out.Line.c_str(), stdout);
            }
            if (Record) {
                Record << Out.Keys << '\n';
            }
            if ((Confirmed + 1) % ChecksumEvery == 0) {
                OurChecksums[Confirmed + 1] = Out.Checksum;
                Wire::Message Sum;
                Sum.Type = Wire::Kind::Checksum;
                Sum.Session = Setup.Session;
                Sum.Frame = Confirmed + 1;
                Sum.Value = Out.Checksum;
                Link.Send(Sum, true);
            }
            const bool Last = Out.Over || (Opt.Ticks >= 0 && Confirmed + 1 >= Opt.Ticks);
            if (Last && EndAt < 0) {
                EndAt = Confirmed;
            }
            Confirmed++;
        }
        for (auto It = TheirChecksums.begin(); It != TheirChecksums.end();) {
            auto Ours = OurChecksums.find(It->first);
            if (Ours == OurChecksums.end()) {
                ++It;
                continue;
            }
            if (Ours->second != It->second) {
                std::fprintf(stderr, "zorbump-sim: the two machines' games differ at tick %" PRId32 "\n",
                             It->first);
                Status = 1;
                Done = true;
                break;
            }
            It = TheirChecksums.erase(It);
        }
        // Every input the other side has not acknowledged, in one unreliable message.
        Wire::Message Out = InputsMessage(Session, TheyHave);
        Out.Session = Setup.Session;
        if (!PartnerGone) {
            Link.Send(Out, false);
        }
        // The end: both have every input of the last tick (the other acknowledges every input of
        // ours up to it, or has said goodbye), then a goodbye.
        if (EndAt >= 0 && Confirmed > EndAt && (TheyHave > EndAt || PartnerGone)) {
            Wire::Message Bye;
            Bye.Type = Wire::Kind::Bye;
            Bye.Session = Setup.Session;
            Bye.Frame = EndAt;
            Link.Send(Bye, true);
            Done = true;
        }
    }
    std::fflush(stdout);
    if (!Opt.Trace) {
        std::printf("score %" PRId64 "-%" PRId64 " after %" PRId32 " ticks (%s); rollbacks %" PRId64
                    " (longest %" PRId32 " ticks); stalls %" PRId64 " (%.0f ms); sent %" PRIu64
                    " bytes, received %" PRIu64 " bytes; round trip %" PRIu32 " ms\n",
                    int64_t(Gl_Teams[0].Score), int64_t(Gl_Teams[1].Score), Confirmed,
                    Game.Empty() || !Game.After(Confirmed - 1).Over ? "stopped at --ticks"
                                                                                  : "match won",
                    Session.Rollbacks, Session.LongestRollback, Count.Stalls, Count.StallMillis,
                    Link.BytesSent(), Link.BytesReceived(), Link.RoundTripMillis());
    }
    Link.Close();
    return Status;
}
