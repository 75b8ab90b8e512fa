#include "select/FrmSelect.h"

#include <string>

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "platform/KeySets.h"
#include "records/BasCmnDef.h"

namespace {

constexpr int16_t Free = 0;
constexpr int16_t Held = 9;
constexpr int16_t Moving = 1;
constexpr int16_t Holding = 2;
constexpr int16_t PersonControl = 1;

// Where a face and its label stand, by side and slot: the back of each side is at the wall.
constexpr int32_t FaceX[2][3] = {{0, 87, 174}, {414, 327, 240}};

// Each person's left, right and action keys: the letter set, then the keypad set.
constexpr int32_t SelectKeys[2][3] = {
    {KeySets[0][KeyRole::Left], KeySets[0][KeyRole::Right], KeySets[0][KeyRole::Hit]},
    {KeySets[1][KeyRole::Left], KeySets[1][KeyRole::Right], KeySets[1][KeyRole::Hit]}};

int16_t Persons() {
    return static_cast<int16_t>(Gl_PlayerCount > 2 ? 2 : Gl_PlayerCount);
}

} // namespace

Frm_Select::Frm_Select(SelectPace *TickPace)
    : Form(SelectDesign.Caption, SelectDesign.Width, SelectDesign.Height),
      Tim_Main(*this, 0, true, [this] { Tim_Main_Timer(); }), Pace(TickPace) {
    DressWindow(*this);
    const Typ_Pictures &Pictures = GetPictures();
    SetPicture(&Pictures.Pic_Back);
    Titles.resize(5);
    // The black shadows lie beneath their coloured twins.
    for (int16_t Index : {2, 3, 0, 1, 4}) {
        Titles[Index] = std::make_unique<Label>(*this, SelectTitleDesigns[Index]);
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        PlayLabels.push_back(std::make_unique<Label>(*this, PlayDesigns[Index]));
        const PictureDesign &Face = FaceDesigns[Index];
        Faces.push_back(std::make_unique<PictureBox>(*this, Pictures.Pic_Kao[Index], Face.Left, Face.Top,
                                                     Face.Width, Face.Height, true, true));
    }
}

void Frm_Select::Form_Load() {
    InitSelect();
    Tim_Main.SetInterval(SelectTickInterval);
}

void Frm_Select::Tim_Main_Timer() {
    if (Pace != nullptr) {
        if (!Pace->SelectBegin()) {
            Unload();
            return;
        }
        bool Enter = false;
        while (Loaded() && Pace->SelectNextTick(Enter)) {
            RunTick(Enter);
        }
        Pace->SelectEnd(!Loaded());
        return;
    }
    TickSelect();
}

void Frm_Select::RunTick(bool Enter) {
    TickSelect();
    if (Enter) {
        ConfirmLineup();
    }
}

void Frm_Select::Form_KeyDown(int16_t KeyCode, int16_t) {
    if (Pace != nullptr && Pace->SelectKey(KeyCode)) {
        return;
    }
    if (KeyCode == VK_RETURN) {
        ConfirmLineup();
    }
}

void Frm_Select::ConfirmLineup() {
    if (HeldCount < Gl_PlayerCount) {
        return;
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        Typ_Player &Player = Gl_Players[Index];
        Player.Control = ComputerControl;
        Player.Side = Roster[Index].Side;
        Player.KeySet = -1;
        Player.Slot = Roster[Index].Slot;
    }
    for (int16_t Person = 0; Person < Persons(); ++Person) {
        Typ_Player &Player = Gl_Players[Cursors[Person].Pos];
        Player.Control = PersonControl;
        Player.KeySet = Person;
    }
    ListenMenu(MenuSound::Choice);
    Unload();
}

void Frm_Select::Form_QueryUnload(int16_t &, UnloadMode Mode) {
    // Closing the select screen by its frame leaves the game: no line-up was chosen to play with.
    if (Mode == UnloadMode::ClosedByFrame) {
        EndProgram();
    }
}

void Frm_Select::Form_Unload(int16_t &) {
    Tim_Main.SetInterval(0);
}

void Frm_Select::InitSelect() {
    for (Typ_Team &Team : Gl_Teams) {
        Team.Score = 0;
        Team.Members = 2;
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        Roster[Index].Taken = Free;
        Roster[Index].Side = Index % 2;
        Roster[Index].Slot = Index / 2;
    }
    for (int16_t Person = 0; Person < Persons(); ++Person) {
        Cursors[Person].Mode = Moving;
        Cursors[Person].Pos = Person;
    }
    HeldCount = 0;
    DrawSelect();
}

