// The online window: how to meet another player through the server (a quick match with whoever
// is waiting, a new room for a friend, a friend's room by its code) or back to the title. A menu
// in the title's look, and the same keys: Y and N or keypad 8 and 2 move, Enter chooses, Escape
// goes back; a controller's d-pad moves and its Start or face button chooses.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Toolkit.h"

// The items, in the order of their rows (MeetItemDesigns).
enum class MeetChoice { Quick, NewRoom, JoinRoom, Watch, Back };

class Frm_Meet final : public Form {
  public:
    // Place is the server's address, shown under the heading; Offered the items, in their order.
    explicit Frm_Meet(const std::string &Place,
                      std::vector<MeetChoice> Offered = {MeetChoice::Quick, MeetChoice::NewRoom,
                                                         MeetChoice::JoinRoom, MeetChoice::Back});

    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;
    void Choose(size_t Position);

    // The item of a choice offered; null for one not offered.
    Label *Item(MeetChoice Which);

    size_t MenuIndex = 0;                 // the highlighted item's position
    MeetChoice Choice = MeetChoice::Back; // what was chosen, once the window has closed

  private:
    Label Lbl_Heading, Lbl_Place;
    std::vector<MeetChoice> Order;
    std::vector<std::unique_ptr<Label>> Items;
};

// What the player chose in the online window; for a room, its code.
struct MeetRequest {
    MeetChoice Choice = MeetChoice::Back;
    std::string Code;
};

// Shows the online window until the player chooses. JOIN ROOM and WATCH ask for the code; giving
// the code up shows the online window again.
MeetRequest ChooseMeeting(const std::string &Place);
