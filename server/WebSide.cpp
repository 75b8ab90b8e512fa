#include "server/WebSide.h"

#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <deque>
#include <optional>
#include <sys/stat.h>
#include <vector>

#include "server/StaticFiles.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

namespace {

constexpr size_t QueueLimit = 256; // messages waiting for a reader that does not read

} // namespace

// One WebSocket player: each binary message is one message of the game, as one datagram would be.
// The same over plain TCP (ws://) and over TLS (wss://).
class WsPlayer {
  public:
    virtual ~WsPlayer() = default;
    virtual void Send(const uint8_t *Bytes, size_t Size) = 0;
    virtual void Close() = 0;
    virtual size_t Waiting() const = 0; // messages not yet written
    virtual void Drop() = 0;
};

namespace {

template <class Stream>
class WsPlayerOn : public WsPlayer, public std::enable_shared_from_this<WsPlayerOn<Stream>> {
  public:
    WsPlayerOn(WebSide &Side, Stream Moved, std::string Address)
        : Side(Side), Ws(std::move(Moved)), Address(std::move(Address)) {}

    void Start(http::request<http::empty_body> Request) {
        Ws.read_message_max(Meeting::MaxMessageSize);
        Ws.binary(true);
        websocket::stream_base::timeout Timeouts;
        Timeouts.handshake_timeout = std::chrono::seconds(5);
        // A quiet player is pinged at half this; one that answers nothing is gone after it.
        Timeouts.idle_timeout = std::chrono::seconds(5);
        Timeouts.keep_alive_pings = true;
        Ws.set_option(Timeouts);
        Ws.control_callback([this](websocket::frame_type, beast::string_view) {
            if (Id != 0) {
                Side.Meeting.Heard(Id, Lobby::Clock::now());
            }
        });
        Ws.async_accept(Request, [Self = this->shared_from_this()](beast::error_code E) {
            if (E) {
                Self->Side.Limits.Release(Self->Address);
                return;
            }
            Self->Id = Self->Side.Enter(Self);
            Self->Side.Meeting.Join(Self->Id, Self->Address, Lobby::Clock::now());
            Self->Read();
        });
    }

    void Send(const uint8_t *Bytes, size_t Size) override {
        if (Closing) {
            return;
        }
        if (Queue.size() >= QueueLimit) {
            Side.Counts.Refuse("slow_reader");
            beast::get_lowest_layer(Ws).socket().close();
            return;
        }
        Queue.emplace_back(Bytes, Bytes + Size);
        if (Queue.size() == 1) {
            Write();
        }
    }

    size_t Waiting() const override { return Queue.size(); }

    void Close() override {
        Closing = true;
        if (Queue.empty()) {
            Goodbye();
        }
    }

    void Drop() override { beast::get_lowest_layer(Ws).socket().close(); }

  private:
    void Read() {
        Ws.async_read(Buffer, [Self = this->shared_from_this()](beast::error_code E, size_t) {
            if (E) {
                Self->Ended();
                return;
            }
            if (!Self->Ws.got_binary()) {
                Self->Side.Counts.Refuse("framing");
            } else {
                const auto Data = Self->Buffer.cdata();
                const auto *Bytes = static_cast<const uint8_t *>(Data.data());
                Self->Side.Meeting.Receive(Self->Id, Bytes, Data.size(), true, Lobby::Clock::now());
                if (Self->Side.AfterMessage) {
                    Self->Side.AfterMessage();
                }
            }
            Self->Buffer.consume(Self->Buffer.size());
            Self->Read();
        });
    }

    void Write() {
        Ws.async_write(asio::buffer(Queue.front()),
                       [Self = this->shared_from_this()](beast::error_code E, size_t) {
                           if (E) {
                               return; // the read that is pending ends too, and says the player is gone
                           }
                           Self->Queue.pop_front();
                           if (!Self->Queue.empty()) {
                               Self->Write();
                           } else if (Self->Closing) {
                               Self->Goodbye();
                           }
                       });
    }

