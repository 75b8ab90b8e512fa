// The select screen of an online session, as one machine runs it: in lockstep, each of its 100-ms
// ticks once both machines' keys for it are known, Enter included, so that both show the same
// screen. Each machine samples its own person's keys at its own ticks and sends them; the ticks run
// as the other machine's keys for them arrive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "net/Link.h"
#include "net/Protocol.h"
#include "net/Rollback.h"
#include "select/FrmSelect.h"

class SharedSelect final : public SelectPace {
  public:
    // Service handles what has arrived before each tick; Ended tells whether the session has ended.
    SharedSelect(NetLink &Link, uint32_t Session, uint16_t Screen, int Local, std::function<void()> Service,
                 std::function<bool()> Ended);

    // Shows the select screen until the line-up is chosen on both machines (true), or the session
    // or the program ends.
    bool Run();
    // An Inputs message of this screen.
    void Receive(const Wire::Message &In);
    // The session has ended: the screen closes.
    void Stop();

    void SelectTimer(Frm_Select &Window) override;
    bool SelectKey(int16_t KeyCode) override;

  private:
    void RunTicks();
    void SendInputs(bool Reliable);

    NetLink &Link;
    uint32_t SessionId;
    uint16_t Screen;
    int Local;
    std::function<void()> Service;
    std::function<bool()> Ended;

    // The inputs are kept and exchanged as a match's are; the ticks need no rollback.
    struct NoGame final : RollbackGame {
        void SaveFrame(int32_t) override {}
        void LoadFrame(int32_t) override {}
        void AdvanceFrame(int32_t, const PadInput[2], bool) override {}
    } Nothing;
    RollbackSession Inputs;
    int32_t Ran = 0;      // ticks run
    int32_t TheyHave = 0; // our inputs the other machine has acknowledged
    bool EnterPressed = false;
    bool Chosen = false;
    Frm_Select *Window = nullptr;
};
