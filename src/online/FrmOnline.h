// The online window: one line of text. While a session starts it says what the game is waiting
// for, and its timer drives the start; afterwards it tells why a session ended. Escape, or closing
// it by its frame, gives up; a notice also goes at Enter, Space or after a few seconds.
#pragma once

#include <functional>
#include <string>

#include "platform/Toolkit.h"

class Frm_Online final : public Form {
  public:
    // A window that waits: OnTimer runs every Interval milliseconds until it unloads the window.
    Frm_Online(const std::string &Line, uint32_t Interval, std::function<void()> OnTimer);
    // A notice.
    explicit Frm_Online(const std::string &Line);

    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;

    Label Lbl_Line;
    Timer Tim_Main;
    bool GaveUp = false; // Escape or the frame's close button ended it

  private:
    bool Notice;
};

// Shows a notice until a key, a click on its frame or its time ends it; also says it on standard
// error, where a log of the session is kept.
void ShowNotice(const std::string &Line);
