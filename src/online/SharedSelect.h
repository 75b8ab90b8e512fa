// The select screen of an online session, as one machine runs it: in lockstep, each of its 100-ms
// ticks once both machines' keys for it are known, Enter included, so that both show the same
// screen. Each machine samples its own person's keys at its own ticks and sends them; the ticks run
// as the other machine's keys for them arrive.
#pragma once

#include <cstdint>
#include <memory>

#include "net/Protocol.h"
#include "net/Rollback.h"
#include "net/Session.h"
#include "online/RollbackMatch.h"
#include "select/FrmSelect.h"

class SharedSelect final : public SelectPace {
  public:
    SharedSelect(NetSession &Net, uint16_t Screen, int Local);

    // Shows the select screen until the line-up is chosen on both machines (true), or the session
    // or the program ends.
    bool Run();

    bool SelectBegin() override;
    bool SelectNextTick(bool &Enter) override;
    void SelectEnd(bool Chosen) override;
    bool SelectKey(int16_t KeyCode) override;

  private:
    void SendInputs(bool Reliable);

    NetSession &Net;
    uint16_t Screen;
    int Local;

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
    std::unique_ptr<HeldInputs> Holding; // both machines' keys of the tick the window runs
};
