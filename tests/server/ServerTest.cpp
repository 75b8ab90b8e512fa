// The real server on loopback, in the test's process: ENet and WebSocket players meet and are
// relayed to each other, operators read /healthz and /metrics, the browser build's files are served
// and nothing outside their folder; strangers' datagrams, frames and requests (fuzzed, slow,
// oversized) are dropped without harm; a stop tells the rooms and ends within 2 s.
#include <gtest/gtest.h>

#include <boost/asio/ip/udp.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "TestClients.h"

namespace {

using Clock = std::chrono::steady_clock;

struct EnetStarted {
    EnetStarted() { enet_initialize(); }
};
const EnetStarted Started;

// Two ENet players paired by quick match; returns the session.
uint32_t PairQuick(EnetPlayer &A, EnetPlayer &B, uint16_t Port) {
    EXPECT_TRUE(A.Connect(Port));
    EXPECT_TRUE(B.Connect(Port));
    A.Send(AskBytes(Meeting::Want::Quick));
    A.Next(100);
    B.Send(AskBytes(Meeting::Want::Quick));
    const auto PA = A.NextMeeting(), PB = B.NextMeeting();
    EXPECT_TRUE(PA && PB);
    if (!PA || !PB) {
        return 0;
    }
    EXPECT_EQ(PA->Type, Meeting::Kind::Paired);
    EXPECT_TRUE(PA->Host);
    EXPECT_FALSE(PB->Host);
    EXPECT_EQ(PA->Session, PB->Session);
    return PA->Session;
}

TEST(ServerTest, EnetAndWebSocketPlayersMeetInARoomAndAreRelayed) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    EnetPlayer Host;
    ASSERT_TRUE(Host.Connect(R.S.Port()));
    Host.Send(AskBytes(Meeting::Want::NewRoom));
    const auto Code = Host.NextMeeting();
    ASSERT_TRUE(Code);
    ASSERT_EQ(Code->Type, Meeting::Kind::Code);
    WsPlayerClient Friend;
    ASSERT_TRUE(Friend.Connect(R.S.Port()));
    Friend.Send(AskBytes(Meeting::Want::JoinRoom, "ZZZZ" == std::string(Code->Room.begin(), Code->Room.end())
                                                       ? "YYYY"
                                                       : "ZZZZ"));
    EXPECT_EQ(Friend.NextMeeting()->Why, Meeting::Reason::NoSuchRoom);
    Friend.Send(AskBytes(Meeting::Want::JoinRoom, std::string(Code->Room.begin(), Code->Room.end())));
    const auto Paired = Friend.NextMeeting();
    ASSERT_TRUE(Paired);
    EXPECT_FALSE(Paired->Host);
    const auto HostPaired = Host.NextMeeting();
    ASSERT_TRUE(HostPaired && HostPaired->Host);
    // Both ways, unchanged, in order.
    for (uint8_t I = 0; I < 20; ++I) {
        const auto M = SessionBytes(Paired->Session, 4, I);
        Host.Send(M, false);
        EXPECT_EQ(Friend.Next(), M);
        const auto Back = SessionBytes(Paired->Session, 5, I);
        Friend.Send(Back);
        EXPECT_EQ(Host.Next(), Back);
    }
    // The friend leaves: the host hears the same sentence as today, and is let go.
    Friend.Ws.close(boost::beast::websocket::close_code::normal);
    const auto Over = Host.NextMeeting();
    ASSERT_TRUE(Over);
    EXPECT_EQ(Over->Why, Meeting::Reason::PartnerLeft);
    Host.Next(1000);
    EXPECT_TRUE(Host.Gone);
}

TEST(ServerTest, AThirdPlayerIsRefusedAndAReconnectingAddressIsWelcome) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    EnetPlayer A, B;
    ASSERT_NE(PairQuick(A, B, R.S.Port()), 0u);
    // A vanishes without a word; B learns the connection is lost within the silence plus a little.
    A.Vanish();
    const auto Start = Clock::now();
    const auto Over = B.NextMeeting(8000);
    ASSERT_TRUE(Over);
    EXPECT_EQ(Over->Why, Meeting::Reason::PartnerLost);
    EXPECT_LT(Clock::now() - Start, std::chrono::milliseconds(6500));
    // The same address comes back at once and plays again.
    EnetPlayer C, D;
    EXPECT_NE(PairQuick(C, D, R.S.Port()), 0u);
}

TEST(ServerTest, OperatorsReadHealthAndMetrics) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    EnetPlayer A, B;
    const uint32_t Session = PairQuick(A, B, R.S.Port());
    A.Send(SessionBytes(Session, 4, 1), false);
    ASSERT_TRUE(B.Next());
    const HttpAnswer Health = Get(R.S.Port(), "/healthz");
    EXPECT_EQ(Health.Status, 200u);
    EXPECT_EQ(Health.Body, "ok\n");
    const HttpAnswer M = Get(R.S.Port(), "/metrics");
    EXPECT_EQ(M.Status, 200u);
    EXPECT_NE(M.Body.find("zorbump_players_connected 2\n"), std::string::npos);
    EXPECT_NE(M.Body.find("zorbump_matches_playing 1\n"), std::string::npos);
    EXPECT_NE(M.Body.find("zorbump_messages_relayed_total 1\n"), std::string::npos);
    EXPECT_NE(M.Body.find("zorbump_relay_delay_seconds_count 1\n"), std::string::npos);
    EXPECT_NE(M.Body.find("zorbump_relay_delay_seconds_bucket{le=\"+Inf\"} 1\n"), std::string::npos);
    EXPECT_EQ(Get(R.S.Port(), "/nothing").Status, 404u);
}

