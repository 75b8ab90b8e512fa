// A room on a server, as a transport: the connection goes out to the server, which every home
// router lets through; there the player asks for a quick match, a new room or a room by its code,
// and once paired the other player is this transport's one peer, every datagram to and from it
// relayed by the server unchanged. The session on top runs exactly as over a direct connection.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/Meeting.h"
#include "net/Transport.h"

class RelayTransport final : public Transport {
  public:
    // ToServer: a transport connecting to the server, whose first peer is the server. Ask: what
    // this player wants, with its build.
    RelayTransport(std::unique_ptr<Transport> ToServer, const Meeting::Message &Ask, std::string ServerName);

    enum class Meet { Waiting, Paired, Failed };
    // Runs the meeting, waiting up to Millis for what comes next: the connection, the room's code,
    // the partner, or a refusal.
    Meet Meeting(uint32_t Millis);
    Meet Stage() const { return Now; }
    // The room's code once the server gave one ("" for a quick match or before).
    const std::string &Code() const { return RoomCode; }
    bool Host() const { return Hosting; }
    uint32_t Session() const { return SessionId; }
    // Why the meeting failed, or why the server ended the room (its own words); "" otherwise.
    const std::string &Problem() const { return Trouble; }
    // The server ended the room for a reason of its own (going away), not the other player's.
    bool ServerEnded() const { return EndedBy == Meeting::Reason::GoingAway; }
    // The server ended the room, for whatever reason: Problem() then says why in its words.
    bool RoomEnded() const { return EndedBy != Meeting::Reason::None; }
    // How many watch the room, as the server last said.
    int Watchers() const { return WatcherCount; }
    // Tells the server, once paired, how the host's next match starts (Start's record), for the
    // room's watchers; the other player never sees it.
    bool TellServer(uint16_t Screen, const std::vector<uint8_t> &Record);

    // The other player is peer 1, once paired.
    static constexpr PeerId Partner = 1;
    // Sends the server the replay file of the match just played (Screen: its place in the session),
    // in pieces behind everything sent before; a server that keeps matches keeps it.
    void Upload(uint16_t Screen, const std::vector<uint8_t> &File);
    NetEvent Poll(uint32_t Millis) override;
    bool Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) override;
    using Transport::Send;
    void Drop(PeerId Peer, bool Goodbye) override;
    void Close(bool Linger = true) override;
    bool Connected(PeerId Peer) const override;
    uint64_t Address(PeerId Peer) const override { return Peer == Partner ? 1 : 0; }
    uint32_t RoundTripMillis(PeerId Peer) const override;
    intptr_t Socket() const override { return Inner->Socket(); }
    uint64_t BytesSent() const override { return Inner->BytesSent(); }
    uint64_t BytesReceived() const override { return Inner->BytesReceived(); }
    uint64_t Millis() const override { return Inner->Millis(); }

  private:
    void Fail(const std::string &Why);

    std::unique_ptr<Transport> Inner;
    Meeting::Message Asked;
    std::string Name;
    PeerId Server = NoPeer;
    Meet Now = Meet::Waiting;
    std::string RoomCode;
    bool Hosting = false;
    uint32_t SessionId = 0;
    std::string Trouble;
    Meeting::Reason EndedBy = Meeting::Reason::None;
    bool Announced = false; // the partner's Connected was handed over
    bool Gone = false;      // the partner's Lost was handed over
    int WatcherCount = 0;
};