    void Goodbye() {
        if (SaidGoodbye) {
            return;
        }
        SaidGoodbye = true;
        Ws.async_close(websocket::close_code::normal,
                       [Self = this->shared_from_this()](beast::error_code) {});
    }

    void Ended() {
        if (Id != 0) {
            Side.Gone(Id);
            Side.Meeting.Leave(Id);
            Side.Counts.PlayersConnected--;
            Id = 0;
        }
        if (!Released) {
            Released = true;
            Side.Limits.Release(Address);
        }
    }

    WebSide &Side;
    websocket::stream<Stream> Ws;
    std::string Address;
    beast::flat_buffer Buffer;
    std::deque<std::vector<uint8_t>> Queue;
    PlayerId Id = 0;
    bool Closing = false, SaidGoodbye = false, Released = false;
};

// One HTTP connection: requests one after the other, each within a few seconds, until it upgrades
// to a WebSocket or closes. Over TLS the handshake comes first, in the same few seconds: one that
// stalls or fails is dropped like a slow request.
template <class Stream> class HttpClient : public std::enable_shared_from_this<HttpClient<Stream>> {
  public:
    HttpClient(WebSide &Side, Stream Moved, std::string Address)
        : Side(Side), Link(std::move(Moved)), Address(std::move(Address)) {}
    ~HttpClient() {
        if (!Upgraded) {
            Side.Limits.Release(Address);
        }
    }

    void Start() {
        if constexpr (std::is_same_v<Stream, TlsStream>) {
            beast::get_lowest_layer(Link).expires_after(Side.Chosen.RequestTime);
            Link.async_handshake(asio::ssl::stream_base::server, [Self = this->shared_from_this()](
                                                                     beast::error_code E) {
                if (E) {
                    Self->Side.Counts.Refuse(E == beast::error::timeout ? "slow_request" : "tls_handshake");
                    Self->Shut();
                    return;
                }
                Self->Read();
            });
        } else {
            Read();
        }
    }

  private:
    void Shut() {
        beast::error_code Ignored;
        beast::get_lowest_layer(Link).socket().shutdown(tcp::socket::shutdown_both, Ignored);
    }

    void Read() {
        Parser.emplace();
        Parser->header_limit(uint32_t(Side.Chosen.HeaderLimit));
        Parser->body_limit(0); // nothing the server takes has a body
        beast::get_lowest_layer(Link).expires_after(Side.Chosen.RequestTime);
        http::async_read(Link, Buffer, *Parser,
                         [Self = this->shared_from_this()](beast::error_code E, size_t) {
                             if (E) {
                                 if (E != http::error::end_of_stream && E != beast::error::timeout &&
                                     E != asio::error::eof && E != asio::ssl::error::stream_truncated) {
                                     Self->Side.Counts.Refuse("bad_request");
                                 }
                                 if (E == beast::error::timeout) {
                                     Self->Side.Counts.Refuse("slow_request");
                                 }
                                 Self->Shut();
                                 return;
                             }
                             Self->Handle(Self->Parser->release());
                         });
    }

    void Handle(http::request<http::empty_body> Request) {
        if (websocket::is_upgrade(Request)) {
            if (!Side.Healthy()) {
                return; // a stopping server takes no new players
            }
            Upgraded = true;
            beast::get_lowest_layer(Link).expires_never();
            auto Player = std::make_shared<WsPlayerOn<Stream>>(Side, std::move(Link), Address);
            Player->Start(std::move(Request));
            return;
        }
        const bool KeepAlive = Request.keep_alive();
        const unsigned Version = Request.version();
        const std::string Target(Request.target());
        if (Request.method() != http::verb::get && Request.method() != http::verb::head) {
            Reply(Version, KeepAlive, http::status::method_not_allowed, "text/plain", "only GET\n");
        } else if (Target == "/healthz") {
            if (Side.Healthy()) {
                Reply(Version, KeepAlive, http::status::ok, "text/plain", "ok\n");
            } else {
                Reply(Version, false, http::status::service_unavailable, "text/plain", "stopping\n");
            }
        } else if (Side.Shelf != nullptr && (Target == "/replays" || Target.rfind("/replays/", 0) == 0)) {
            Replays(Request, Target);
        } else if (Target == "/metrics") {
            Reply(Version, KeepAlive, http::status::ok, "text/plain; version=0.0.4",
                  Side.Counts.Prometheus());
        } else {
            File(Request, Target);
        }
    }

    void Reply(unsigned Version, bool KeepAlive, http::status Status, const char *Type, std::string Body) {
        auto Response = std::make_shared<http::response<http::string_body>>(Status, Version);
        Response->set(http::field::server, "zorbump-server");
        Response->set(http::field::content_type, Type);
        Response->set(http::field::cache_control, "no-store");
        Response->keep_alive(KeepAlive);
        Response->body() = std::move(Body);
        Response->prepare_payload();
        Send(Response);
    }

    // The list of kept matches, or one of them by its id (nothing else is a name here).
    void Replays(const http::request<http::empty_body> &Request, const std::string &Target) {
        if (Target == "/replays") {
            Reply(Request.version(), Request.keep_alive(), http::status::ok, "application/json",
                  Side.Shelf->List());
            return;
        }
        const std::string Path = Side.Shelf->PathOf(Target.substr(std::string("/replays/").size()));
        if (Path.empty()) {
            Reply(Request.version(), Request.keep_alive(), http::status::not_found, "text/plain",
                  "no such replay\n");
            return;
        }
        File(Request, Path, "application/octet-stream", "public, max-age=86400, immutable");
    }

    void File(const http::request<http::empty_body> &Request, const std::string &Target) {
        const std::string Path = StaticFiles::PathFor(Side.Chosen.WebRoot, Target);
        if (Path.empty()) {
            Reply(Request.version(), Request.keep_alive(), http::status::not_found, "text/plain",
                  "not found\n");
            return;
        }
        File(Request, Path, StaticFiles::ContentType(Path), StaticFiles::CacheControl(Path));
    }

    void File(const http::request<http::empty_body> &Request, const std::string &Path,
              const std::string &Type, const std::string &Caching) {
        struct stat Info;
        if (Path.empty() || stat(Path.c_str(), &Info) != 0 || !S_ISREG(Info.st_mode)) {
            Reply(Request.version(), Request.keep_alive(), http::status::not_found, "text/plain",
                  "not found\n");
            return;
        }
        const std::string Tag =
            "\"" + std::to_string(Info.st_size) + "-" + std::to_string(Info.st_mtime) + "\"";
        if (Request[http::field::if_none_match] == Tag) {
            auto Response = std::make_shared<http::response<http::empty_body>>(http::status::not_modified,
                                                                               Request.version());
            Response->set(http::field::etag, Tag);
            Response->set(http::field::cache_control, Caching);
            Response->keep_alive(Request.keep_alive());
            Send(Response);
            return;
        }
        beast::error_code E;
        http::file_body::value_type Body;
        Body.open(Path.c_str(), beast::file_mode::scan, E);
        if (E) {
            Reply(Request.version(), Request.keep_alive(), http::status::not_found, "text/plain",
                  "not found\n");
            return;
        }
        auto Response = std::make_shared<http::response<http::file_body>>(
            std::piecewise_construct, std::make_tuple(std::move(Body)),
            std::make_tuple(http::status::ok, Request.version()));
        Response->set(http::field::server, "zorbump-server");
        Response->set(http::field::content_type, Type);
        Response->set(http::field::cache_control, Caching);
        Response->set(http::field::etag, Tag);
        Response->set("X-Content-Type-Options", "nosniff");
        Response->keep_alive(Request.keep_alive());
        Response->prepare_payload();
        if (Request.method() == http::verb::head) {
            Response->body().close();
            auto Head =
                std::make_shared<http::response<http::empty_body>>(http::status::ok, Request.version());
            Head->base() = Response->base();
            Send(Head);
            return;
        }
        Send(Response);
    }

    template <class Response> void Send(const std::shared_ptr<Response> &Out) {
        beast::get_lowest_layer(Link).expires_after(std::chrono::seconds(30));
        http::async_write(Link, *Out, [Self = this->shared_from_this(), Out](beast::error_code E, size_t) {
            if (E || !Out->keep_alive()) {
                Self->Shut();
                return;
            }
            Self->Read();
        });
    }

    WebSide &Side;
    Stream Link;
    std::string Address;
    beast::flat_buffer Buffer{8192};
    std::optional<http::request_parser<http::empty_body>> Parser;
    bool Upgraded = false;
};

} // namespace

