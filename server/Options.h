// The server's command line.
#pragma once

#include <cstdint>
#include <string>

struct ServerOptions {
    uint16_t Port = 24680;
    std::string Listen;  // empty: every interface
    std::string WebRoot; // empty: no files
    int MaxPlayers = 2000;
    int PerAddress = 8;
    std::string CertFile, KeyFile; // both or neither: HTTPS and wss:// on the TCP port
    std::string ReplaysDir;        // empty: no match kept
    long ReplaysCount = 1000;
    long ReplaysMegabytes = 100;
    bool Help = false;
};

// False with Error set for a bad command line.
bool ParseServerOptions(int Argc, const char *const *Argv, ServerOptions &Out, std::string &Error);
const char *ServerUsage();
