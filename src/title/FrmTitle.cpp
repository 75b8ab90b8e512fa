#include "title/FrmTitle.h"

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "records/BasCmnDef.h"
#include "platform/Keyboard.h"

Frm_Title::Frm_Title(bool WithOnline) : Form(TitleDesign.Caption, TitleDesign.Width, TitleDesign.Height) {
    DressWindow(*this);
    // On the menu a controller's face button chooses, as its Start does: both are Enter here.
    SetPadKeys(VK_RETURN, VK_RETURN);
    // The title picture is one row taller than the window; its last row is never seen.
    SetPicture(&GetWindowPictures().Title);
    TitleWords.resize(3);
    // The great letter lies beneath the two words, which are drawn over it.
    for (int16_t Index : {2, 0, 1}) {
        TitleWords[Index] = std::make_unique<Label>(*this, TitleWordDesigns[Index]);
    }
    for (int16_t Index = 1; Index <= 3; ++Index) {
        Items.push_back(std::make_unique<Label>(*this, PlayerItemDesigns[Index]));
        Items.back()->OnClick = [this, Index] { Lbl_Player_Click(Index); };
    }
    if (WithOnline) {
        Online = std::make_unique<Label>(*this, OnlineItemDesign);
        Online->OnClick = [this] { Lbl_Online_Click(); };
    }
}

Label &Frm_Title::ItemAt(int16_t Row) {
    if (Online != nullptr && Row >= 3) {
        return Row == 3 ? *Online : Lbl_Player(3);
    }
    return Lbl_Player(Row);
}

void Frm_Title::Form_Load() {
    MenuIndex = 1;
}

void Frm_Title::Form_KeyDown(int16_t KeyCode, int16_t) {
    ItemAt(static_cast<int16_t>(MenuIndex)).SetForeColor(ItemColour);
    switch (KeyCode) {
    case VK_N:
    case VK_NUMPAD2:
        MenuIndex = MenuIndex + 1;
        if (MenuIndex > Rows()) {
            MenuIndex = 1;
        }
        ListenMenu(MenuSound::Move);
        break;
    case VK_Y:
    case VK_NUMPAD8:
        MenuIndex = MenuIndex - 1;
        if (MenuIndex < 1) {
            MenuIndex = Rows();
        }
        ListenMenu(MenuSound::Move);
        break;
    case VK_RETURN:
        if (Online != nullptr && MenuIndex == 3) {
            Lbl_Online_Click();
        } else {
            Lbl_Player_Click(MenuIndex == 4 ? int16_t(3) : static_cast<int16_t>(MenuIndex));
        }
        return;
    default:
        break;
    }
    ItemAt(static_cast<int16_t>(MenuIndex)).SetForeColor(HighlightColour);
}

void Frm_Title::Lbl_Player_Click(int16_t Index) {
    ItemAt(static_cast<int16_t>(MenuIndex)).SetForeColor(ItemColour);
    Lbl_Player(Index).SetForeColor(ChosenColour);
    Gl_PlayerCount = Index;
    ListenMenu(MenuSound::Choice);
    // The chosen item turns blue on the screen before the pause, which handles no events.
    Refresh();
    Sleep(ChoicePause);
    Unload();
}

void Frm_Title::Lbl_Online_Click() {
    ItemAt(static_cast<int16_t>(MenuIndex)).SetForeColor(ItemColour);
    Online->SetForeColor(ChosenColour);
    ChoseOnline = true;
    ListenMenu(MenuSound::Choice);
    Refresh();
    Sleep(ChoicePause);
    Unload();
}

void Frm_Title::Form_QueryUnload(int16_t &, UnloadMode Mode) {
    // Closing the title by its frame leaves the game, as closing the match window does: there is
    // no choice to go on with.
    if (Mode == UnloadMode::ClosedByFrame) {
        EndProgram();
    }
}
