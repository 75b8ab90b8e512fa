// The title menu: its keys, wrap-around, Enter and the click, the colours of its items, the pause
// after a choice, and closing it by its frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "FlowHelpers.h"
#include "assets/Designs.h"
#include "platform/Crc32.h"
#include "title/FrmTitle.h"

namespace {

constexpr int32_t White = RGB(255, 255, 255);
constexpr int32_t Red = RGB(255, 0, 0);
constexpr int32_t Blue = RGB(0, 0, 255);

struct TitleTest : ::testing::Test {
    HeadlessRun Run;
    Frm_Title Title;

    // The colours of items 1 to 3, as set on the labels.
    std::vector<int32_t> Colours() {
        return {Title.Lbl_Player(1).ForeColor(), Title.Lbl_Player(2).ForeColor(),
                Title.Lbl_Player(3).ForeColor()};
    }
    void Keys(std::initializer_list<int16_t> Codes) {
        for (int16_t Code : Codes) {
            Run.Screen.Press(Code);
        }
    }
    // Shows the title until it closes; the test fails if the script ran out first.
    void ShowUntilClosed() {
        Title.ShowModal();
        EXPECT_FALSE(Run.Screen.Stalled());
    }
};

TEST_F(TitleTest, OpensWithTheFirstItemRedAndNoChoiceMade) {
    Gl_PlayerCount = 0;
    Run.Screen.At(10, [&] {
        EXPECT_EQ(Title.MenuIndex, 1);
        EXPECT_EQ(Colours(), (std::vector<int32_t>{Red, White, White}));
        EXPECT_EQ(Gl_PlayerCount, 0);
        // What is on the screen: red letters in item 1, none in item 2.
        const Surface &Frame = Run.Screen.Window(Title.WindowId())->Frame;
        EXPECT_EQ(Frame.Width, 256);
        EXPECT_EQ(Frame.Height, 239);
        EXPECT_TRUE(HasColour(Frame, 76, 152, 109, 17, Red));
        EXPECT_FALSE(HasColour(Frame, 76, 172, 109, 17, Red));
        Keys({VK_Y, VK_RETURN});
    });
    ShowUntilClosed();
}

TEST_F(TitleTest, UpAndDownKeysOfBothSetsMoveTheHighlightAndWrap) {
    Run.Screen.At(10, [&] { Keys({VK_Y}); });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Title.MenuIndex, 3); // up from the top wraps to EXIT
        EXPECT_EQ(Colours(), (std::vector<int32_t>{White, White, Red}));
        Keys({VK_N});
    });
    Run.Screen.At(30, [&] {
        EXPECT_EQ(Title.MenuIndex, 1); // down from EXIT wraps to the top
        Keys({VK_NUMPAD2});
    });
    Run.Screen.At(40, [&] {
        EXPECT_EQ(Title.MenuIndex, 2);
        EXPECT_EQ(Colours(), (std::vector<int32_t>{White, Red, White}));
        Keys({VK_NUMPAD8, VK_NUMPAD8});
    });
    Run.Screen.At(50, [&] {
        EXPECT_EQ(Title.MenuIndex, 3);
        // The arrow keys, space, Escape and other letters change nothing.
        Keys({VK_UP, 0x28, VK_SPACE, VK_ESCAPE, VK_G, VK_Z, VK_NUMPAD4});
    });
    Run.Screen.At(60, [&] {
        EXPECT_EQ(Title.MenuIndex, 3);
        EXPECT_EQ(Colours(), (std::vector<int32_t>{White, White, Red}));
        EXPECT_EQ(Gl_PlayerCount, 0);
        Keys({VK_RETURN});
    });
    ShowUntilClosed();
    EXPECT_EQ(Gl_PlayerCount, 3);
}

TEST_F(TitleTest, EnterTurnsTheItemBlueOnScreenStoresItAndClosesASecondLater) {
    Run.Screen.At(10, [&] { Keys({VK_N, VK_RETURN}); });
    ShowUntilClosed();
    EXPECT_FALSE(Title.Loaded());
    EXPECT_EQ(Gl_PlayerCount, 2);
    EXPECT_EQ(Colours(), (std::vector<int32_t>{White, Blue, White}));
    EXPECT_EQ(Run.Screen.NowMillis(), 1010u);
    EXPECT_FALSE(ProgramEnding());
    // The blue item was put on the screen before the pause, and nothing after it.
    const std::vector<std::string> &Log = Run.Screen.Log();
    const auto Pause = std::find(Log.begin(), Log.end(), "sleep 1000");
    ASSERT_NE(Pause, Log.end());
    EXPECT_EQ(*(Pause - 1), "present Zorbump");
    EXPECT_EQ(std::count(Pause, Log.end(), "present Zorbump"), 0);
    const Surface &Frame = Run.Screen.Window(1)->Frame;
    EXPECT_TRUE(HasColour(Frame, 76, 172, 109, 17, Blue));
    EXPECT_FALSE(HasColour(Frame, 76, 152, 109, 17, Red));
}

TEST_F(TitleTest, AClickChoosesTheClickedItemAndWhitensTheHighlight) {
    Run.Screen.At(10, [&] {
        Run.Screen.Click(5, 5);     // the picture: nothing
        Run.Screen.Click(130, 200); // between the items: nothing
    });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(Title.MenuIndex, 1);
        Run.Screen.Click(130, 220); // EXIT
    });
    ShowUntilClosed();
    EXPECT_EQ(Gl_PlayerCount, 3);
    EXPECT_EQ(Title.MenuIndex, 1);
    EXPECT_EQ(Colours(), (std::vector<int32_t>{White, White, Blue}));
}

TEST_F(TitleTest, ClosingByTheFrameEndsTheProgramWithoutAChoice) {
    Gl_PlayerCount = 2;
    Run.Screen.At(10, [&] { Run.Screen.CloseFocused(); });
    ShowUntilClosed();
    EXPECT_FALSE(Title.Loaded());
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(Gl_PlayerCount, 2);
}

// The title as the game has always drawn it, every pixel: nothing added for online play shows
// unless a server is known.
TEST_F(TitleTest, WithoutAServerTheTitleIsTheGamesOwnToThePixel) {
    uint32_t Crc = 0;
    Run.Screen.At(10, [&] {
        const Surface &Frame = Run.Screen.Window(Title.WindowId())->Frame;
        Crc = Crc32(reinterpret_cast<const uint8_t *>(Frame.Pixels.data()), Frame.Pixels.size() * 4);
        Keys({VK_RETURN});
    });
    ShowUntilClosed();
    EXPECT_EQ(Crc, 0x1a6f020fu) << std::hex << Crc;
}

} // namespace
