// Clients of a server running in the test's own process: an ENet player as the game connects, a
// WebSocket player as a page would, and plain HTTP requests, all on loopback.
#pragma once

#include <enet/enet.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/Meeting.h"
#include "server/Server.h"

// The server on a thread of its own, stopped and joined however the test ends.
class RunningServer {
  public:
    explicit RunningServer(ServerOptions Chosen = {}) : S((Chosen.Port = 0, Chosen), nullptr) {
        std::string Error;
        Ok = S.Start(Error);
        if (Ok) {
            Loop = std::thread([this] { S.Run(); });
        }
    }
    ~RunningServer() { Stop(); }
    void Stop() {
        if (Loop.joinable()) {
            S.Stop();
            Loop.join();
        }
    }
    bool Ok = false;
    Server S;
    std::thread Loop;
};

inline std::vector<uint8_t> AskBytes(Meeting::Want W, const std::string &Code = "AAAA",
                                     uint32_t Fingerprint = 1) {
    Meeting::Message M;
    M.Type = Meeting::Kind::Ask;
    M.Wanted = W;
    for (size_t I = 0; I < 4 && I < Code.size(); ++I) {
        M.Room[I] = Code[I];
    }
    M.Protocol = 2;
    M.Fingerprint = Fingerprint;
    return Meeting::Encode(M);
}

inline std::vector<uint8_t> SessionBytes(uint32_t Session, uint8_t Kind, uint8_t Payload) {
    return {0x42,
            0x5A,
            2,
            Kind,
            uint8_t(Session),
            uint8_t(Session >> 8),
            uint8_t(Session >> 16),
            uint8_t(Session >> 24),
            Payload};
}

class EnetPlayer {
  public:
    EnetPlayer() {
        Self = enet_host_create(nullptr, 1, 2, 0, 0);
        Self->checksum = enet_crc32;
    }
    ~EnetPlayer() {
        if (Self != nullptr) {
            enet_host_destroy(Self);
        }
    }
    bool Connect(uint16_t Port, int Millis = 3000) {
        ENetAddress A;
        enet_address_set_host_ip(&A, "127.0.0.1");
        A.port = Port;
        Peer = enet_host_connect(Self, &A, 2, 0);
        ENetEvent E;
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Millis);
        while (std::chrono::steady_clock::now() < Until) {
            if (enet_host_service(Self, &E, 10) > 0 && E.type == ENET_EVENT_TYPE_CONNECT) {
                // As the game does: every unreliable message leaves, whatever the round trips.
                enet_peer_throttle_configure(Peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, 0, 0);
                // The acknowledgement that completes the connection on the server's side leaves now.
                enet_host_flush(Self);
                return true;
            }
        }
        return false;
    }
    void Send(const std::vector<uint8_t> &Bytes, bool Reliable = true) {
        enet_peer_send(
            Peer, Reliable ? 0 : 1,
            enet_packet_create(Bytes.data(), Bytes.size(),
                               Reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED));
        enet_host_flush(Self);
    }
    // The next message within Millis, or nothing; Gone says whether the server closed.
    std::optional<std::vector<uint8_t>> Next(int Millis = 2000) {
        ENetEvent E;
        const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Millis);
        while (std::chrono::steady_clock::now() < Until) {
            if (enet_host_service(Self, &E, 5) <= 0) {
                continue;
            }
            if (E.type == ENET_EVENT_TYPE_RECEIVE) {
                std::vector<uint8_t> Bytes(E.packet->data, E.packet->data + E.packet->dataLength);
                enet_packet_destroy(E.packet);
                return Bytes;
            }
            if (E.type == ENET_EVENT_TYPE_DISCONNECT) {
                Gone = true;
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<Meeting::Message> NextMeeting(int Millis = 2000) {
        auto Bytes = Next(Millis);
        Meeting::Message M;
        if (Bytes && Meeting::Decode(Bytes->data(), Bytes->size(), M)) {
            return M;
        }
        return std::nullopt;
    }
    void Leave() {
        enet_peer_disconnect(Peer, 0);
        enet_host_flush(Self);
    }
    void Vanish() {
        enet_host_destroy(Self);
        Self = nullptr;
    }
    ENetHost *Self = nullptr;
    ENetPeer *Peer = nullptr;
    bool Gone = false;
};

// What a WebSocket player says and hears, over a plain or a TLS stream.
template <typename Stream> class WsMessages {
  public:
    template <typename... Args> explicit WsMessages(Args &...Layers) : Ws(Layers...) {}
    void Send(const std::vector<uint8_t> &Bytes) {
        boost::beast::error_code E;
        Ws.write(boost::asio::buffer(Bytes), E);
    }
    std::optional<std::vector<uint8_t>> Next() {
        boost::beast::flat_buffer B;
        boost::beast::error_code E;
        Ws.read(B, E);
        if (E) {
            return std::nullopt;
        }
        const auto *P = static_cast<const uint8_t *>(B.cdata().data());
        return std::vector<uint8_t>(P, P + B.size());
    }
    std::optional<Meeting::Message> NextMeeting() {
        auto Bytes = Next();
        Meeting::Message M;
        if (Bytes && Meeting::Decode(Bytes->data(), Bytes->size(), M)) {
            return M;
        }
        return std::nullopt;
    }
    boost::beast::websocket::stream<Stream> Ws;
};

// The io_context comes first, so that it outlives the stream built on it.
struct PlainLoop {
    boost::asio::io_context Io;
};

class WsPlayerClient : private PlainLoop, public WsMessages<boost::asio::ip::tcp::socket> {
  public:
    WsPlayerClient() : WsMessages(Io) {}
    bool Connect(uint16_t Port) {
        boost::beast::error_code E;
        Ws.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), Port}, E);
        if (!E) {
            Ws.handshake("127.0.0.1", "/play", E);
        }
        Ws.binary(true);
        return !E;
    }
};

// One request, its response's status and body (status 0: no response).
struct HttpAnswer {
    unsigned Status = 0;
    std::string Body;
    boost::beast::http::fields Fields;
};

inline HttpAnswer Get(uint16_t Port, const std::string &Target, const std::string &IfNoneMatch = "") {
    namespace http = boost::beast::http;
    boost::asio::io_context Io;
    boost::asio::ip::tcp::socket S(Io);
    boost::beast::error_code E;
    S.connect({boost::asio::ip::make_address("127.0.0.1"), Port}, E);
    HttpAnswer A;
    if (E) {
        return A;
    }
    http::request<http::empty_body> Request(http::verb::get, Target, 11);
    Request.set(http::field::host, "127.0.0.1");
    if (!IfNoneMatch.empty()) {
        Request.set(http::field::if_none_match, IfNoneMatch);
    }
    http::write(S, Request, E);
    boost::beast::flat_buffer B;
    http::response<http::string_body> Response;
    http::read(S, B, Response, E);
    if (!E) {
        A.Status = Response.result_int();
        A.Body = Response.body();
        A.Fields = Response.base();
    }
    return A;
}
