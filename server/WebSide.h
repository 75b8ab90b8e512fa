// The server's TCP side, on the same port number as its UDP one: HTTP/1.1 for operators (/healthz,
// /metrics) and for the browser build's files, and WebSocket for players whose game has no UDP.
// Boost.Beast does the parsing and the framing; this file only bounds what a stranger may make it
// hold: a few seconds to send a request, small request lines and headers, small messages, a short
// queue for a reader that does not read.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "server/Lobby.h"
#include "server/ReplayShelf.h"

class WsPlayer;

class WebSide {
  public:
    struct Settings {
        std::string WebRoot; // empty: no files served
        std::chrono::milliseconds RequestTime{5000};
        size_t HeaderLimit = 8192;
    };

    WebSide(boost::asio::io_context &Loop, Lobby &Meeting, Metrics &Counts, AddressLimits &Limits,
            const Settings &Chosen);
    ~WebSide();

    bool Open(const boost::asio::ip::address &Listen, uint16_t Port, std::string &Error);
    // From now on every connection speaks TLS first (HTTPS and wss://). Context outlives this side.
    void UseTls(boost::asio::ssl::context &Context) { Tls = &Context; }
    // Serves the kept matches: GET /replays and GET /replays/ID. Shelf outlives this side.
    void UseShelf(const ReplayShelf &Kept) { Shelf = &Kept; }
    const ReplayShelf *Shelf = nullptr;
    // Players of this side have odd ids.
    static bool Owns(PlayerId Id) { return Id % 2 == 1; }
    void Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable);
    void Close(PlayerId Who);
    // Messages queued for the player and not yet written.
    size_t Backlog(PlayerId Who) const;
    // Stops taking connections.
    void Shut();
    // Called after each player's message is handled (the other side's queue may want a flush).
    std::function<void()> AfterMessage;

    // For the sessions of this side.
    Lobby &Meeting;
    Metrics &Counts;
    AddressLimits &Limits;
    const Settings Chosen;
    PlayerId Enter(const std::shared_ptr<WsPlayer> &Player);
    void Gone(PlayerId Id);
    bool Healthy() const { return !Stopping; }

  private:
    void Accept();

    boost::asio::ip::tcp::acceptor Acceptor;
    std::unordered_map<PlayerId, std::weak_ptr<WsPlayer>> Players;
    boost::asio::ssl::context *Tls = nullptr;
    PlayerId NextId = 1;
    bool Stopping = false;
};
