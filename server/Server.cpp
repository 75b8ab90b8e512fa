#include "server/Server.h"

#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>
#include <random>

#include "server/Tls.h"

namespace {

constexpr auto TickEvery = std::chrono::milliseconds(100);
constexpr int ReportEvery = 100; // ticks: a line on refusals at most every 10 s
constexpr auto GoodbyeTime = std::chrono::milliseconds(400);

AddressLimits::Settings LimitsOf(const ServerOptions &O) {
    AddressLimits::Settings S;
    S.ConnectionsPerAddress = O.PerAddress;
    return S;
}

Lobby::Settings LobbyOf(const ServerOptions &O) {
    Lobby::Settings S;
    S.MaxPlayers = O.MaxPlayers;
    return S;
}

WebSide::Settings WebOf(const ServerOptions &O) {
    WebSide::Settings S;
    S.WebRoot = O.WebRoot;
    return S;
}

uint64_t Refused(const Metrics &M) {
    uint64_t Sum = 0;
    for (const auto &Entry : M.Refusals) {
        Sum += Entry.second;
    }
    return Sum;
}

} // namespace

Server::Server(const ServerOptions &Chosen, std::FILE *Log)
    : Chosen(Chosen), Log(Log), Limits(LimitsOf(Chosen)),
      Meeting(*this, Numbers, Limits, LobbyOf(Chosen),
              std::random_device{}() ^ uint64_t(std::random_device{}()) << 32),
      Enet(Io, Meeting, Numbers, Limits), Web(Io, Meeting, Numbers, Limits, WebOf(Chosen)), Ticker(Io),
      Ending(Io) {
    Web.AfterMessage = [this] { Enet.Flush(); };
}

Server::~Server() = default;

bool Server::Prepare(std::string &Error) {
    if (!Chosen.CertFile.empty()) {
        Tls = MakeTlsContext(Chosen.CertFile, Chosen.KeyFile, Error);
        if (!Tls) {
            return false;
        }
        Web.UseTls(*Tls);
    }
    if (!Chosen.ReplaysDir.empty()) {
        ReplayShelf::Settings S;
        S.Dir = Chosen.ReplaysDir;
        S.MaxCount = size_t(Chosen.ReplaysCount);
        S.MaxBytes = uint64_t(Chosen.ReplaysMegabytes) * 1024 * 1024;
        Shelf = std::make_unique<ReplayShelf>(S);
        if (!Shelf->Open(Error)) {
            return false;
        }
        Intake = std::make_unique<ReplayIntake>(*Shelf, Numbers, Log);
        Meeting.Kept = Intake.get();
        Web.UseShelf(*Shelf);
    }
    return true;
}

bool Server::Start(std::string &Error) {
    boost::system::error_code E;
    const auto Listen = Chosen.Listen.empty() ? boost::asio::ip::address(boost::asio::ip::address_v4::any())
                                              : boost::asio::ip::make_address_v4(Chosen.Listen, E);
    if (E) {
        Error = "not an IPv4 address: " + Chosen.Listen;
        return false;
    }
    // With port 0 a free number is drawn: UDP first, then TCP on the same number, tried a few times.
    std::mt19937 Random{std::random_device{}()};
    for (int Try = 0; Try < 20; ++Try) {
        const uint16_t Port = Chosen.Port != 0 ? Chosen.Port : uint16_t(20000 + Random() % 40000);
        if (Enet.Open(Chosen.Listen, Port, Chosen.MaxPlayers, Error) && Web.Open(Listen, Port, Error)) {
            Bound = Port;
            break;
        }
        Enet.Shut();
        if (Chosen.Port != 0) {
            return false;
        }
    }
    if (Bound == 0) {
        return false;
    }
    Say("listening on " + (Chosen.Listen.empty() ? std::string("every interface") : Chosen.Listen) +
        ", UDP and TCP port " + std::to_string(Bound) + (Tls ? " (HTTPS and wss://)" : "") +
        (Chosen.WebRoot.empty() ? "" : ", serving " + Chosen.WebRoot) +
        (Shelf
             ? ", keeping matches in " + Chosen.ReplaysDir + " (" + std::to_string(Shelf->Count()) + " there)"
             : ""));
    Tick();
    return true;
}

void Server::Run() {
    Io.run();
}

void Server::Stop() {
    boost::asio::post(Io, [this] {
        if (Stopping) {
            return;
        }
        Stopping = true;
        Say("stopping: " + std::to_string(Meeting.Players()) + " players told the server is going away");
        Web.Shut();
        Meeting.Stop();
        Enet.Flush();
        Ending.expires_after(GoodbyeTime);
        Ending.async_wait([this](const boost::system::error_code &) {
            Ticker.cancel();
            Enet.Shut();
            Say("stopped");
            Io.stop();
        });
    });
}

void Server::Send(PlayerId To, const uint8_t *Bytes, size_t Size, bool Reliable) {
    if (EnetSide::Owns(To)) {
        Enet.Send(To, Bytes, Size, Reliable);
    } else {
        Web.Send(To, Bytes, Size, Reliable);
    }
}

size_t Server::Backlog(PlayerId Who) const {
    return EnetSide::Owns(Who) ? Enet.Backlog(Who) : Web.Backlog(Who);
}

void Server::Close(PlayerId Who) {
    if (EnetSide::Owns(Who)) {
        Enet.Close(Who);
    } else {
        Web.Close(Who);
    }
}

void Server::Tick() {
    Meeting.Tick(Lobby::Clock::now());
    Enet.Flush();
    if (++TicksSinceReport >= ReportEvery) {
        TicksSinceReport = 0;
        const uint64_t Now = Refused(Numbers);
        if (Now != RefusedSeen) {
            std::string Line = "refused in the last 10 s:";
            Say(Line + " " + std::to_string(Now - RefusedSeen) + " (totals by reason on /metrics)");
            RefusedSeen = Now;
        }
    }
    Ticker.expires_after(TickEvery);
    Ticker.async_wait([this](const boost::system::error_code &E) {
        if (!E) {
            Tick();
        }
    });
}

void Server::Say(const std::string &Line) {
    if (Log != nullptr) {
        std::fprintf(Log, "zorbump-server: %s\n", Line.c_str());
        std::fflush(Log);
    }
}
