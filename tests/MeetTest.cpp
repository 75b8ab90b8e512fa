// Meeting through a server from the game's windows: a room's code typed from the keyboard or a
// controller, the online window's menu, the title's ONLINE item, and the way from the title to the
// online window and back.
#include <gtest/gtest.h>

#include <initializer_list>

#include "FlowHelpers.h"
#include "assets/Designs.h"
#include "game/FrmMain.h"
#include "game/GameOptions.h"
#include "net/Meeting.h"
#include "online/CodeEntry.h"
#include "online/FrmCode.h"
#include "online/FrmMeet.h"
#include "online/OnlineSession.h"
#include "platform/Pads.h"
#include "title/FrmTitle.h"

namespace {

constexpr int32_t White = RGB(255, 255, 255);
constexpr int32_t Red = RGB(255, 0, 0);
constexpr int32_t Blue = RGB(0, 0, 255);

void Type(CodeEntry &Entry, std::initializer_list<int16_t> Keys) {
    for (int16_t Key : Keys) {
        Entry.Key(Key);
    }
}

TEST(CodeEntry, LettersOfTheAlphabetFillThePlacesAndEnterTakesOnlyAWholeCode) {
    CodeEntry Entry;
    EXPECT_EQ(Entry.Letters(), "    ");
    EXPECT_EQ(Entry.Key(VK_RETURN), CodeEntry::Result::Typing) << "nothing typed is no code";
    // Letters no code has (they look like others, or like digits), digits and other keys: nothing.
    Type(Entry, {'I', 'L', 'O', 'Q', 'U', 'V', '1', '0', VK_SPACE});
    EXPECT_EQ(Entry.Letters(), "    ");
    EXPECT_EQ(Entry.Cursor(), 0);
    Type(Entry, {'K', 'M', 'X'});
    EXPECT_EQ(Entry.Letters(), "KMX ");
    EXPECT_EQ(Entry.Cursor(), 3);
    EXPECT_EQ(Entry.Key(VK_RETURN), CodeEntry::Result::Typing) << "three letters are no code";
    // The last place takes the fourth letter and keeps the cursor; a fifth overwrites it.
    Type(Entry, {'P', 'R'});
    EXPECT_EQ(Entry.Letters(), "KMXR");
    EXPECT_EQ(Entry.Cursor(), 3);
    EXPECT_TRUE(Entry.Complete());
    EXPECT_EQ(Entry.Key(VK_RETURN), CodeEntry::Result::Done);
    EXPECT_TRUE(Meeting::ValidCode(Entry.Letters()));
}

TEST(CodeEntry, BackspaceErasesBackwardsAndStopsAtTheFirstPlace) {
    CodeEntry Entry;
    Type(Entry, {'A', 'B', 'C', 'D'});
    // On the filled last place Backspace clears it and stays; then each goes back one place.
    Entry.Key(VK_BACK);
    EXPECT_EQ(Entry.Letters(), "ABC ");
    EXPECT_EQ(Entry.Cursor(), 3);
    Entry.Key(VK_BACK);
    EXPECT_EQ(Entry.Letters(), "AB  ");
    EXPECT_EQ(Entry.Cursor(), 2);
    Type(Entry, {VK_BACK, VK_BACK, VK_BACK, VK_BACK});
    EXPECT_EQ(Entry.Letters(), "    ");
    EXPECT_EQ(Entry.Cursor(), 0);
    Type(Entry, {'W', 'X', 'Y', 'Z'});
    EXPECT_EQ(Entry.Key(VK_RETURN), CodeEntry::Result::Done);
}

TEST(CodeEntry, UpAndDownTurnTheLetterThroughTheAlphabetLeftAndRightMove) {
    const std::string Alphabet = Meeting::CodeAlphabet;
    for (int16_t Up : {int16_t(VK_UP), int16_t(VK_NUMPAD8), VK_GAMEPAD_DPAD_UP}) {
        CodeEntry Entry;
        Entry.Key(Up); // a blank place starts at the first letter going up
        EXPECT_EQ(Entry.Letters()[0], 'A');
        Type(Entry, {Up, Up});
        EXPECT_EQ(Entry.Letters()[0], 'C');
        EXPECT_EQ(Entry.Cursor(), 0) << "turning a letter does not move the cursor";
    }
    for (int16_t Down : {int16_t(VK_DOWN), int16_t(VK_NUMPAD2), VK_GAMEPAD_DPAD_DOWN}) {
        CodeEntry Entry;
        Entry.Key(Down); // and at the last going down
        EXPECT_EQ(Entry.Letters()[0], 'Z');
        Type(Entry, {Down});
        EXPECT_EQ(Entry.Letters()[0], 'Y');
    }
    // The whole alphabet, once round, skipping the letters no code has.
    CodeEntry Round;
    std::string Seen;
    for (size_t Step = 0; Step <= Alphabet.size(); ++Step) {
        Round.Key(VK_GAMEPAD_DPAD_UP);
        Seen += Round.Letters()[0];
    }
    EXPECT_EQ(Seen, Alphabet + "A");
    // Left and right move within the four places and no further.
    CodeEntry Moving;
    Type(Moving, {VK_LEFT, VK_NUMPAD4, VK_GAMEPAD_DPAD_LEFT});
    EXPECT_EQ(Moving.Cursor(), 0);
    Type(Moving, {VK_RIGHT, VK_NUMPAD6, VK_GAMEPAD_DPAD_RIGHT, VK_RIGHT, VK_RIGHT});
    EXPECT_EQ(Moving.Cursor(), 3);
    Type(Moving, {VK_GAMEPAD_DPAD_DOWN, VK_GAMEPAD_DPAD_LEFT, 'H'});
    EXPECT_EQ(Moving.Letters(), "  HZ");
    EXPECT_EQ(Moving.Key(VK_ESCAPE), CodeEntry::Result::GaveUp);
}

struct WindowTest : ::testing::Test {
    HeadlessRun Run;
    void Keys(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    }
    void Pad(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.PressPad(Code);
        }
    }
};

