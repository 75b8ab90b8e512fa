#include "online/FrmOnline.h"

#include <cstdio>

#include "assets/Designs.h"
#include "platform/Keyboard.h"

Frm_Online::Frm_Online(const std::string &Line, uint32_t Interval, std::function<void()> OnTimer)
    : Form(OnlineDesign.Caption, OnlineDesign.Width, OnlineDesign.Height), Lbl_Line(*this, OnlineLineDesign),
      Tim_Main(*this, Interval, true, std::move(OnTimer)), Notice(false) {
    DressWindow(*this);
    Lbl_Line.SetCaption(Line);
    // A controller's Back gives up as Escape does; its Start means nothing here.
    SetPadKeys(0, 0);
}

Frm_Online::Frm_Online(const std::string &Line)
    : Form(OnlineDesign.Caption, OnlineDesign.Width, OnlineDesign.Height), Lbl_Line(*this, OnlineLineDesign),
      Tim_Main(*this, NoticeTime, true, [this] { Unload(); }), Notice(true) {
    DressWindow(*this);
    Lbl_Line.SetCaption(Line);
    SetPadKeys(VK_RETURN, VK_RETURN);
}

void Frm_Online::Form_KeyDown(int16_t KeyCode, int16_t) {
    if (KeyCode == VK_ESCAPE || (Notice && (KeyCode == VK_RETURN || KeyCode == VK_SPACE))) {
        GaveUp = true;
        Unload();
    }
}

void Frm_Online::Form_QueryUnload(int16_t &, UnloadMode Mode) {
    if (Mode == UnloadMode::ClosedByFrame) {
        GaveUp = true;
    }
}

void ShowNotice(const std::string &Line) {
    std::fprintf(stderr, "Zorbump: %s\n", Line.c_str());
    Frm_Online Notice(Line);
    Notice.ShowModal();
}
