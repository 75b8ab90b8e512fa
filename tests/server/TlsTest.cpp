// The server over TLS: a certificate the test makes itself with the openssl command; /healthz over
// HTTPS and two players over wss:// met and relayed; a handshake that stalls or is not TLS at all is
// dropped within a few seconds and the server stays well; certificates and keys that will not do
// are refused before the server listens.
#include <gtest/gtest.h>

#include <boost/asio/ssl.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestClients.h"

namespace {

namespace fs = std::filesystem;
namespace ssl = boost::asio::ssl;
namespace beast = boost::beast;
using Clock = std::chrono::steady_clock;

// A folder with a fresh self-signed certificate and its key, and a second key of no certificate.
struct Certificates {
    Certificates() {
        Dir = fs::temp_directory_path() / ("zorbump-tls-" + std::to_string(::getpid()));
        fs::create_directories(Dir);
        Cert = (Dir / "cert.pem").string();
        Key = (Dir / "key.pem").string();
        OtherKey = (Dir / "other.pem").string();
        const std::string Made =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout " + Key +
            " -out " + Cert + " >/dev/null 2>&1 && openssl genpkey -algorithm RSA -out " + OtherKey +
            " >/dev/null 2>&1";
        Ok = std::system(Made.c_str()) == 0;
    }
    ~Certificates() { fs::remove_all(Dir); }
    fs::path Dir;
    std::string Cert, Key, OtherKey;
    bool Ok = false;
};

ServerOptions WithTls(const Certificates &C) {
    ServerOptions O;
    O.CertFile = C.Cert;
    O.KeyFile = C.Key;
    return O;
}

// The server with TLS on its own thread.
struct TlsServer {
    explicit TlsServer(const Certificates &C) : S((Chosen = WithTls(C), Chosen.Port = 0, Chosen), nullptr) {
        std::string Error;
        Ok = S.Prepare(Error) && S.Start(Error);
        if (Ok) {
            Loop = std::thread([this] { S.Run(); });
        }
    }
    ~TlsServer() {
        if (Loop.joinable()) {
            S.Stop();
            Loop.join();
        }
    }
    ServerOptions Chosen;
    Server S;
    std::thread Loop;
    bool Ok = false;
};

// The io_context and the TLS context come first, so that they outlive the stream built on them.
struct TlsLoop {
    boost::asio::io_context Io;
    ssl::context Context{ssl::context::tls_client}; // the test's certificate is trusted as it is
};

struct WssClient : private TlsLoop, public WsMessages<ssl::stream<boost::asio::ip::tcp::socket>> {
    WssClient() : WsMessages(Io, Context) {}
    bool Connect(uint16_t Port) {
        beast::error_code E;
        beast::get_lowest_layer(Ws).connect({boost::asio::ip::make_address("127.0.0.1"), Port}, E);
        if (!E) {
            Ws.next_layer().handshake(ssl::stream_base::client, E);
        }
        if (!E) {
            Ws.handshake("127.0.0.1", "/play", E);
        }
        Ws.binary(true);
        return !E;
    }
};

HttpAnswer GetOverTls(uint16_t Port, const std::string &Target) {
    namespace http = beast::http;
    boost::asio::io_context Io;
    ssl::context Context{ssl::context::tls_client};
    ssl::stream<boost::asio::ip::tcp::socket> S(Io, Context);
    beast::error_code E;
    HttpAnswer A;
    S.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), Port}, E);
    if (!E) {
        S.handshake(ssl::stream_base::client, E);
    }
    if (E) {
        return A;
    }
    http::request<http::empty_body> Request(http::verb::get, Target, 11);
    Request.set(http::field::host, "localhost");
    http::write(S, Request, E);
    beast::flat_buffer B;
    http::response<http::string_body> Response;
    http::read(S, B, Response, E);
    if (!E) {
        A.Status = Response.result_int();
        A.Body = Response.body();
    }
    return A;
}