TEST_F(WindowTest, TheCodeWindowTakesLettersFromTheKeyboard) {
    Frm_Code Window("JOIN ROOM");
    Run.Screen.At(10, [&] {
        EXPECT_EQ(Window.Lbl_Letter(0).Caption(), "_");
        EXPECT_EQ(Window.Lbl_Letter(0).ForeColor(), Red);
        EXPECT_EQ(Window.Lbl_Letter(1).ForeColor(), White);
        // Y, N, G, J and Z typed on the keyboard are letters here, not a person's keys.
        Keys({VK_Y, VK_N, VK_G, VK_BACK, VK_J});
    });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Window.Entry.Letters(), "YNJ ");
        EXPECT_EQ(Window.Lbl_Letter(2).Caption(), "J");
        EXPECT_EQ(Window.Lbl_Letter(3).ForeColor(), Red);
        const Surface &Frame = Run.Screen.Window(Window.WindowId())->Frame;
        EXPECT_TRUE(HasColour(Frame, CodeLetterDesigns[3].Left, CodeLetterDesigns[3].Top, 36, 44, Red));
        Keys({VK_RETURN}); // three letters: the window stays
    });
    Run.Screen.At(30, [&] {
        EXPECT_TRUE(Window.Loaded());
        Keys({VK_Z, VK_RETURN});
    });
    Window.ShowModal();
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Window.Code, "YNJZ");
}

TEST_F(WindowTest, AControllerTurnsMovesAndConfirmsWithoutTypingItsKeysLetters) {
    Frm_Code Window("JOIN ROOM");
    Run.Screen.At(10, [&] {
        // The first controller's d-pad stands for Y N G J, its face button for Z: none is typed.
        Pad({VK_Y, VK_Y, VK_J, VK_N, VK_J, VK_Y, VK_J, VK_Y, VK_G, VK_G, VK_G, VK_Y});
        // The second controller's: keypad 8 2 4 6, and the up arrow its face button.
        Pad({VK_NUMPAD6, VK_NUMPAD6, VK_NUMPAD6, VK_NUMPAD2, VK_NUMPAD2});
    });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Window.Entry.Letters(), "CZAY");
        EXPECT_EQ(Window.Entry.Cursor(), 3);
        Pad({VK_Z}); // the face button takes the code
    });
    Window.ShowModal();
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Window.Code, "CZAY");
}