TEST(ServerTest, TheBrowserBuildsFilesAndNothingElse) {
    const auto Dir = std::filesystem::temp_directory_path() / ("zorbump-web-" + std::to_string(getpid()));
    std::filesystem::create_directories(Dir / "sub");
    std::ofstream(Dir / "index.html") << "<p>court</p>";
    std::ofstream(Dir / "zorbump.wasm") << "wasm";
    std::ofstream(Dir / "sub" / "a.js") << "js";
    std::ofstream(Dir / ".secret") << "no";
    ServerOptions O;
    O.WebRoot = Dir.string();
    {
        RunningServer R(O);
        ASSERT_TRUE(R.Ok);
        const HttpAnswer Page = Get(R.S.Port(), "/");
        EXPECT_EQ(Page.Status, 200u);
        EXPECT_EQ(Page.Body, "<p>court</p>");
        EXPECT_EQ(Page.Fields["Content-Type"], "text/html; charset=utf-8");
        EXPECT_EQ(Page.Fields["Cache-Control"], "no-cache");
        const HttpAnswer Wasm = Get(R.S.Port(), "/zorbump.wasm?v=1");
        EXPECT_EQ(Wasm.Fields["Content-Type"], "application/wasm");
        EXPECT_NE(Wasm.Fields["Cache-Control"].find("max-age"), std::string::npos);
        EXPECT_EQ(Get(R.S.Port(), "/sub/a.js").Fields["Content-Type"], "text/javascript; charset=utf-8");
        // Unchanged since: no body again.
        EXPECT_EQ(Get(R.S.Port(), "/zorbump.wasm", std::string(Wasm.Fields["ETag"])).Status, 304u);
        for (const char *Bad : {"/../index.html", "/sub/../../etc/passwd", "/.secret", "/%2e%2e/x", "//etc/passwd",
                                "/sub\\a.js", "/sub/"}) {
            EXPECT_EQ(Get(R.S.Port(), Bad).Status, 404u) << Bad;
        }
    }
    std::filesystem::remove_all(Dir);
}

TEST(ServerTest, SlowIncompleteAndOversizedRequestsAreDropped) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    boost::asio::io_context Io;
    // A request that never ends is dropped after a few seconds.
    boost::asio::ip::tcp::socket Slow(Io);
    Slow.connect({boost::asio::ip::make_address("127.0.0.1"), R.S.Port()});
    boost::asio::write(Slow, boost::asio::buffer(std::string("GET /healthz HTTP/1.1\r\nHost: x\r\n")));
    const auto Start = Clock::now();
    char Byte;
    boost::system::error_code E;
    Slow.read_some(boost::asio::buffer(&Byte, 1), E);
    EXPECT_TRUE(E);
    EXPECT_LT(Clock::now() - Start, std::chrono::seconds(8));
    // A header bigger than the limit ends the connection without a reply worth reading.
    boost::asio::ip::tcp::socket Big(Io);
    Big.connect({boost::asio::ip::make_address("127.0.0.1"), R.S.Port()});
    const std::string Huge = "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n";
    boost::asio::write(Big, boost::asio::buffer(Huge), E);
    std::string Got(64, '\0');
    const size_t N = Big.read_some(boost::asio::buffer(Got), E);
    EXPECT_TRUE(E || Got.substr(0, N).find(" 200 ") == std::string::npos);
    // The server is as well as before.
    EXPECT_EQ(Get(R.S.Port(), "/healthz").Status, 200u);
}

