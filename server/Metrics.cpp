#include "server/Metrics.h"

#include <cstdio>

void Metrics::RelayDelay(double Seconds, uint64_t Count) {
    size_t Bucket = 0;
    while (Bucket < DelayBounds.size() && Seconds > DelayBounds[Bucket]) {
        Bucket++;
    }
    DelayCounts[Bucket] += Count;
    DelaySum += Seconds * double(Count);
    DelayCount += Count;
}

namespace {

void Line(std::string &Out, const char *Name, const char *Type, const char *Help, const std::string &Value) {
    Out += std::string("# HELP ") + Name + " " + Help + "\n# TYPE " + Name + " " + Type + "\n" + Name + " " +
           Value + "\n";
}

} // namespace

std::string Metrics::Prometheus() const {
    std::string Out;
    Line(Out, "zorbump_players_connected", "gauge", "Players connected, by ENet or WebSocket.",
         std::to_string(PlayersConnected));
    Line(Out, "zorbump_rooms_waiting", "gauge", "Rooms with one player waiting for a friend.",
         std::to_string(RoomsWaiting));
    Line(Out, "zorbump_matches_playing", "gauge", "Rooms with two players relayed.", std::to_string(MatchesPlaying));
    Line(Out, "zorbump_matches_finished_total", "counter", "Rooms of two players that have ended.",
         std::to_string(MatchesFinished));
    Line(Out, "zorbump_messages_relayed_total", "counter", "Session messages forwarded.",
         std::to_string(MessagesRelayed));
    Line(Out, "zorbump_bytes_relayed_total", "counter", "Bytes of session messages forwarded.",
         std::to_string(BytesRelayed));
    Out += "# HELP zorbump_refusals_total Connections, messages and requests turned away, by reason.\n"
           "# TYPE zorbump_refusals_total counter\n";
    for (const auto &[Reason, Count] : Refusals) {
        Out += "zorbump_refusals_total{reason=\"" + Reason + "\"} " + std::to_string(Count) + "\n";
    }
    Out += "# HELP zorbump_relay_delay_seconds Time a relayed message spends in the server.\n"
           "# TYPE zorbump_relay_delay_seconds histogram\n";
    uint64_t Running = 0;
    char Bound[32];
    for (size_t I = 0; I < DelayBounds.size(); ++I) {
        Running += DelayCounts[I];
        std::snprintf(Bound, sizeof Bound, "%g", DelayBounds[I]);
        Out += std::string("zorbump_relay_delay_seconds_bucket{le=\"") + Bound + "\"} " + std::to_string(Running) +
               "\n";
    }
    Running += DelayCounts.back();
    Out += "zorbump_relay_delay_seconds_bucket{le=\"+Inf\"} " + std::to_string(Running) + "\n";
    char Sum[48];
    std::snprintf(Sum, sizeof Sum, "%.9f", DelaySum);
    Out += std::string("zorbump_relay_delay_seconds_sum ") + Sum + "\n";
    Out += "zorbump_relay_delay_seconds_count " + std::to_string(DelayCount) + "\n";
    return Out;
}
