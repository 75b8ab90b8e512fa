// A room's match watched through the server, as a replay that grows while it is played: the
// server sends how each match starts (its replay header), then the confirmed inputs of its ticks
// a little behind the players, then its end. Whoever owns the loop takes one arrival at a time
// and runs the new ticks; the replay is the very match the players confirmed, so it runs the very
// same ticks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/Transport.h"
#include "replay/ReplayFile.h"

class LiveFeed {
  public:
    // ToServer: a transport connecting to the server, whose first peer is the server. Code: the
    // room's 4 letters, as NormalCode gives them.
    LiveFeed(std::unique_ptr<Transport> ToServer, const std::string &Code, std::string ServerName);
    ~LiveFeed();
    LiveFeed(const LiveFeed &) = delete;
    LiveFeed &operator=(const LiveFeed &) = delete;

    // Handles the next arrival, waiting up to Millis for it. True when something of the match
    // came (a start, ticks or the end), so that its owner may act on each before the next.
    bool Next(uint32_t Millis);

    // Matches begun so far: a new one replaces the replay.
    int Matches() const { return Begun; }
    // The match being watched: its start, and every tick received so far.
    const Typ_Replay &Replay() const { return Kept; }
    // The match's last tick, once the players have said it ended there (-1 before).
    int64_t LastTick() const { return Last; }
    // The server or the connection ended the watching: the reason, one line.
    bool Over() const { return Ended; }
    const std::string &Problem() const { return Trouble; }
    // Before any start: what the watcher waits for, one line.
    bool Connected() const { return Server != NoPeer; }

    void Close();

  private:
    void Fail(const std::string &Why);

    std::unique_ptr<Transport> Link;
    std::string Code, Name;
    PeerId Server = NoPeer;
    bool Ended = false;
    std::string Trouble;
    int Begun = 0;
    uint16_t Screen = 0;
    Typ_Replay Kept;
    int64_t Last = -1;
};
