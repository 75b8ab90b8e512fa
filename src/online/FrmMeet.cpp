#include "online/FrmMeet.h"

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "online/FrmCode.h"
#include "platform/Keyboard.h"

Frm_Meet::Frm_Meet(const std::string &Place, std::vector<MeetChoice> Offered)
    : Form(MeetDesign.Caption, MeetDesign.Width, MeetDesign.Height), Lbl_Heading(*this, MeetHeadingDesign),
      Lbl_Place(*this, MeetPlaceDesign), Order(std::move(Offered)) {
    DressWindow(*this);
    // As on the title, a controller's face button chooses, as its Start does.
    SetPadKeys(VK_RETURN, VK_RETURN);
    SetPicture(&GetWindowPictures().Title);
    Lbl_Place.SetCaption(Place);
    for (size_t Position = 0; Position < Order.size(); ++Position) {
        Items.push_back(std::make_unique<Label>(*this, MeetItemDesigns[int(Order[Position])]));
        Items.back()->SetForeColor(ItemColour);
        Items.back()->OnClick = [this, Position] { Choose(Position); };
    }
}

Label *Frm_Meet::Item(MeetChoice Which) {
    for (size_t Position = 0; Position < Order.size(); ++Position) {
        if (Order[Position] == Which) {
            return Items[Position].get();
        }
    }
    return nullptr;
}

void Frm_Meet::Form_Load() {
    MenuIndex = 0;
    Items[0]->SetForeColor(HighlightColour);
}

void Frm_Meet::Form_KeyDown(int16_t KeyCode, int16_t) {
    const size_t Count = Items.size();
    switch (KeyCode) {
    case VK_N:
    case VK_NUMPAD2:
        Items[MenuIndex]->SetForeColor(ItemColour);
        MenuIndex = (MenuIndex + 1) % Count;
        ListenMenu(MenuSound::Move);
        break;
    case VK_Y:
    case VK_NUMPAD8:
        Items[MenuIndex]->SetForeColor(ItemColour);
        MenuIndex = (MenuIndex + Count - 1) % Count;
        ListenMenu(MenuSound::Move);
        break;
    case VK_RETURN:
        Choose(MenuIndex);
        return;
    case VK_ESCAPE:
        // Back at once: nothing was chosen that needs showing.
        Choice = MeetChoice::Back;
        Unload();
        return;
    default:
        return;
    }
    Items[MenuIndex]->SetForeColor(HighlightColour);
}

void Frm_Meet::Choose(size_t Position) {
    Items[MenuIndex]->SetForeColor(ItemColour);
    Items[Position]->SetForeColor(ChosenColour);
    Choice = Order[Position];
    ListenMenu(MenuSound::Choice);
    // The chosen item turns blue on the screen before the pause, as on the title.
    Refresh();
    Sleep(ChoicePause);
    Unload();
}

void Frm_Meet::Form_QueryUnload(int16_t &, UnloadMode Mode) {
    // Closing the window by its frame goes back to the title, as Escape does.
    if (Mode == UnloadMode::ClosedByFrame) {
        Choice = MeetChoice::Back;
    }
}

MeetRequest ChooseMeeting(const std::string &Place) {
    MeetRequest Wanted;
    for (;;) {
        Frm_Meet Menu(Place, {MeetChoice::Quick, MeetChoice::NewRoom, MeetChoice::JoinRoom, MeetChoice::Watch,
                              MeetChoice::Back});
        Menu.ShowModal();
        Wanted.Choice = Menu.Choice;
        if (ProgramEnding() ||
            (Wanted.Choice != MeetChoice::JoinRoom && Wanted.Choice != MeetChoice::Watch)) {
            return Wanted;
        }
        Wanted.Code = AskRoomCode(Wanted.Choice == MeetChoice::Watch ? "WATCH - THE ROOM'S CODE"
                                                                     : "JOIN ROOM - THE FRIEND'S CODE");
        if (ProgramEnding() || !Wanted.Code.empty()) {
            return Wanted;
        }
    }
}