WebSide::WebSide(asio::io_context &Loop, Lobby &Meeting, Metrics &Counts, AddressLimits &Limits,
                 const Settings &Chosen)
    : Meeting(Meeting), Counts(Counts), Limits(Limits), Chosen(Chosen), Acceptor(Loop) {}

WebSide::~WebSide() {
    Shut();
    for (auto &Entry : Players) {
        if (auto Player = Entry.second.lock()) {
            Player->Drop();
        }
    }
}

bool WebSide::Open(const asio::ip::address &Listen, uint16_t Port, std::string &Error) {
    beast::error_code E;
    const tcp::endpoint At(Listen, Port);
    Acceptor.open(At.protocol(), E);
    if (!E) {
        Acceptor.set_option(asio::socket_base::reuse_address(true), E);
    }
    if (!E) {
        Acceptor.bind(At, E);
    }
    if (!E) {
        Acceptor.listen(asio::socket_base::max_listen_connections, E);
    }
    if (E) {
        Error = "cannot listen on TCP port " + std::to_string(Port) + " (" + E.message() + ")";
        return false;
    }
    Accept();
    return true;
}

void WebSide::Accept() {
    Acceptor.async_accept([this](beast::error_code E, tcp::socket Socket) {
        if (E == asio::error::operation_aborted || !Acceptor.is_open()) {
            return;
        }
        if (!E) {
            beast::error_code Ignored;
            // TCP connections are counted apart from UDP ones: an operator's requests never take a
            // player's place.
            const std::string Address = "tcp " + Socket.remote_endpoint(Ignored).address().to_string();
            if (Ignored || Stopping || !Limits.Admit(Address)) {
                Counts.Refuse(Stopping ? "stopping" : "connections");
                Socket.close(Ignored);
            } else {
                Socket.set_option(tcp::no_delay(true), Ignored);
                if (Tls != nullptr) {
                    std::make_shared<HttpClient<TlsStream>>(
                        *this, TlsStream(beast::tcp_stream(std::move(Socket)), *Tls), Address)
                        ->Start();
                } else {
                    std::make_shared<HttpClient<beast::tcp_stream>>(
                        *this, beast::tcp_stream(std::move(Socket)), Address)
                        ->Start();
                }
            }
        }
        Accept();
    });
}

PlayerId WebSide::Enter(const std::shared_ptr<WsPlayer> &Player) {
    const PlayerId Id = NextId;
    NextId += 2;
    Players[Id] = Player;
    Counts.PlayersConnected++;
    return Id;
}

void WebSide::Gone(PlayerId Id) {
    Players.erase(Id);
}

void WebSide::Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool) {
    auto It = Players.find(To);
    if (It != Players.end()) {
        if (auto Player = It->second.lock()) {
            Player->Send(Bytes, Size);
        }
    }
}

size_t WebSide::Backlog(PlayerId Who) const {
    auto It = Players.find(Who);
    if (It != Players.end()) {
        if (auto Player = It->second.lock()) {
            return Player->Waiting();
        }
    }
    return 0;
}

void WebSide::Close(PlayerId Who) {
    auto It = Players.find(Who);
    if (It != Players.end()) {
        if (auto Player = It->second.lock()) {
            Player->Close();
        }
    }
}

void WebSide::Shut() {
    Stopping = true;
    beast::error_code Ignored;
    Acceptor.close(Ignored);
}
