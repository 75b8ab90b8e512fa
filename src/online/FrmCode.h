// The window where a room's code is typed (CodeEntry): a line saying what the code is for, its
// four letters with the one under the cursor in red, and the keys. It closes at Enter once the
// four letters are there, or at Escape.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "online/CodeEntry.h"
#include "platform/Toolkit.h"

class Frm_Code final : public Form {
  public:
    explicit Frm_Code(const std::string &Heading);

    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;

    Label &Lbl_Letter(int Index) { return *Letters.at(size_t(Index)); }

    CodeEntry Entry;
    std::string Code; // the four letters once Enter took them; empty when given up

  private:
    void ShowLetters();
    Label Lbl_Heading;
    std::vector<std::unique_ptr<Label>> Letters;
    std::vector<std::unique_ptr<Label>> Hints;
};

// Asks for a room's code; empty when the player gave up.
std::string AskRoomCode(const std::string &Heading);
