// The whole server on one event loop: the meeting place and relay (Lobby) between its two doors,
// ENet on UDP and HTTP/WebSocket on TCP, both on one port number; a steady tick for the Lobby's
// clocks; and a stop that tells everyone before it goes.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "server/EnetSide.h"
#include "server/Lobby.h"
#include "server/Options.h"
#include "server/ReplayIntake.h"
#include "server/ReplayShelf.h"
#include "server/WebSide.h"

class Server : private Lobby::Output {
  public:
    // Log: where the operator's lines go (standard error; nothing in tests).
    Server(const ServerOptions &Chosen, std::FILE *Log);
    ~Server() override;

    // Reads the certificate and key and opens the folder of kept matches, when they were chosen;
    // false with Error when they will not do. Before Start.
    bool Prepare(std::string &Error);
    // Binds both doors; with port 0, a free number for both.
    bool Start(std::string &Error);
    // Runs until stopped.
    void Run();
    // Stops taking players, tells everyone in a room the server is going away, and leaves the loop
    // once the goodbyes had a moment to go. Safe from another thread.
    void Stop();
    uint16_t Port() const { return Bound; }
    boost::asio::io_context &Loop() { return Io; }
    const Metrics &Counts() const { return Numbers; }

  private:
    void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable) override;
    void Close(PlayerId Who) override;
    size_t Backlog(PlayerId Who) const override;
    void Tick();
    void Say(const std::string &Line);

    ServerOptions Chosen;
    std::FILE *Log;
    std::unique_ptr<boost::asio::ssl::context> Tls;
    std::unique_ptr<ReplayShelf> Shelf;
    std::unique_ptr<ReplayIntake> Intake;
    boost::asio::io_context Io;
    Metrics Numbers;
    AddressLimits Limits;
    Lobby Meeting;
    EnetSide Enet;
    WebSide Web;
    boost::asio::steady_timer Ticker, Ending;
    uint16_t Bound = 0;
    bool Stopping = false;
    uint64_t RefusedSeen = 0;
    int TicksSinceReport = 0;
};
