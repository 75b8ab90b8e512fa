// zorbump-sim's online play: one machine hosts, the other joins, and the two run one match with
// rollback over ENet in real time, each from its own person's keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OnlineOptions {
    bool Hosting = false;
    std::string Address; // the host to join, or the server
    bool ThroughServer = false;
    int ServerWants = 0; // 1 a quick match, 2 a new room, 3 the room Room, 4 watch the room Room
    std::string Room;
    uint16_t Port = 0;
    int Sides[4] = {0, 1, 0, 1}, Slots[4] = {0, 0, 1, 1}; // the host's line-up; the guest learns it
    int People[2] = {-1, -1};
    bool Seeded = false;
    uint64_t Seed = 0;
    std::vector<std::vector<int>> Keys; // the local person's held keys per tick, as letter-set codes
    int64_t Ticks = -1;
    bool Trace = false;
    std::string RecordPath;
    int Delay = 0;
};

// Plays the session to its end; returns the program's exit status.
int RunOnline(const OnlineOptions &Options);
