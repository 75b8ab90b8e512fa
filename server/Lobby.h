// The meeting place and the relay, without any network: players come, ask for a quick match, a new
// room or a room by its code, are paired, and then their session's messages are forwarded
// unchanged to the other player of the room. Whoever owns the sockets feeds it what arrives and
// carries out what it asks through Output; it never calls back into the Lobby from Send or Close.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <optional>
#include <unordered_map>

#include "net/Meeting.h"
#include "server/Limits.h"
#include "server/Metrics.h"
#include "server/Watchers.h"

class Lobby {
  public:
    using Clock = std::chrono::steady_clock;

    struct Output : WatchOutput {
        // Ends the player's connection once what was sent has left. The player is already gone
        // from the Lobby; the owner's later Leave for it is ignored.
        virtual void Close(PlayerId Who) = 0;
    };

    // Takes the pieces of the replay files the players of a room send as a match ends, if the server
    // keeps matches.
    struct Keeper {
        virtual ~Keeper() = default;
        virtual void Piece(PlayerId From, uint32_t Session, uint32_t Fingerprint, const uint8_t *Bytes,
                           size_t Size) = 0;
        // The room is gone: nothing more comes for it.
        virtual void RoomEnded(uint32_t Session) = 0;
    };
    Keeper *Kept = nullptr;

    struct Settings {
        int MaxPlayers = 2000;
        std::chrono::milliseconds Silence{5000};
        std::chrono::milliseconds RoomWait{10 * 60 * 1000};
        Watchers::Settings Watching;
    };

    Lobby(Output &Out, Metrics &Counts, AddressLimits &Limits, const Settings &Chosen, uint64_t Seed);

    // A new connection; false (and the player told and closed) when the server is full or stopping.
    bool Join(PlayerId Who, const std::string &Address, Clock::time_point Now);
    // The connection ended: closed by the player (Lost false) or gone silent (true), which the
    // other player of its room is told in the same words as in a direct session.
    void Leave(PlayerId Who, bool Lost = false);
    // One message as it arrived. Returns true when it was relayed to the other player.
    bool Receive(PlayerId Who, const uint8_t *Bytes, size_t Size, bool Reliable, Clock::time_point Now);
    // The player's connection is alive (its transport heard from it), whether or not a message came.
    void Heard(PlayerId Who, Clock::time_point Now);
    // Rooms that waited too long close; a room whose player fell silent ends for both.
    void Tick(Clock::time_point Now);
    // The server is going away: everyone is told and closed, and nobody new is taken.
    void Stop();

    size_t Players() const { return People.size(); }
    const Watchers &Watching() const { return Seen; }
    bool Stopping() const { return Stopped; }

  private:
    enum class Stage { Idle, Queued, Hosting, Playing, Watching };
    struct Player {
        std::string Address;
        Stage At = Stage::Idle;
        uint32_t Room = 0;
        uint8_t Protocol = 0;
        uint32_t Fingerprint = 0;
        Clock::time_point LastHeard;
        MessageBucket Rate;
    };
    struct Room {
        std::string Code; // empty for a quick match
        PlayerId Host = 0, Guest = 0;
        Clock::time_point Opened;
    };

    void Ask(PlayerId Who, Player &P, const Meeting::Message &In, Clock::time_point Now);
    void Watch(PlayerId Who, Player &P, const Meeting::Message &In, Clock::time_point Now);
    std::optional<uint32_t> RoomOfCode(PlayerId Who, const Player &P, const Meeting::Message &In,
                                       Clock::time_point Now);
    void Pair(PlayerId HostId, PlayerId GuestId, uint32_t Session, Clock::time_point Now);
    void Tell(PlayerId To, const Meeting::Message &M);
    void Refuse(PlayerId To, Meeting::Reason Why);
    // Ends a room: each player still there is told why and closed (the leaver is not).
    void EndRoom(uint32_t Session, Meeting::Reason Why, PlayerId Leaver);
    void Drop(PlayerId Who);
    uint32_t NewSession();
    std::string NewCode();

    Output &Out;
    Metrics &Counts;
    AddressLimits &Limits;
    Settings Chosen;
    std::mt19937_64 Random;
    bool Stopped = false;
    std::unordered_map<PlayerId, Player> People;
    std::unordered_map<uint32_t, Room> Rooms;
    std::unordered_map<std::string, uint32_t> Codes;
    std::deque<PlayerId> Queue; // quick-match players in the order they came; stale ids skipped
    Watchers Seen;
};
