// An online session of the game's windows: one machine hosts, the other joins, and the two play
// the select screen and matches together until one of them leaves. The host's person is the first
// person, the guest's the second; each plays with the letter keys (or the first controller) of
// their own machine.
//
// The select screen runs in lockstep: each of its 100-ms ticks runs once both machines' keys for it
// are known, Enter included, so both show the same screen. The match runs with rollback
// (SharedMatch).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "game/GameOptions.h"
#include "game/OnlineFlow.h"
#include "net/Link.h"
#include "net/Rollback.h"
#include "online/SharedMatch.h"
#include "select/FrmSelect.h"

class Frm_Online;

class OnlineSession final : public OnlineFlow, public SelectPace {
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

    void SelectTimer(Frm_Select &Window) override;
    bool SelectKey(int16_t KeyCode) override;

    // Handles everything that has arrived, without waiting.
    void Service();

  private:
    enum class Stages { Idle, Connecting, Agreed, Select, Match, Over };

    void Start();
    void Handshake(NetLink::Happening What, const Wire::Message &In);
    void Route(const Wire::Message &In);
    void End(const std::string &Why);
    void RunSelectTicks();
    void SendSelectInputs(bool Reliable);

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

    // The select screen's inputs, kept and exchanged as a match's are (its ticks need no rollback).
    struct NoGame final : RollbackGame {
        void SaveFrame(int32_t) override {}
        void LoadFrame(int32_t) override {}
        void AdvanceFrame(int32_t, const PadInput[2], bool) override {}
    } Nothing;
    std::unique_ptr<RollbackSession> SelectInputs;
    int32_t SelectRan = 0;     // ticks of the select screen run
    int32_t SelectTheyHave = 0;
    bool EnterPressed = false;
    Frm_Select *SelectWindow = nullptr;

    std::unique_ptr<SharedMatch> Match;
};
