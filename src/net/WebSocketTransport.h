// The page's one connection: a WebSocket to the server, through the browser's own WebSocket, which
// the page reaches through Emscripten's WebSocket interface. Each binary message is one datagram of
// the game, both ways. The server is the one peer. A WebSocket keeps order and loses nothing, so
// reliable and unreliable datagrams travel alike. The browser calls back between the game's turns;
// the callbacks only queue what happened, and Poll hands it over in order.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "net/Transport.h"

class WebSocketTransport final : public Transport {
  public:
    // Url: ws://HOST:PORT/ or wss://HOST:PORT/. Null, with a reason, when the browser refuses it.
    static std::unique_ptr<WebSocketTransport> Connect(const std::string &Url, std::string &Error);
    ~WebSocketTransport() override;

    static constexpr PeerId Server = 1;
    NetEvent Poll(uint32_t Millis) override;
    bool Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) override;
    using Transport::Send;
    void Drop(PeerId Peer, bool Goodbye) override;
    void Close(bool Linger = true) override;
    bool Connected(PeerId Peer) const override { return Peer == Server && Open && !Ended; }
    uint64_t Address(PeerId Peer) const override { return Peer == Server ? 1 : 0; }
    uint32_t RoundTripMillis(PeerId) const override { return 0; }
    uint64_t BytesSent() const override { return Sent; }
    uint64_t BytesReceived() const override { return Received; }
    uint64_t Millis() const override;

    // What the browser said, queued until Poll (called by the socket's callbacks only).
    void Opened();
    void Arrived(const uint8_t *Bytes, uint32_t Size, bool Text);
    void Closed();

  private:
    explicit WebSocketTransport(int Socket) : Socket_(Socket) {}
    void Forget();

    int Socket_ = 0;
    bool Open = false;  // the server answered
    bool Ended = false; // closed, failed, or dropped: Lost was queued once
    std::deque<NetEvent> Queue;
    uint64_t Sent = 0, Received = 0;
};
