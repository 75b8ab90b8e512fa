// Watchers of the rooms' matches, without any network. The server stays rules-free: it reads only
// the documented fields of the session's messages it relays (the screen, segment, first tick and
// inputs of Inputs; the last tick of Finish) and the start record each match's host sends, which
// it passes on unread. A tick is confirmed once both machines' inputs of it have passed through;
// a tick whose inputs hold Space is the last of its segment (the match pauses after it, and the
// next segment's inputs count from 0 again). Watchers get confirmed ticks only, Delay after they
// were confirmed, so that nobody watching can tell the players' next move before it is played;
// a watcher who comes late gets every earlier tick at once.
//
// The players never wait for a watcher: each watcher is sent only while its connection holds
// fewer than Backlog messages, and one that stays that full for SlowFor is let go.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <unordered_map>
#include <vector>

#include "net/Meeting.h"
#include "net/Protocol.h"

using PlayerId = uint64_t;

// Where the watchers' messages go, and how much waits to leave for one connection.
struct WatchOutput {
    virtual ~WatchOutput() = default;
    virtual void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable) = 0;
    // Messages queued for the connection and not yet delivered.
    virtual size_t Backlog(PlayerId) const { return 0; }
};

class Watchers {
  public:
    using Clock = std::chrono::steady_clock;
    struct Settings {
        std::chrono::milliseconds Delay{2000};
        size_t Backlog = 64;
        std::chrono::milliseconds SlowFor{5000};
        uint32_t MaxTicks = 1u << 16; // of one match kept for watchers (36 minutes)
    };

    Watchers(WatchOutput &Out, const Settings &Chosen) : Out(Out), Chosen(Chosen) {}

    // A room's two players, once paired: they are told how many watch.
    void Players(uint32_t Room, PlayerId Host, PlayerId Guest);
    size_t Count(uint32_t Room) const;
    // A watcher takes a seat in the room (whose players are told) and gets what there is to see.
    void Add(uint32_t Room, PlayerId Who, Clock::time_point Now);
    void Remove(PlayerId Who);
    // The room's host starts a match: what the watchers still wait for of the last one is sent.
    void Started(uint32_t Room, uint16_t Screen, const std::vector<uint8_t> &Record, Clock::time_point Now);
    // A session message one of the room's players sent the other.
    void Relayed(uint32_t Room, bool FromHost, const uint8_t *Bytes, size_t Size, Clock::time_point Now);
    // The room ended: each watcher gets every tick confirmed, then Over with Why. Gives the
    // watchers, whom the caller closes.
    std::vector<PlayerId> Close(uint32_t Room, Meeting::Reason Why);
    // Releases the ticks that have waited long enough. Gives the watchers let go for being slow,
    // whom the caller closes.
    std::vector<PlayerId> Tick(Clock::time_point Now);

    // For tests: ticks confirmed of the room's match, and released to watchers.
    uint32_t Confirmed(uint32_t Room) const;
    uint32_t Released(uint32_t Room) const;

  private:
    struct Segment {
        std::vector<uint8_t> Inputs[2]; // by tick of the segment: the host's, the guest's
        std::vector<bool> Known[2];
    };
    struct Waiting {
        uint16_t Screen = 0;
        std::map<uint16_t, Segment> Segments;
    };
    struct Feed {
        PlayerId Host = 0, Guest = 0;
        std::vector<PlayerId> Seats;
        bool Begun = false;
        uint16_t Screen = 0;
        std::vector<uint8_t> Record;
        std::vector<uint8_t> Ticks; // confirmed, two bytes a tick
        uint32_t Released = 0;      // ticks sent to watchers
        uint32_t FinishAt = 0;      // the match's last tick, once a player said it (0 before)
        std::deque<std::pair<uint32_t, Clock::time_point>> Marks; // ticks confirmed by then
        uint16_t Current = 0;                                     // the segment being confirmed
        uint32_t Done = 0;                                        // its ticks confirmed
        std::map<uint16_t, Segment> Segments;                     // the current one and later
        Waiting Early; // inputs of a later screen than the match's, until its start
    };
    struct Seat {
        uint32_t Room = 0;
        uint32_t Sent = 0;
        bool StartSent = false, FinishSent = false;
        Clock::time_point FullSince{};
    };

    uint32_t TicksOf(const Feed &F) const { return uint32_t(F.Ticks.size() / 2); }
    void Keep(std::map<uint16_t, Segment> &Segments, uint16_t Current, uint32_t Done, bool FromHost,
              const Wire::Message &In);
    void Advance(Feed &F, Clock::time_point Now);
    // Sends a watcher what it may see; Bounded, no more than its connection may hold. False when
    // the watcher has been full too long.
    bool Pump(Feed &F, PlayerId Who, Seat &S, bool Bounded, Clock::time_point Now);
    void Flush(Feed &F);
    void TellCount(const Feed &F);
    void Tell(PlayerId To, const Meeting::Message &M);

    WatchOutput &Out;
    Settings Chosen;
    std::unordered_map<uint32_t, Feed> Feeds;
    std::unordered_map<PlayerId, Seat> Seats;
};
