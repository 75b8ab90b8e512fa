// zorbump-server: players meet here and their matches are relayed, whatever routers stand between
// them. One process, one port number, one event loop.
#include <boost/asio/signal_set.hpp>
#include <csignal>
#include <cstdio>

#include "server/Server.h"

int main(int Argc, char **Argv) {
    ServerOptions Chosen;
    std::string Error;
    if (!ParseServerOptions(Argc, Argv, Chosen, Error)) {
        std::fprintf(stderr, "zorbump-server: %s (try --help)\n", Error.c_str());
        return 2;
    }
    if (Chosen.Help) {
        std::fputs(ServerUsage(), stdout);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);
    Server Running(Chosen, stderr);
    if (!Running.Prepare(Error)) {
        std::fprintf(stderr, "zorbump-server: %s\n", Error.c_str());
        return 2;
    }
    if (!Running.Start(Error)) {
        std::fprintf(stderr, "zorbump-server: %s\n", Error.c_str());
        return 1;
    }
    boost::asio::signal_set Signals(Running.Loop(), SIGTERM, SIGINT);
    Signals.async_wait([&Running](const boost::system::error_code &E, int) {
        if (!E) {
            Running.Stop();
        }
    });
    Running.Run();
    return 0;
}
