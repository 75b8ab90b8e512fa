#include "server/Watchers.h"

#include <algorithm>

#include "net/Protocol.h"

namespace {

// How far past the confirmed ticks a player's inputs are kept: far beyond the few ticks a machine
// runs ahead, and a bound on what a stranger's numbers can make the server hold.
constexpr uint32_t InputsAhead = 1024;
constexpr uint16_t SegmentsAhead = 4;

} // namespace

void Watchers::Players(uint32_t Room, PlayerId Host, PlayerId Guest) {
    Feed &F = Feeds[Room];
    F.Host = Host;
    F.Guest = Guest;
    if (!F.Seats.empty()) {
        TellCount(F); // players nobody watches hear nothing of watching
    }
}

size_t Watchers::Count(uint32_t Room) const {
    auto It = Feeds.find(Room);
    return It == Feeds.end() ? 0 : It->second.Seats.size();
}

uint32_t Watchers::Confirmed(uint32_t Room) const {
    auto It = Feeds.find(Room);
    return It == Feeds.end() ? 0 : TicksOf(It->second);
}

uint32_t Watchers::Released(uint32_t Room) const {
    auto It = Feeds.find(Room);
    return It == Feeds.end() ? 0 : It->second.Released;
}

void Watchers::Add(uint32_t Room, PlayerId Who, Clock::time_point Now) {
    Feed &F = Feeds[Room];
    F.Seats.push_back(Who);
    Seat &S = Seats[Who];
    S = Seat{};
    S.Room = Room;
    Pump(F, Who, S, true, Now);
    TellCount(F);
}

void Watchers::Remove(PlayerId Who) {
    auto It = Seats.find(Who);
    if (It == Seats.end()) {
        return;
    }
    auto Room = Feeds.find(It->second.Room);
    Seats.erase(It);
    if (Room != Feeds.end()) {
        auto &List = Room->second.Seats;
        List.erase(std::remove(List.begin(), List.end(), Who), List.end());
        TellCount(Room->second);
    }
}

void Watchers::Started(uint32_t Room, uint16_t Screen, const std::vector<uint8_t> &Record,
                       Clock::time_point Now) {
    auto It = Feeds.find(Room);
    if (It == Feeds.end()) {
        return;
    }
    Feed &F = It->second;
    if (F.Begun && Screen <= F.Screen) {
        return; // a match starts once, and the session's screens only go on
    }
    // The last match is over on both machines: its last ticks need no more delay.
    Flush(F);
    const PlayerId Host = F.Host, Guest = F.Guest;
    std::vector<PlayerId> Watching = std::move(F.Seats);
    Waiting Early = std::move(F.Early);
    F = Feed{};
    F.Host = Host;
    F.Guest = Guest;
    F.Seats = std::move(Watching);
    F.Begun = true;
    F.Screen = Screen;
    F.Record = Record;
    if (Early.Screen == Screen) {
        F.Segments = std::move(Early.Segments);
        Advance(F, Now);
    }
    for (PlayerId Who : F.Seats) {
        Seat &S = Seats.at(Who);
        S.Sent = 0;
        S.StartSent = S.FinishSent = false;
        Pump(F, Who, S, true, Clock::time_point{});
    }
}

void Watchers::Relayed(uint32_t Room, bool FromHost, const uint8_t *Bytes, size_t Size,
                       Clock::time_point Now) {
    auto It = Feeds.find(Room);
    Wire::Message In;
    if (It == Feeds.end() || !Wire::Decode(Bytes, Size, In) || In.Screen == 0) {
        return;
    }
    Feed &F = It->second;
    if (!F.Begun || In.Screen > F.Screen) {
        // A machine may play a match before its host's word of it reaches the server: its inputs
        // wait for the start (those of the newest screen only).
        if (In.Type == Wire::Kind::Inputs && In.Screen >= F.Early.Screen) {
            if (In.Screen > F.Early.Screen) {
                F.Early = Waiting{};
                F.Early.Screen = In.Screen;
            }
            Keep(F.Early.Segments, 0, 0, FromHost, In);
        }
        return;
    }
    if (In.Screen != F.Screen) {
        return;
    }
    if (In.Type == Wire::Kind::Finish && In.Frame > 0) {
        const uint32_t Last = uint32_t(In.Frame);
        F.FinishAt = F.FinishAt == 0 ? Last : std::min(F.FinishAt, Last);
        if (TicksOf(F) > F.FinishAt && F.Released <= F.FinishAt) {
            // Ticks confirmed past the end, of inputs sent ahead: never watched.
            F.Ticks.resize(size_t(F.FinishAt) * 2);
            for (auto &Mark : F.Marks) {
                Mark.first = std::min(Mark.first, F.FinishAt);
            }
        }
        return;
    }
    if (In.Type != Wire::Kind::Inputs) {
        return;
    }
    Keep(F.Segments, F.Current, F.Done, FromHost, In);
    Advance(F, Now);
}

