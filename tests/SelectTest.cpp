// The select screen: cursors, captions, holding, taking a held character, side changes, the lowest
// free slot, Enter with and without everyone holding, and closing it by its frame.
#include <gtest/gtest.h>

#include <string>

#include "FlowHelpers.h"
#include "select/FrmSelect.h"

namespace {

struct SelectTest : ::testing::Test {
    HeadlessRun Run;
    std::unique_ptr<Frm_Select> Select;
    int Ticks = 0;

    void Open(int16_t People) {
        Gl_PlayerCount = People;
        Select = std::make_unique<Frm_Select>();
    }
    // The keys held during the select timer's next tick (it ticks every 100 ms from the window's
    // load at time 0), then Check right after that tick.
    void Tick(
        std::initializer_list<int32_t> Keys, std::function<void()> Check = [] {}) {
        ++Ticks;
        const uint64_t At = 100 * Ticks;
        Run.Screen.At(At - 50, [Held = std::vector<int32_t>(Keys)] {
            ReleaseScriptedKeys();
            for (int32_t Key : Held) {
                SetScriptedKey(Key, true);
            }
        });
        Run.Screen.At(At + 10, std::move(Check));
    }
    // After the last tick: Enter, then close the window by its frame if Enter did not close it.
    void ShowThenEnter() {
        Run.Screen.At(100 * Ticks + 20, [this] { Run.Screen.Press(VK_RETURN); });
        Run.Screen.At(100 * Ticks + 30, [this] {
            if (Select->Loaded()) {
                Run.Screen.CloseFocused();
            }
        });
        Select->ShowModal();
        EXPECT_FALSE(Run.Screen.Stalled());
    }
    std::string Captions() {
        std::string All;
        for (int16_t Index = 0; Index < 4; ++Index) {
            All += (Index > 0 ? "," : "") + Select->Lbl_Play(Index).Caption();
        }
        return All;
    }
    std::string Lefts() {
        std::string All;
        for (int16_t Index = 0; Index < 4; ++Index) {
            EXPECT_EQ(Select->Lbl_Play(Index).Left(), Select->Pic_Kao(Index).Left());
            All += (Index > 0 ? "," : "") + std::to_string(Select->Lbl_Play(Index).Left());
        }
        return All;
    }
};

TEST_F(SelectTest, OnePersonOpensOnCharacterZeroAndTheKeypadDoesNothing) {
    Open(1);
    Tick({}, [&] {
        EXPECT_EQ(Captions(), "1P,COM,COM,COM");
        EXPECT_EQ(Lefts(), "0,414,87,327");
        EXPECT_EQ(Gl_Teams[0].Members, 2);
        EXPECT_EQ(Gl_Teams[1].Members, 2);
        for (int16_t Index = 0; Index < 4; ++Index) {
            EXPECT_FALSE(Select->Lbl_Play(Index).Opaque());
        }
    });
    Tick({VK_NUMPAD6, VK_UP}, [&] { EXPECT_EQ(Captions(), "1P,COM,COM,COM"); });
    Tick({VK_G}, [&] { EXPECT_EQ(Captions(), "COM,COM,COM,1P"); }); // left wraps from 0 to 3
    Tick({VK_J}, [&] { EXPECT_EQ(Captions(), "1P,COM,COM,COM"); });
    Tick({VK_G, VK_J}, [&] { EXPECT_EQ(Captions(), "1P,COM,COM,COM"); }); // both: back and forth
    ShowThenEnter();
    EXPECT_TRUE(ProgramEnding()); // nobody held: Enter did nothing, and the frame closed it
}

TEST_F(SelectTest, TwoPeopleShareALabelAndCannotTakeAHeldCharacter) {
    Open(2);
    Tick({}, [&] { EXPECT_EQ(Captions(), "1P,2P,COM,COM"); });
    Tick({VK_NUMPAD4, VK_UP}, [&] {
        // The second person takes character 1; left in the same tick is not applied.
        EXPECT_EQ(Captions(), "1P,2P,COM,COM");
        EXPECT_TRUE(Select->Lbl_Play(1).Opaque());
        EXPECT_EQ(Select->HeldCount, 1);
    });
    Tick({VK_J}, [&] { EXPECT_EQ(Captions(), "COM,1P2P,COM,COM"); });
    Tick({VK_Z, VK_J}, [&] {
        // Action on a held character leaves the cursor moving; right in the same tick still moves.
        EXPECT_EQ(Select->Cursors[0].Mode, 1);
        EXPECT_EQ(Captions(), "COM,2P,1P,COM");
        EXPECT_EQ(Select->HeldCount, 1);
    });
    Tick({VK_Z}, [&] {
        EXPECT_EQ(Select->HeldCount, 2);
        EXPECT_TRUE(Select->Lbl_Play(2).Opaque());
        // The highlight is on screen: the label's light blue back behind "1P".
        const Surface &Frame = Run.Screen.Window(Select->WindowId())->Frame;
        EXPECT_TRUE(HasColour(Frame, 87, 204, 69, 20, RGB(128, 128, 255)));
        EXPECT_FALSE(HasColour(Frame, 0, 204, 69, 20, RGB(128, 128, 255)));
    });
    ShowThenEnter();
    EXPECT_FALSE(ProgramEnding());
    EXPECT_FALSE(Select->Loaded());
    // Character 2 for the letter set, character 1 for the keypad set, the computer for the rest.
    const int16_t Control[4] = {2, 1, 1, 2}, KeySet[4] = {-1, 1, 0, -1}, Side[4] = {0, 1, 0, 1},
                  Slot[4] = {0, 0, 1, 1};
    for (int Index = 0; Index < 4; ++Index) {
        EXPECT_EQ(Gl_Players[Index].Control, Control[Index]) << Index;
        EXPECT_EQ(Gl_Players[Index].KeySet, KeySet[Index]) << Index;
        EXPECT_EQ(Gl_Players[Index].Side, Side[Index]) << Index;
        EXPECT_EQ(Gl_Players[Index].Slot, Slot[Index]) << Index;
    }
}

TEST_F(SelectTest, AHeldCharacterCrossesIntoTheLowestFreeSlotButNotOntoAFullSide) {
    Open(1);
    Tick({VK_Z});      // hold character 0, left side slot 0
    Tick({VK_J}, [&] { // across: the right side holds slots 0 and 1
        EXPECT_EQ(Select->Roster[0].Side, 1);
        EXPECT_EQ(Select->Roster[0].Slot, 2);
        EXPECT_EQ(Gl_Teams[0].Members, 1);
        EXPECT_EQ(Gl_Teams[1].Members, 3);
        EXPECT_EQ(Lefts(), "240,414,87,327");
    });
    Tick({VK_G}, [&] { // back: slot 0 of the left side is free again
        EXPECT_EQ(Select->Roster[0].Side, 0);
        EXPECT_EQ(Select->Roster[0].Slot, 0);
        EXPECT_EQ(Gl_Teams[0].Members, 2);
    });
    Tick({VK_Z});      // let go
    Tick({VK_J});      // to character 1
    Tick({VK_Z});      // hold character 1, right side slot 0
    Tick({VK_J}, [&] { // across: the left side holds slots 0 and 1, so slot 2
        EXPECT_EQ(Select->Roster[1].Side, 0);
        EXPECT_EQ(Select->Roster[1].Slot, 2);
        EXPECT_EQ(Gl_Teams[0].Members, 3);
        EXPECT_EQ(Gl_Teams[1].Members, 1);
    });
    Tick({VK_Z});
    Tick({VK_J}, [&] { EXPECT_EQ(Select->Cursors[0].Pos, 2); });
    Tick({VK_Z}, [&] { EXPECT_EQ(Select->Roster[2].Taken, 9); });
    Tick({VK_J}, [&] { // the left side now has three: character 2 crosses to the right, slot 0
        EXPECT_EQ(Select->Roster[2].Side, 1);
        EXPECT_EQ(Select->Roster[2].Slot, 0);
    });
    Tick({VK_G}, [&] { // and back into the slot it left, the lowest free one
        EXPECT_EQ(Select->Roster[2].Side, 0);
        EXPECT_EQ(Select->Roster[2].Slot, 1);
    });
    ShowThenEnter();
    for (int Index = 0; Index < 4; ++Index) {
        for (int Other = 0; Other < Index; ++Other) {
            EXPECT_FALSE(Gl_Players[Index].Side == Gl_Players[Other].Side &&
                         Gl_Players[Index].Slot == Gl_Players[Other].Slot)
                << Index << " and " << Other << " share a slot";
        }
    }
}

TEST_F(SelectTest, AFullSideTakesNoFourthAndHoldingActionTogglesEveryTick) {
    Open(2);
    // The second person carries character 1 to the left: three there.
    Tick({VK_UP});
    Tick({VK_NUMPAD4}, [&] { EXPECT_EQ(Gl_Teams[0].Members, 3); });
    // The first person carries character 3 toward the full left side: refused.
    Tick({VK_G});
    Tick({VK_Z}, [&] { EXPECT_EQ(Select->Roster[3].Taken, 9); });
    Tick({VK_G}, [&] {
        EXPECT_EQ(Select->Roster[3].Side, 1);
        EXPECT_EQ(Gl_Teams[0].Members, 3);
        EXPECT_EQ(Gl_Teams[1].Members, 1); // a side never drops below one
    });
    // Action held for three ticks: let go, hold, let go.
    Tick({VK_Z}, [&] { EXPECT_EQ(Select->Cursors[0].Mode, 1); });
    Tick({VK_Z}, [&] { EXPECT_EQ(Select->Cursors[0].Mode, 2); });
    Tick({VK_Z}, [&] {
        EXPECT_EQ(Select->Cursors[0].Mode, 1);
        EXPECT_EQ(Select->HeldCount, 1);
    });
    ShowThenEnter();
    EXPECT_TRUE(ProgramEnding()); // one of two holding: Enter did nothing
}

TEST_F(SelectTest, WithNoChoiceMadeEnterStartsAllComputerLineUpAtOnce) {
    Open(0);
    Tick({VK_Z, VK_UP}, [&] { EXPECT_EQ(Captions(), "COM,COM,COM,COM"); });
    ShowThenEnter();
    EXPECT_FALSE(ProgramEnding());
    for (int Index = 0; Index < 4; ++Index) {
        EXPECT_EQ(Gl_Players[Index].Control, 2);
        EXPECT_EQ(Gl_Players[Index].Side, Index % 2);
    }
}

TEST_F(SelectTest, TheTimerWaitsForLoadAndStopsAtUnload) {
    Open(1);
    EXPECT_EQ(Select->Tim_Main.Interval(), 0u);
    Tick({VK_Z}, [&] { EXPECT_EQ(Select->Tim_Main.Interval(), 100u); });
    ShowThenEnter();
    EXPECT_EQ(Select->Tim_Main.Interval(), 0u);
    // The scores and member counts were reset when the window loaded.
    EXPECT_EQ(Gl_Teams[0].Score, 0);
    EXPECT_EQ(Gl_Teams[1].Score, 0);
}

} // namespace
