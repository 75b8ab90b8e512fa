// An online session of the game's windows: one machine hosts, the other joins, and the two play
// the select screen and matches together until one of them leaves. The host's person is the first
// person, the guest's the second; each plays with the letter keys (or the first controller) of
// their own machine. The select screen runs in lockstep (SharedSelect), the match with rollback
// (SharedMatch); the session connects, shakes hands, hands each message to the screen it belongs
// to, and says why it ended.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "game/GameOptions.h"
#include "game/OnlineFlow.h"
#include "net/Link.h"
#include "online/SharedMatch.h"
#include "online/SharedSelect.h"

class Frm_Online;

class OnlineSession final : public OnlineFlow {
  public:
    explicit OnlineSession(const SessionOptions &Options);
    // Leaving the program ends the session: the other machine is told.
    ~OnlineSession();
    OnlineSession(const OnlineSession &) = delete;
    OnlineSession &operator=(const OnlineSession &) = delete;

    // Also once it has ended, until it has said why.
    bool Active() const override { return Stage != Stages::Over || !Notice.empty(); }
    bool PrepareMatch() override;
    void BeginMatch() override;
    bool MatchTick() override;
    bool MatchKey(int16_t KeyCode) override;
    uint32_t TickInterval() const override;

    // Handles everything that has arrived, without waiting.
    void Service();

  private:
    enum class Stages { Idle, Connecting, Agreed, Select, Match, Over };

    void Start();
    void Handshake(NetLink::Happening What, const Wire::Message &In);
    void Route(const Wire::Message &In);
    void End(const std::string &Why);
    int Local() const { return Options.Role == SessionOptions::Roles::Host ? 0 : 1; }
    void SayNotice();

    SessionOptions Options;
    NetLink Link;
    Stages Stage = Stages::Idle;
    uint32_t Fingerprint = 0;
    uint32_t SessionId = 0;
    uint16_t Screen = 0;
    std::string Notice; // why the session or the last match ended, to be said once
    std::chrono::steady_clock::time_point Started, Heard;
    bool Watching = false;
    Frm_Online *Waiting = nullptr;

    std::unique_ptr<SharedSelect> Select;
    std::unique_ptr<SharedMatch> Match;
};
