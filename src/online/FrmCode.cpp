#include "online/FrmCode.h"

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "platform/Keyboard.h"

Frm_Code::Frm_Code(const std::string &Heading)
    : Form(CodeDesign.Caption, CodeDesign.Width, CodeDesign.Height), Lbl_Heading(*this, CodeHeadingDesign) {
    DressWindow(*this);
    SetPicture(&GetWindowPictures().Title);
    // Every letter is typed here, M too. A controller has no letters: its d-pad turns and moves
    // them, its face button or Start takes the code, its Back gives up.
    SetPadKeys(VK_RETURN, VK_RETURN);
    SetTyping(true);
    Lbl_Heading.SetCaption(Heading);
    for (const LabelDesign &Design : CodeLetterDesigns) {
        Letters.push_back(std::make_unique<Label>(*this, Design));
    }
    for (const LabelDesign &Design : CodeHintDesigns) {
        Hints.push_back(std::make_unique<Label>(*this, Design));
    }
    ShowLetters();
}

void Frm_Code::ShowLetters() {
    const std::string &Typed = Entry.Letters();
    for (size_t Index = 0; Index < Letters.size(); ++Index) {
        Letters[Index]->SetCaption(Typed[Index] == ' ' ? "_" : std::string(1, Typed[Index]));
        Letters[Index]->SetForeColor(int(Index) == Entry.Cursor() ? HighlightColour : ItemColour);
    }
}

void Frm_Code::Form_KeyDown(int16_t KeyCode, int16_t) {
    const std::string Before = Entry.Letters();
    const int Cursor = Entry.Cursor();
    switch (Entry.Key(KeyCode)) {
    case CodeEntry::Result::Done:
        Code = Entry.Letters();
        ListenMenu(MenuSound::Choice);
        Unload();
        return;
    case CodeEntry::Result::GaveUp:
        Unload();
        return;
    case CodeEntry::Result::Typing:
        break;
    }
    if (Entry.Letters() != Before || Entry.Cursor() != Cursor) {
        ListenMenu(MenuSound::Move);
        ShowLetters();
    }
}

void Frm_Code::Form_QueryUnload(int16_t &, UnloadMode) {}

std::string AskRoomCode(const std::string &Heading) {
    Frm_Code Window(Heading);
    Window.ShowModal();
    return Window.Code;
}