void Frm_Select::TickSelect() {
    for (int16_t Person = 0; Person < Persons(); ++Person) {
        ReadSelectKeys(Person);
        ApplySelectKeys(Person);
        if (Dirty != 0) {
            DrawSelect();
        }
    }
}

void Frm_Select::ReadSelectKeys(int16_t Person) {
    KeyLeft = KeyIsHeld(GetKeyState(SelectKeys[Person][0])) ? -1 : 0;
    KeyRight = KeyIsHeld(GetKeyState(SelectKeys[Person][1])) ? -1 : 0;
    KeyAction = KeyIsHeld(GetKeyState(SelectKeys[Person][2])) ? -1 : 0;
}

void Frm_Select::ApplySelectKeys(int16_t Person) {
    Typ_SelCursor &Cursor = Cursors[Person];
    Typ_SelChar &Chosen = Roster[Cursor.Pos];
    if (Cursor.Mode == Moving) {
        if (KeyAction != 0 && Chosen.Taken == Free) {
            Cursor.Mode = Holding;
            Chosen.Taken = Held;
            Dirty = -1;
            HeldCount = HeldCount + 1;
            ListenMenu(MenuSound::Take);
            return;
        }
        // Left and right both act when both are down.
        if (KeyLeft != 0) {
            Cursor.Pos = Cursor.Pos - 1;
            if (Cursor.Pos < 0) {
                Cursor.Pos = 3;
            }
            Dirty = -1;
        }
        if (KeyRight != 0) {
            Cursor.Pos = Cursor.Pos + 1;
            if (Cursor.Pos > 3) {
                Cursor.Pos = 0;
            }
            Dirty = -1;
        }
        if (KeyLeft != 0 || KeyRight != 0) {
            ListenMenu(MenuSound::Move);
        }
        return;
    }
    if (KeyAction != 0) {
        Cursor.Mode = Moving;
        Chosen.Taken = Free;
        Dirty = -1;
        HeldCount = HeldCount - 1;
        ListenMenu(MenuSound::Drop);
        return;
    }
    if (KeyLeft == 0 && KeyRight == 0) {
        return;
    }
    // Left or right carries the held character over the net, into the lowest free slot there,
    // unless that side already has three. The slots left behind are renumbered by the rotation
    // at the next rally start.
    const int16_t OldSide = static_cast<int16_t>(Chosen.Side);
    const int16_t NewSide = static_cast<int16_t>(1 - OldSide);
    if (Gl_Teams[NewSide].Members > 2) {
        return;
    }
    int16_t NewSlot = 0;
    for (bool Used = true; Used;) {
        Used = false;
        for (const Typ_SelChar &Other : Roster) {
            if (Other.Side == NewSide && Other.Slot == NewSlot) {
                Used = true;
            }
        }
        if (Used) {
            ++NewSlot;
        }
    }
    Gl_Teams[OldSide].Members = Gl_Teams[OldSide].Members - 1;
    Chosen.Side = NewSide;
    Chosen.Slot = NewSlot;
    Gl_Teams[NewSide].Members = Gl_Teams[NewSide].Members + 1;
    Dirty = -1;
    ListenMenu(MenuSound::Move);
}

void Frm_Select::DrawSelect() {
    for (int16_t Index = 0; Index < 4; ++Index) {
        const int32_t X = FaceX[Roster[Index].Side][Roster[Index].Slot];
        Pic_Kao(Index).SetLeft(X);
        Lbl_Play(Index).SetLeft(X);
        Lbl_Play(Index).SetCaption("");
        Lbl_Play(Index).SetOpaque(false);
    }
    for (int16_t Person = 0; Person < Persons(); ++Person) {
        Label &Play = Lbl_Play(static_cast<int16_t>(Cursors[Person].Pos));
        Play.SetCaption(Play.Caption() + std::to_string(Person + 1) + "P");
        if (Cursors[Person].Mode == Holding) {
            Play.SetOpaque(true);
        }
    }
    for (int16_t Index = 0; Index < 4; ++Index) {
        if (Lbl_Play(Index).Caption().empty()) {
            Lbl_Play(Index).SetCaption("COM");
        }
    }
    Dirty = 0;
}
