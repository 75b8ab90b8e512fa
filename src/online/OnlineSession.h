// An online session of the game's windows: one machine hosts, the other joins, and the two play
// the select screen and matches together until one of them leaves. The host's person is the first
// person, the guest's the second; each plays with the letter keys (or the first controller) of
// their own machine. The select screen runs in lockstep (SharedSelect), the match with rollback
// (SharedMatch), both over the online core's session (NetSession), which this starts, keeps
// serviced while windows wait, and whose end it says.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/GameOptions.h"
#include "game/OnlineFlow.h"
#include "net/RelayTransport.h"
#include "net/Session.h"
#include "net/Transport.h"
#include "online/SharedMatch.h"
#include "online/SharedSelect.h"
#include "replay/ReplayMatch.h"

class OnlineSession final : public OnlineFlow {
  public:
    // With a folder, every match of the session is kept there as a replay file.
    explicit OnlineSession(const SessionOptions &Options, const std::string &RecordDir = "");
    // Leaving the program ends the session: the other machine is told.
    ~OnlineSession();
    OnlineSession(const OnlineSession &) = delete;
    OnlineSession &operator=(const OnlineSession &) = delete;

    // Also once it has ended, until it has said why.
    bool Active() const override { return !Started || Net != nullptr || !Notice.empty(); }
    bool ServerKnown() const override { return Options.ServerKnown; }
    bool ChooseOnline() override;
    bool PrepareMatch() override;
    void BeginMatch() override;
    bool MatchTick() override;
    bool MatchKey(int16_t KeyCode) override;
    uint32_t TickInterval() const override;
    int Watchers() const override { return Relay != nullptr && Net != nullptr ? Relay->Watchers() : 0; }

    // Every confirmed line of the trace of the session's matches, as zorbump-sim --trace prints
    // them, handed to Sink as they are confirmed (the page shows them to its tests).
    static void ShareTrace(std::function<void(const std::string &Line)> Sink);
    // Each match the session keeps, as the bytes of its replay file, handed to Sink when it ends
    // (the page shows them to its tests, which play them again offline).
    static void ShareKept(std::function<void(const std::vector<uint8_t> &File)> Sink);

    // The page's tab was hidden: the match pauses at its next tick as if Space had been pressed,
    // and stays paused until Space resumes it (the player is away, and the browser slows a hidden
    // page's timers to a crawl).
    static void PauseSoon() { PauseWanted = true; }

  private:
    static inline bool PauseWanted = false;
    std::unique_ptr<RelayTransport> Meet(const std::string &Place);
    void Start();
    void Service();
    bool Over() const { return Net == nullptr || Net->Stage() == NetSession::Stages::Over; }
    void Finish();
    int Local() const { return Hosting ? 0 : 1; }
    void SayNotice();
    void KeepMatch();
    void Watch(const std::string &Code);
    void TellWatchers(ReplayRecorder &Start);

    SessionOptions Options;
    bool Started = false;
    bool Hosting = false; // this machine is the first person's: it hosts, or the server made it host
    // The host gave the first match's line-up (zorbump-sim hosts): no select screen before it.
    bool LineupGiven() const;
    bool Given = false; // the match being prepared or played starts from the host's line-up
    static inline std::function<void(const std::string &)> TraceSink;
    static inline std::function<void(const std::vector<uint8_t> &)> KeptSink;
    std::string RecordDir;
    ReplayRecorder Recorder;
    uint16_t RecordedScreen = 0; // the screen of the match being kept
    // A match is kept for the folder or for the server.
    bool Keeping() const;
    std::unique_ptr<Transport> Link;
    RelayTransport *Relay = nullptr; // Link, when it goes through a server
    std::unique_ptr<NetSession> Net;
    bool Watching = false;
    uint16_t Screen = 0;
    std::string Notice; // why the session or the last match ended, to be said once

    std::unique_ptr<SharedSelect> Select;
    std::unique_ptr<SharedMatch> Match;
    // The last match, finished here, while the other machine may still need its last tick.
    std::unique_ptr<SharedMatch> Lingering;
    uint64_t LingerUntil = 0, LingerNext = 0;
};
