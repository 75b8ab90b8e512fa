// The session between two machines, as either of them keeps it, knowing no rules: the handshake
// (same protocol, same build, the host's line-up), then every message of the session handed to
// whoever plays it, silence noticed, and the goodbye. The tool, the game's windows and the tests
// all run this one; it waits for nothing and reads the clock only through its transport, so its
// owner's loop drives it, under a real clock or a virtual one.
//
// A host keeps its guest's place only for a machine that says a valid hello within HelloMillis of
// connecting. A stranger that says nothing, says it wrongly or runs another build is let go, and
// the host waits on for its guest; no more than PerAddress connections come from one machine.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "net/Protocol.h"
#include "net/Transport.h"

class NetSession {
  public:
    static constexpr uint64_t SilenceMillis = 5000;  // a partner heard from in none of this is gone
    static constexpr uint64_t HelloMillis = 2000;    // a connection must say who it is in this
    // A guest gives up on a host that has not answered after this long, so that, with its own
    // start-up, it has said so within 5 s of being started. A host that has answered has until
    // the connection would count as silent to send its welcome.
    static constexpr uint64_t PatienceMillis = 4000;
    static constexpr size_t PerAddress = 2;
    static constexpr size_t MaxWaiting = 1024; // messages held for the player of the session

    enum class Stages { Connecting, Agreed, Over };

    // A host: Welcome holds the line-up it offers, and Id the session's number. A guest: Welcome
    // is filled in from the host's. StartedMillis is when the program started, on the transport's
    // clock: the guest's patience counts from there.
    NetSession(Transport &Net, bool Hosting, uint32_t Fingerprint, const Wire::Message &Welcome,
               uint64_t StartedMillis);

    // Handles everything that has arrived, waiting up to WaitMillis for the first of it; notices
    // silence and lost patience.
    void Service(uint32_t WaitMillis = 0);

    Stages Stage() const { return Now; }
    bool Hosting() const { return Host; }
    // The host's welcome: the session's number, the line-up.
    const Wire::Message &Setup() const { return Welcome; }
    // Why the session ended, once it has ("" when this side left).
    const std::string &Why() const { return Reason; }
    // A line about something that happened while the session went on (a stranger turned away),
    // said once; "" when there is none.
    std::string TakeNote();

    // The oldest message of the session that belongs to UpToScreen or before; those of later
    // screens wait for theirs. They stay to be taken after the end.
    bool Take(Wire::Message &In, uint16_t UpToScreen);
    // A message of a screen after this one waits: the other machine has gone on.
    bool LaterScreen(uint16_t Screen) const;
    // Sends a message of the session (its number stamped on it). A send that fails ends the
    // session as a lost connection.
    void Send(Wire::Message Out, bool Reliable);
    // While the other player is away (its page hidden, its timers slowed to a crawl by its
    // browser), its silence is expected: whether the connection lives is then the transport's to
    // tell (a server keeps a page's connection alive and says when it goes). Heard afresh after.
    void Bear(bool Away);
    // Says goodbye to the other machine, if there is one, and closes the connection.
    void Leave();
    // Says goodbye without closing: a machine that has finished waits for the other's goodbye,
    // which comes after every message the other sent before it, and only then leaves.
    void SayGoodbye();

    // Where a guest connects to, as its sentences say it (" at HOST:PORT").
    std::string Place;

    // Guests a host welcomed that went away before the session began.
    int Departures() const { return GuestsGone; }
    // A host's connections that have not yet said a valid hello.
    size_t Knocks() const { return Knocking.size(); }

    // The last round trip known, also once the session is over.
    uint32_t RoundTripMillis() const { return Partner != NoPeer ? Net.RoundTripMillis(Partner) : LastRoundTrip; }
    uint64_t BytesSent() const { return Net.BytesSent(); }
    uint64_t BytesReceived() const { return Net.BytesReceived(); }

  private:
    struct Knock {
        PeerId Peer;
        uint64_t Since;
    };
    void Connected(PeerId Peer);
    void Received(PeerId Peer, const std::vector<uint8_t> &Bytes);
    void Lost(PeerId Peer);
    void Hello(PeerId Peer, const Wire::Message &In);
    void Turn(PeerId Peer, Wire::Refusal Why);
    void End(const std::string &Why, bool Linger = true);
    void Note(const std::string &Line);
    void Forget(PeerId Peer);

    Transport &Net;
    const bool Host;
    const uint32_t Fingerprint;
    Wire::Message Welcome;
    const uint64_t Started;
    Stages Now = Stages::Connecting;
    PeerId Partner = NoPeer;
    bool EverConnected = false;
    bool HeardFromGuest = false;
    bool SaidGoodbye = false;
    uint64_t ConnectedAt = 0;
    int GuestsGone = 0;
    uint64_t Heard = 0;
    uint32_t LastRoundTrip = 0;
    bool Bearing = false; // the other player is away: its silence is expected
    std::string Reason;
    std::deque<std::string> Notes;
    std::vector<Knock> Knocking; // a host's connections that have not yet said a valid hello
    std::deque<Wire::Message> Waiting;
};

// The sentences the session's ends and notes are said with, where the tool and the game share them.
namespace Sentences {
extern const char *const OtherBuild;
extern const char *const Full;
} // namespace Sentences
