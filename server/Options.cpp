#include "server/Options.h"

#include <cstdlib>

namespace {

bool Number(const std::string &Text, long Low, long High, long &Out) {
    char *End = nullptr;
    const long Value = std::strtol(Text.c_str(), &End, 10);
    if (Text.empty() || *End != '\0' || Value < Low || Value > High) {
        return false;
    }
    Out = Value;
    return true;
}

} // namespace

const char *ServerUsage() {
    return "usage: zorbump-server [--port P] [--listen ADDR] [--web DIR] [--max-players N]\n"
           "                      [--per-address N] [--cert FILE --key FILE]\n"
           "                      [--replays DIR [--replays-count N] [--replays-size MB]] [--help]\n"
           "Meets players and relays their matches: ENet on UDP port P, HTTP and WebSocket on TCP port P.\n"
           "  --port P         the port number for both (default 24680)\n"
           "  --listen ADDR    one IPv4 address to listen on (default: every interface)\n"
           "  --web DIR        serve the browser build's files from DIR\n"
           "  --max-players N  players connected at once (default 2000)\n"
           "  --per-address N  connections one address may hold (default 8)\n"
           "  --cert FILE      the TLS certificate (PEM, with its chain): the TCP port speaks HTTPS and "
           "wss://\n"
           "  --key FILE       the certificate's private key (PEM); both or neither\n"
           "  --replays DIR    keep every finished match as a replay file in DIR, listed on GET /replays\n"
           "                   and served on GET /replays/ID\n"
           "  --replays-count N  the most matches kept, the oldest dropped first (default 1000)\n"
           "  --replays-size MB  the most megabytes of matches kept (default 100)\n"
           "Operators: GET /healthz, GET /metrics (Prometheus text format).\n";
}

bool ParseServerOptions(int Argc, const char *const *Argv, ServerOptions &Out, std::string &Error) {
    for (int I = 1; I < Argc; ++I) {
        const std::string Arg = Argv[I];
        const bool HasValue = I + 1 < Argc;
        long Value = 0;
        if (Arg == "--help" || Arg == "-h") {
            Out.Help = true;
        } else if (Arg == "--port" && HasValue) {
            if (!Number(Argv[++I], 1, 65535, Value)) {
                Error = "--port needs a number from 1 to 65535";
                return false;
            }
            Out.Port = uint16_t(Value);
        } else if (Arg == "--listen" && HasValue) {
            Out.Listen = Argv[++I];
        } else if (Arg == "--web" && HasValue) {
            Out.WebRoot = Argv[++I];
            while (Out.WebRoot.size() > 1 && Out.WebRoot.back() == '/') {
                Out.WebRoot.pop_back();
            }
        } else if (Arg == "--max-players" && HasValue) {
            if (!Number(Argv[++I], 2, 4000, Value)) {
                Error = "--max-players needs a number from 2 to 4000 (one ENet host holds no more)";
                return false;
            }
            Out.MaxPlayers = int(Value);
        } else if (Arg == "--replays" && HasValue) {
            Out.ReplaysDir = Argv[++I];
        } else if (Arg == "--replays-count" && HasValue) {
            if (!Number(Argv[++I], 1, 1000000, Out.ReplaysCount)) {
                Error = "--replays-count needs a number from 1 to 1000000";
                return false;
            }
        } else if (Arg == "--replays-size" && HasValue) {
            if (!Number(Argv[++I], 1, 1000000, Out.ReplaysMegabytes)) {
                Error = "--replays-size needs a number of megabytes from 1 to 1000000";
                return false;
            }
        } else if (Arg == "--cert" && HasValue) {
            Out.CertFile = Argv[++I];
        } else if (Arg == "--key" && HasValue) {
            Out.KeyFile = Argv[++I];
        } else if (Arg == "--per-address" && HasValue) {
            if (!Number(Argv[++I], 1, 100000, Value)) {
                Error = "--per-address needs a number from 1 to 100000";
                return false;
            }
            Out.PerAddress = int(Value);
        } else {
            Error =
                HasValue || Arg.rfind("--", 0) != 0 ? "unknown option " + Arg : "missing value for " + Arg;
            if (Arg != "--port" && Arg != "--listen" && Arg != "--web" && Arg != "--max-players" &&
                Arg != "--per-address" && Arg != "--cert" && Arg != "--key" && Arg != "--replays" &&
                Arg != "--replays-count" && Arg != "--replays-size") {
                Error = "unknown option " + Arg;
            }
            return false;
        }
    }
    if (Out.CertFile.empty() != Out.KeyFile.empty()) {
        Error = "--cert and --key go together";
        return false;
    }
    return true;
}