TEST(TlsTest, HealthAndTwoPlayersOverTls) {
    Certificates C;
    ASSERT_TRUE(C.Ok) << "the openssl command made no certificate";
    TlsServer R(C);
    ASSERT_TRUE(R.Ok);
    const auto Health = GetOverTls(R.S.Port(), "/healthz");
    EXPECT_EQ(Health.Status, 200u);
    EXPECT_EQ(Health.Body, "ok\n");
    // Plain HTTP on a TLS port gets no answer.
    EXPECT_EQ(Get(R.S.Port(), "/healthz").Status, 0u);

    WssClient Host, Guest;
    ASSERT_TRUE(Host.Connect(R.S.Port()));
    ASSERT_TRUE(Guest.Connect(R.S.Port()));
    Host.Send(AskBytes(Meeting::Want::Quick));
    Guest.Send(AskBytes(Meeting::Want::Quick));
    const auto A = Host.NextMeeting(), B = Guest.NextMeeting();
    ASSERT_TRUE(A && B);
    ASSERT_EQ(A->Type, Meeting::Kind::Paired);
    EXPECT_EQ(A->Session, B->Session);
    for (uint8_t I = 0; I < 10; ++I) {
        const auto M = SessionBytes(A->Session, 4, I);
        (A->Host ? Host : Guest).Send(M);
        EXPECT_EQ((A->Host ? Guest : Host).Next(), M);
    }
}

TEST(TlsTest, StalledAndForeignHandshakesAreDroppedAndTheServerStaysWell) {
    Certificates C;
    ASSERT_TRUE(C.Ok);
    TlsServer R(C);
    ASSERT_TRUE(R.Ok);
    boost::asio::io_context Io;
    // Connects and says nothing.
    boost::asio::ip::tcp::socket Silent(Io);
    Silent.connect({boost::asio::ip::make_address("127.0.0.1"), R.S.Port()});
    // Says something that is not TLS.
    boost::asio::ip::tcp::socket Foreign(Io);
    Foreign.connect({boost::asio::ip::make_address("127.0.0.1"), R.S.Port()});
    boost::asio::write(Foreign, boost::asio::buffer(std::string(300, 'x')));
    const auto Start = Clock::now();
    char Byte;
    boost::system::error_code E;
    Foreign.read_some(boost::asio::buffer(&Byte, 1), E);
    EXPECT_TRUE(E);
    Silent.read_some(boost::asio::buffer(&Byte, 1), E);
    EXPECT_TRUE(E);
    EXPECT_LT(Clock::now() - Start, std::chrono::seconds(8));
    EXPECT_EQ(GetOverTls(R.S.Port(), "/healthz").Status, 200u);
    const std::string Metrics = GetOverTls(R.S.Port(), "/metrics").Body;
    EXPECT_NE(Metrics.find("tls_handshake"), std::string::npos);
    EXPECT_NE(Metrics.find("slow_request"), std::string::npos);
}

TEST(TlsTest, CertificatesAndKeysThatWillNotDoAreRefusedAtStart) {
    Certificates C;
    ASSERT_TRUE(C.Ok);
    const std::string Garbage = (C.Dir / "garbage.pem").string();
    std::ofstream(Garbage) << "-----BEGIN CERTIFICATE-----\nnot at all\n-----END CERTIFICATE-----\n";
    const std::string Missing = (C.Dir / "missing.pem").string();
    struct Case {
        std::string Cert, Key, Says;
    };
    for (const Case &K :
         {Case{Missing, C.Key, "cannot read the certificate"}, Case{C.Cert, Missing, "cannot read the key"},
          Case{Garbage, C.Key, "not a usable certificate"}, Case{C.Cert, Garbage, "not a usable private key"},
          Case{C.Key, C.Key, "not a usable certificate"}, Case{C.Cert, C.OtherKey, "key"}}) {
        ServerOptions O;
        O.Port = 0;
        O.CertFile = K.Cert;
        O.KeyFile = K.Key;
        Server S(O, nullptr);
        std::string Error;
        EXPECT_FALSE(S.Prepare(Error)) << K.Cert << " " << K.Key;
        EXPECT_NE(Error.find(K.Says), std::string::npos) << Error;
        EXPECT_EQ(Error.find('\n'), std::string::npos);
    }
    const char *Half[] = {"zorbump-server", "--cert", "x.pem"};
    ServerOptions O;
    std::string Error;
    EXPECT_FALSE(ParseServerOptions(3, Half, O, Error));
    EXPECT_EQ(Error, "--cert and --key go together");
}

} // namespace
