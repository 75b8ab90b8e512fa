// The select window: each person picks a character and may move it across the net; the computer
// plays the others. Enter, once everyone holds a character, writes the line-up and closes.
#pragma once

#include <memory>
#include <vector>

#include "records/Checked.h"
#include "platform/Toolkit.h"

// A character on the select screen.
struct Typ_SelChar {
    Int16 Taken; // 0 free, 9 held by a person
    Int16 Side;  // 0 left, 1 right
    Int16 Slot;  // 0, 1 or 2 within its side
};

// A person's cursor.
struct Typ_SelCursor {
    Int16 Mode; // 1 moving among the characters, 2 holding the one under the cursor
    Int16 Pos;  // the character under the cursor, 0 to 3
};

// Who runs the select screen's ticks. Without one the window's own timer runs them from this
// machine's keys; online, a session runs each tick once both machines' keys for it are known, and
// takes Enter to share it. The window asks; the pace never reaches into the window.
class SelectPace {
  public:
    // At each look of the window's timer, before its ticks. False once the screen must close
    // without a line-up (the session has ended).
    virtual bool SelectBegin() = 0;
    // The next tick to run, if its keys are known: they are held while the window runs it, and
    // Enter says whether Enter was part of it.
    virtual bool SelectNextTick(bool &Enter) = 0;
    // After the ticks of this look; Chosen when one of them wrote the line-up.
    virtual void SelectEnd(bool Chosen) = 0;
    // True when the pace takes the key from the window.
    virtual bool SelectKey(int16_t KeyCode) = 0;

  protected:
    ~SelectPace() = default;
};

class Frm_Select final : public Form {
  public:
    explicit Frm_Select(SelectPace *Pace = nullptr);

    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) override;
    void Form_Unload(int16_t &Cancel) override;
    void Tim_Main_Timer();

    Label &Lbl_Play(int16_t Index) { return *PlayLabels.at(Index); }
    PictureBox &Pic_Kao(int16_t Index) { return *Faces.at(Index); }
    Label &Lbl_Title(int16_t Index) { return *Titles.at(Index); }

    Typ_SelChar Roster[4]{};
    Typ_SelCursor Cursors[2]{};
    Int16 KeyLeft{}, KeyRight{}, KeyAction{}; // the current person's keys, -1 when down
    Int16 Dirty{};
    Int16 HeldCount{}; // persons now holding a character

    Timer Tim_Main;

  private:
    // One tick of the screen from the keys held now, then Enter if it was pressed in the tick.
    void RunTick(bool Enter);
    void InitSelect();
    void TickSelect();
    void ConfirmLineup();
    void ReadSelectKeys(int16_t Person);
    void ApplySelectKeys(int16_t Person);
    void DrawSelect();

    std::vector<std::unique_ptr<Label>> Titles;
    std::vector<std::unique_ptr<Label>> PlayLabels;
    std::vector<std::unique_ptr<PictureBox>> Faces;
    SelectPace *Pace;
};