TEST(ServerTest, FuzzedDatagramsAndMessagesHarmNobody) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    EnetPlayer A, B;
    const uint32_t Session = PairQuick(A, B, R.S.Port());
    std::mt19937 Random(11);
    // Raw datagrams of every size at the UDP port: ENet's checksum turns them all away.
    boost::asio::io_context Io;
    boost::asio::ip::udp::socket Raw(Io, boost::asio::ip::udp::endpoint(boost::asio::ip::udp::v4(), 0));
    const boost::asio::ip::udp::endpoint To(boost::asio::ip::make_address("127.0.0.1"), R.S.Port());
    for (int I = 0; I < 5000; ++I) {
        std::vector<uint8_t> D(Random() % 1400);
        for (auto &Byte : D) {
            Byte = uint8_t(Random());
        }
        boost::system::error_code E;
        Raw.send_to(boost::asio::buffer(D), To, 0, E);
    }
    // Messages inside the connection: mostly wrong, some with the right header. Only those that
    // carry the room's session are relayed, and unchanged.
    int Sent = 0, Relayed = 0;
    for (int I = 0; I < 3000; ++I) {
        std::vector<uint8_t> M(Random() % 600);
        for (auto &Byte : M) {
            Byte = uint8_t(Random());
        }
        const bool Framed = M.size() >= 8 && M.size() <= 512 && I % 3 == 0;
        if (Framed) {
            M[0] = 0x42;
            M[1] = 0x5A;
            M[3] = uint8_t(Random() % 0x3F);
            for (int K = 0; K < 4; ++K) {
                M[4 + K] = uint8_t(Session >> (8 * K));
            }
            Sent++;
        }
        A.Send(M, I % 2 == 0);
        if (I % 50 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // within the message rate
        }
    }
    while (auto Got = B.Next(500)) {
        Meeting::Header H;
        ASSERT_TRUE(Meeting::ReadHeader(Got->data(), Got->size(), H));
        EXPECT_EQ(H.Session, Session);
        Relayed++;
    }
    EXPECT_GT(Relayed, 0);
    EXPECT_LE(Relayed, Sent);
    // The room still plays.
    const auto M = SessionBytes(Session, 4, 99);
    B.Send(M);
    EXPECT_EQ(A.Next(), M);
    EXPECT_EQ(Get(R.S.Port(), "/healthz").Status, 200u);
}

TEST(ServerTest, FuzzedWebSocketFramesHarmNobody) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    std::mt19937 Random(5);
    // Garbage after a proper upgrade: Beast refuses the framing and the connection ends.
    for (int Round = 0; Round < 20; ++Round) {
        WsPlayerClient W;
        ASSERT_TRUE(W.Connect(R.S.Port()));
        std::vector<uint8_t> Junk(1 + Random() % 3000);
        for (auto &Byte : Junk) {
            Byte = uint8_t(Random());
        }
        boost::system::error_code E;
        boost::asio::write(W.Ws.next_layer(), boost::asio::buffer(Junk), E);
    }
    // Well-framed messages of random bytes, text among them, and one over the size limit.
    WsPlayerClient W;
    ASSERT_TRUE(W.Connect(R.S.Port()));
    for (int I = 0; I < 3000; ++I) {
        std::vector<uint8_t> M(Random() % 512);
        for (auto &Byte : M) {
            Byte = uint8_t(Random());
        }
        W.Ws.binary(I % 7 != 0);
        W.Send(M);
        if (I % 50 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    W.Ws.binary(true);
    W.Send(std::vector<uint8_t>(100000, 1));
    EXPECT_FALSE(W.Next()); // closed: too big
    EXPECT_EQ(Get(R.S.Port(), "/healthz").Status, 200u);
    EnetPlayer A, B;
    EXPECT_NE(PairQuick(A, B, R.S.Port()), 0u);
}

TEST(ServerTest, AFloodFromOneAddressIsHeldAndConnectionsPerAddressBounded) {
    ServerOptions O;
    O.PerAddress = 3;
    RunningServer R(O);
    ASSERT_TRUE(R.Ok);
    EnetPlayer A, B, C;
    const uint32_t Session = PairQuick(A, B, R.S.Port());
    ASSERT_NE(Session, 0u);
    ASSERT_TRUE(C.Connect(R.S.Port()));
    EnetPlayer D; // a fourth connection from the same address is turned away
    D.Connect(R.S.Port(), 1000);
    D.Next(300);
    // C floods with messages, about ten thousand a second; most are dropped and counted while A
    // and B go on being relayed.
    int Relayed = 0;
    for (int I = 0; I < 4000; ++I) {
        C.Send(SessionBytes(1, 4, 0), false);
        if (I % 10 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    for (uint8_t I = 0; I < 10; ++I) {
        A.Send(SessionBytes(Session, 4, I), true);
        Relayed += B.Next(1000).has_value() ? 1 : 0;
    }
    EXPECT_EQ(Relayed, 10);
    const std::string M = Get(R.S.Port(), "/metrics").Body;
    EXPECT_NE(M.find("reason=\"too_fast\""), std::string::npos) << M;
    EXPECT_NE(M.find("reason=\"connections\""), std::string::npos) << M;
}

TEST(ServerTest, StoppingTellsTheRoomsAndEndsWithinTwoSeconds) {
    RunningServer R;
    ASSERT_TRUE(R.Ok);
    EnetPlayer A, B;
    ASSERT_NE(PairQuick(A, B, R.S.Port()), 0u);
    WsPlayerClient W;
    ASSERT_TRUE(W.Connect(R.S.Port()));
    W.Send(AskBytes(Meeting::Want::Quick));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto Start = Clock::now();
    R.S.Stop();
    const auto OverA = A.NextMeeting(), OverB = B.NextMeeting();
    ASSERT_TRUE(OverA && OverB);
    EXPECT_EQ(OverA->Why, Meeting::Reason::GoingAway);
    EXPECT_EQ(OverB->Why, Meeting::Reason::GoingAway);
    const auto OverW = W.NextMeeting();
    ASSERT_TRUE(OverW);
    EXPECT_EQ(OverW->Why, Meeting::Reason::GoingAway);
    R.Loop.join();
    EXPECT_LT(Clock::now() - Start, std::chrono::seconds(2));
}

} // namespace
