// The title window: the game's name over a menu of three items. Choosing an item stores it in
// Gl_PlayerCount and closes the window; the match window's start-up sequence acts on it.
#pragma once

#include <memory>
#include <vector>

#include "records/Checked.h"
#include "platform/Toolkit.h"

class Frm_Title final : public Form {
  public:
    Frm_Title();

    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;
    void Lbl_Player_Click(int16_t Index);

    Label &Lbl_タイトル(int16_t Index) { return *TitleWords.at(Index); }
    Label &Lbl_Player(int16_t Index) { return *Items.at(Index - 1); } // 1 to 3

    Int16 MenuIndex{}; // the highlighted item, 1 to 3

  private:
    std::vector<std::unique_ptr<Label>> TitleWords;
    std::vector<std::unique_ptr<Label>> Items;
};