void Watchers::Keep(std::map<uint16_t, Segment> &Segments, uint16_t Current, uint32_t Done, bool FromHost,
                    const Wire::Message &In) {
    if (In.Segment < Current || In.Segment > Current + SegmentsAhead) {
        return;
    }
    Segment &Seg = Segments[In.Segment];
    const int Side = FromHost ? 0 : 1;
    const uint32_t From = In.Segment == Current ? Done : 0;
    for (int I = 0; I < In.Count; ++I) {
        const uint32_t Tick = uint32_t(In.First) + uint32_t(I);
        if (Tick < From || Tick >= From + InputsAhead) {
            continue;
        }
        if (Seg.Known[Side].size() <= Tick) {
            Seg.Known[Side].resize(Tick + 1, false);
            Seg.Inputs[Side].resize(Tick + 1, 0);
        }
        if (!Seg.Known[Side][Tick]) {
            Seg.Known[Side][Tick] = true; // the first input of a tick counts, as on the machines
            Seg.Inputs[Side][Tick] = In.Inputs[I];
        }
    }
}

void Watchers::Advance(Feed &F, Clock::time_point Now) {
    const uint32_t Before = TicksOf(F);
    for (;;) {
        auto It = F.Segments.find(F.Current);
        if (It == F.Segments.end()) {
            break;
        }
        Segment &Seg = It->second;
        bool Paused = false;
        while (F.Done < Seg.Known[0].size() && F.Done < Seg.Known[1].size() && Seg.Known[0][F.Done] &&
               Seg.Known[1][F.Done]) {
            if ((F.FinishAt != 0 && TicksOf(F) >= F.FinishAt) || TicksOf(F) >= Chosen.MaxTicks) {
                break;
            }
            const uint8_t Host = Seg.Inputs[0][F.Done], Guest = Seg.Inputs[1][F.Done];
            F.Ticks.push_back(Host);
            F.Ticks.push_back(Guest);
            F.Done++;
            if (((Host | Guest) & PadBits::Space) != 0) {
                Paused = true;
                break;
            }
        }
        if (!Paused) {
            break;
        }
        F.Segments.erase(It);
        F.Current++;
        F.Done = 0;
    }
    if (TicksOf(F) > Before) {
        F.Marks.emplace_back(TicksOf(F), Now);
    }
}

std::vector<PlayerId> Watchers::Tick(Clock::time_point Now) {
    std::vector<PlayerId> Slow;
    for (auto &[Room, F] : Feeds) {
        while (!F.Marks.empty() && Now - F.Marks.front().second >= Chosen.Delay) {
            F.Released = std::max(F.Released, F.Marks.front().first);
            F.Marks.pop_front();
        }
        for (PlayerId Who : F.Seats) {
            if (!Pump(F, Who, Seats.at(Who), true, Now)) {
                Slow.push_back(Who);
            }
        }
    }
    for (PlayerId Who : Slow) {
        Remove(Who);
    }
    return Slow;
}

bool Watchers::Pump(Feed &F, PlayerId Who, Seat &S, bool Bounded, Clock::time_point Now) {
    if (!F.Begun) {
        return true;
    }
    if (!S.StartSent) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Start;
        M.Screen = F.Screen;
        M.Bytes = F.Record;
        Tell(Who, M);
        S.StartSent = true;
    }
    const uint32_t Until = std::min(F.Released, TicksOf(F));
    while (S.Sent < Until && (!Bounded || Out.Backlog(Who) < Chosen.Backlog)) {
        const uint32_t Count = std::min<uint32_t>(Until - S.Sent, Meeting::MaxTicksPerMessage);
        Meeting::Message M;
        M.Type = Meeting::Kind::Ticks;
        M.Screen = F.Screen;
        M.First = S.Sent + 1;
        M.Bytes.assign(F.Ticks.begin() + 2 * S.Sent, F.Ticks.begin() + 2 * (S.Sent + Count));
        Tell(Who, M);
        S.Sent += Count;
    }
    if (S.Sent >= Until && F.FinishAt != 0 && S.Sent >= F.FinishAt && !S.FinishSent) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Finished;
        M.Screen = F.Screen;
        M.Last = F.FinishAt;
        Tell(Who, M);
        S.FinishSent = true;
    }
    if (S.Sent >= Until) {
        S.FullSince = Clock::time_point{};
        return true;
    }
    if (S.FullSince == Clock::time_point{}) {
        S.FullSince = Now;
        return true;
    }
    return Now - S.FullSince < Chosen.SlowFor;
}

void Watchers::Flush(Feed &F) {
    F.Released = TicksOf(F);
    F.Marks.clear();
    for (PlayerId Who : F.Seats) {
        Pump(F, Who, Seats.at(Who), false, Clock::time_point{});
    }
}

std::vector<PlayerId> Watchers::Close(uint32_t Room, Meeting::Reason Why) {
    auto It = Feeds.find(Room);
    if (It == Feeds.end()) {
        return {};
    }
    Feed &F = It->second;
    Flush(F);
    std::vector<PlayerId> Gone = std::move(F.Seats);
    for (PlayerId Who : Gone) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Over;
        M.Session = Room;
        M.Why = Why;
        Tell(Who, M);
        Seats.erase(Who);
    }
    Feeds.erase(It);
    return Gone;
}

void Watchers::TellCount(const Feed &F) {
    Meeting::Message M;
    M.Type = Meeting::Kind::Watchers;
    M.Count = uint16_t(F.Seats.size());
    for (PlayerId To : {F.Host, F.Guest}) {
        if (To != 0) {
            Tell(To, M);
        }
    }
}

void Watchers::Tell(PlayerId To, const Meeting::Message &M) {
    const std::vector<uint8_t> Bytes = Meeting::Encode(M);
    Out.Send(To, Bytes.data(), Bytes.size(), true);
}
