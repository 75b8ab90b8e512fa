// An online session of the game's windows: one machine hosts, the other joins, and the two play
// the select screen and matches together until one of them leaves. The host's person is the first
// person, the guest's the second; each plays with the letter keys (or the first controller) of
// their own machine. The select screen runs in lockstep (SharedSelect), the match with rollback
// (SharedMatch), both over the online core's session (NetSession), which this starts, keeps
// serviced while windows wait, and whose end it says.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/GameOptions.h"
#include "game/OnlineFlow.h"
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
    bool PrepareMatch() override;
    void BeginMatch() override;
    bool MatchTick() override;
    bool MatchKey(int16_t KeyCode) override;
    uint32_t TickInterval() const override;

  private:
    void Start();
    void Service();
    bool Over() const { return Net == nullptr || Net->Stage() == NetSession::Stages::Over; }
    void Finish();
    int Local() const { return Options.Role == SessionOptions::Roles::Host ? 0 : 1; }
    void SayNotice();
    void KeepMatch();

    SessionOptions Options;
    bool Started = false;
    std::string RecordDir;
    ReplayRecorder Recorder;
    std::unique_ptr<Transport> Link;
    std::unique_ptr<NetSession> Net;
    bool Watching = false;
    uint16_t Screen = 0;
    std::string Notice; // why the session or the last match ended, to be said once

    std::unique_ptr<SharedSelect> Select;
    std::unique_ptr<SharedMatch> Match;
};
