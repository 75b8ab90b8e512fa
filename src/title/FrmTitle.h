// The title window: the game's name over a menu of three items. Choosing an item stores it in
// Gl_PlayerCount and closes the window; the match window's start-up sequence acts on it. With a
// server known, a fourth item, ONLINE, stands in the free row above EXIT; choosing it leaves
// Gl_PlayerCount alone and sets ChoseOnline.
#pragma once

#include <memory>
#include <vector>

#include "records/Checked.h"
#include "platform/Toolkit.h"

class Frm_Title final : public Form {
  public:
    explicit Frm_Title(bool WithOnline = false);

    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;
    void Lbl_Player_Click(int16_t Index);
    void Lbl_Online_Click();

    Label &Lbl_タイトル(int16_t Index) { return *TitleWords.at(Index); }
    Label &Lbl_Player(int16_t Index) { return *Items.at(Index - 1); } // 1 to 3

    Label *Lbl_Online() { return Online.get(); } // null without a server

    Int16 MenuIndex{}; // the highlighted row, 1 to 3 (1 to 4 with ONLINE)
    bool ChoseOnline = false;

  private:
    // The item in a row of the menu, counted from 1.
    Label &ItemAt(int16_t Row);
    int16_t Rows() const { return Online != nullptr ? 4 : 3; }
    std::unique_ptr<Label> Online;
    std::vector<std::unique_ptr<Label>> TitleWords;
    std::vector<std::unique_ptr<Label>> Items;
};