// M is the sound's everywhere else; in a code it is a letter like any other.
TEST_F(WindowTest, TheProgramsOwnLetterKeysAreTypedInTheCodeWindow) {
    SetKeyListener([](int16_t Key) { return Key == VK_M; });
    Frm_Code Window("JOIN ROOM");
    Run.Screen.At(10, [&] { Keys({VK_M, 'K', VK_M, VK_M, VK_RETURN}); });
    Window.ShowModal();
    SetKeyListener(nullptr);
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Window.Code, "MKMM");
}

TEST_F(WindowTest, EscapeOrAControllersBackLeavesTheCodeWindowWithoutACode) {
    Run.Screen.At(10, [&] { Keys({'A', 'B', VK_ESCAPE}); });
    EXPECT_EQ(AskRoomCode("JOIN ROOM"), "");
    Run.Screen.At(Run.Screen.NowMillis() + 10, [&] { Run.Screen.CloseFocused(); });
    EXPECT_EQ(AskRoomCode("JOIN ROOM"), "");
    EXPECT_FALSE(Run.Screen.Stalled());
}

struct MeetWindowTest : WindowTest {
    Frm_Meet Window{"127.0.0.1:24680"};
    std::vector<int32_t> Colours() {
        return {Window.Item(MeetChoice::Quick)->ForeColor(), Window.Item(MeetChoice::NewRoom)->ForeColor(),
                Window.Item(MeetChoice::JoinRoom)->ForeColor(), Window.Item(MeetChoice::Back)->ForeColor()};
    }
};

TEST_F(MeetWindowTest, ItsFourItemsAreMovedOverLikeTheTitlesAndWrap) {
    Run.Screen.At(10, [&] {
        EXPECT_EQ(Colours(), (std::vector<int32_t>{Red, White, White, White}));
        EXPECT_EQ(Window.Item(MeetChoice::Watch), nullptr);
        const Surface &Frame = Run.Screen.Window(Window.WindowId())->Frame;
        EXPECT_TRUE(HasColour(Frame, 76, 132, 109, 17, Red));
        EXPECT_TRUE(HasColour(Frame, 76, 212, 109, 17, White));
        EXPECT_FALSE(HasColour(Frame, 76, 192, 109, 17, White)) << "the row kept for another item is empty";
        Keys({VK_Y});
    });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Colours(), (std::vector<int32_t>{White, White, White, Red})); // up from the top: BACK
        Keys({VK_NUMPAD2, VK_N, VK_NUMPAD8});
    });
    Run.Screen.At(30, [&] {
        EXPECT_EQ(Colours(), (std::vector<int32_t>{Red, White, White, White}));
        Pad({VK_N, VK_N}); // a controller's d-pad moves as the keys it stands for
    });
    Run.Screen.At(40, [&] {
        EXPECT_EQ(Colours(), (std::vector<int32_t>{White, White, Red, White}));
        Pad({VK_Z}); // its face button chooses
    });
    Window.ShowModal();
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Window.Choice, MeetChoice::JoinRoom);
    EXPECT_EQ(Window.Item(MeetChoice::JoinRoom)->ForeColor(), Blue);
    EXPECT_EQ(Run.Screen.NowMillis(), 40u + ChoicePause);
}

TEST_F(MeetWindowTest, EscapeAndTheFrameGoBackAtOnce) {
    Run.Screen.At(10, [&] { Keys({VK_N, VK_ESCAPE}); });
    Window.ShowModal();
    EXPECT_EQ(Window.Choice, MeetChoice::Back);
    EXPECT_EQ(Run.Screen.NowMillis(), 10u);
    EXPECT_FALSE(ProgramEnding());
    Frm_Meet Closed("127.0.0.1:24680");
    Run.Screen.At(20, [&] { Run.Screen.CloseFocused(); });
    Closed.ShowModal();
    EXPECT_EQ(Closed.Choice, MeetChoice::Back);
    EXPECT_FALSE(ProgramEnding()) << "closing the online window leaves the title to the player";
}

