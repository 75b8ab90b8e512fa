// The server's counters, read by operators as /metrics in the Prometheus text format and summed up
// in the occasional line on standard error. Counting is a few additions: nothing per message is
// written anywhere.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

struct Metrics {
    // Gauges.
    int64_t PlayersConnected = 0;
    int64_t RoomsWaiting = 0;
    int64_t MatchesPlaying = 0;
    // Counters.
    uint64_t MatchesFinished = 0;
    uint64_t MessagesRelayed = 0;
    uint64_t BytesRelayed = 0;
    std::map<std::string, uint64_t> Refusals; // by reason

    // How long a message waits in the server, from its arrival to its departure, in seconds.
    static constexpr std::array<double, 10> DelayBounds = {0.0001, 0.00025, 0.0005, 0.001, 0.0025,
                                                           0.005,  0.01,    0.025,  0.05,  0.1};
    std::array<uint64_t, DelayBounds.size() + 1> DelayCounts = {};
    double DelaySum = 0;
    uint64_t DelayCount = 0;

    void Refuse(const std::string &Reason, uint64_t Count = 1) { Refusals[Reason] += Count; }
    void RelayDelay(double Seconds, uint64_t Count = 1);
    std::string Prometheus() const;
};