TEST_F(WindowTest, JoinRoomAsksTheCodeAndGivingItUpShowsTheOnlineWindowAgain) {
    Run.Screen.At(10, [&] { Keys({VK_N, VK_N, VK_RETURN}); });
    Run.Screen.At(1100, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Code>(), nullptr);
        Keys({'K', VK_ESCAPE});
    });
    Run.Screen.At(1200, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Meet>(), nullptr);
        Keys({VK_N, VK_N, VK_RETURN});
    });
    Run.Screen.At(2300, [&] { Keys({'K', 'E', 'E', 'P', VK_RETURN}); });
    const MeetRequest Wanted = ChooseMeeting("127.0.0.1:24680");
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(Wanted.Choice, MeetChoice::JoinRoom);
    EXPECT_EQ(Wanted.Code, "KEEP");
}

TEST_F(WindowTest, TheTitleWithAServerHasOnlineInItsFreeRowAndCyclesOverFour) {
    Frm_Title Title(true);
    Gl_PlayerCount = 0;
    Run.Screen.At(10, [&] {
        ASSERT_NE(Title.Lbl_Online(), nullptr);
        EXPECT_EQ(Title.Lbl_Online()->Caption(), "ONLINE");
        const Surface &Frame = Run.Screen.Window(Title.WindowId())->Frame;
        EXPECT_TRUE(HasColour(Frame, 76, 192, 109, 17, White));
        Keys({VK_Y}); // up from the top: EXIT, the fourth
    });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Title.MenuIndex, 4);
        EXPECT_EQ(Title.Lbl_Player(3).ForeColor(), Red);
        Keys({VK_NUMPAD8}); // ONLINE, above EXIT
    });
    Run.Screen.At(30, [&] {
        EXPECT_EQ(Title.MenuIndex, 3);
        EXPECT_EQ(Title.Lbl_Online()->ForeColor(), Red);
        EXPECT_EQ(Title.Lbl_Player(3).ForeColor(), White);
        Keys({VK_N, VK_N}); // round to the first
    });
    Run.Screen.At(40, [&] {
        EXPECT_EQ(Title.MenuIndex, 1);
        Keys({VK_N, VK_N, VK_RETURN});
    });
    Title.ShowModal();
    EXPECT_TRUE(Title.ChoseOnline);
    EXPECT_EQ(Gl_PlayerCount, 0) << "ONLINE is not a number of players";
    EXPECT_EQ(Title.Lbl_Online()->ForeColor(), Blue);
    // EXIT is still EXIT, in its row.
    Frm_Title Again(true);
    Run.Screen.At(Run.Screen.NowMillis() + 10, [&] { Run.Screen.Click(130, 220); });
    Again.ShowModal();
    EXPECT_FALSE(Again.ChoseOnline);
    EXPECT_EQ(Gl_PlayerCount, 3);
}

// The whole program with a server known: ONLINE opens the online window, BACK brings the title
// again, and EXIT still ends the program. Nothing goes on the network unless a way to meet is
// chosen.
TEST_F(WindowTest, FromTheTitleToTheOnlineWindowAndBack) {
    SessionOptions Options;
    Options.ServerKnown = true;
    Options.Address = "127.0.0.1";
    OnlineSession Session(Options);
    EXPECT_FALSE(Session.Active());
    int MeetWindows = 0;
    Run.Screen.At(10, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
        Keys({VK_N, VK_N, VK_RETURN});
    });
    Run.Screen.At(1100, [&] {
        Frm_Meet *Window = HeadlessRun::Focused<Frm_Meet>();
        ASSERT_NE(Window, nullptr);
        MeetWindows++;
        Keys({VK_ESCAPE});
    });
    Run.Screen.At(1200, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
        Keys({VK_N, VK_N, VK_RETURN});
    });
    Run.Screen.At(2300, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Meet>(), nullptr);
        MeetWindows++;
        Keys({VK_Y, VK_RETURN}); // BACK, chosen
    });
    Run.Screen.At(3400, [&] {
        ASSERT_NE(HeadlessRun::Focused<Frm_Title>(), nullptr);
        Keys({VK_Y, VK_RETURN}); // EXIT
    });
    RunProgram(&Session);
    EXPECT_FALSE(Run.Screen.Stalled());
    EXPECT_EQ(MeetWindows, 2);
    EXPECT_FALSE(Session.Active());
    EXPECT_EQ(Run.Count("show ZorbumpX"), 0);
}

} // namespace
