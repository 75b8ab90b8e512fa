// The window toolkit on its headless backend: timers that keep their period, drop missed ticks
// and stop at once; modal showing with nested event processing; labels and pictures on a window.
#include <gtest/gtest.h>

#include "FlowHelpers.h"

namespace {

// A window with one timer that records when it fires.
struct TickingForm : Form {
    std::vector<uint64_t> Fired;
    std::function<void()> Work = [] {};
    std::function<void(int16_t)> OnKey = [](int16_t) {};
    Timer Tim_Main;
    TickingForm(uint32_t Interval, bool Enabled)
        : Form("Test", 100, 80), Tim_Main(*this, Interval, Enabled, [this] {
              Fired.push_back(CurrentBackend()->NowMicros() / 1000);
              Work();
          }) {}
    void Form_KeyDown(int16_t KeyCode, int16_t) override { OnKey(KeyCode); }
};

struct ToolkitTest : ::testing::Test {
    HeadlessRun Run;
    void Finish(Form &Window, uint64_t AtMillis) {
        Run.Screen.At(AtMillis, [&Window] { Window.Unload(); });
    }
};

TEST_F(ToolkitTest, ATimerKeepsItsPeriodHoweverLongItsTicksTake) {
    TickingForm Window(33, true);
    Window.Work = [] { Sleep(10); }; // every tick works for 10 ms
    Finish(Window, 33 * 30 + 20);
    Window.ShowModal();
    ASSERT_EQ(Window.Fired.size(), 30u);
    for (size_t Tick = 0; Tick < Window.Fired.size(); ++Tick) {
        EXPECT_EQ(Window.Fired[Tick], 33 * (Tick + 1));
    }
}

TEST_F(ToolkitTest, ALateTickIsFollowedByOneTickNotABurst) {
    TickingForm Window(33, true);
    Window.Work = [&Window] {
        if (Window.Fired.size() == 3) {
            Sleep(100); // the tick at 99 ms ends at 199 ms: two ticks are missed
        }
    };
    Finish(Window, 300);
    Window.ShowModal();
    EXPECT_EQ(Window.Fired, (std::vector<uint64_t>{33, 66, 99, 199, 232, 265, 298}));
}

TEST_F(ToolkitTest, DisablingOrAZeroIntervalStopsATimerAtOnce) {
    TickingForm First(50, true), Second(50, true);
    First.Load();
    // Both are due at 50 ms; the first, which runs first, stops the second in its tick.
    First.Work = [&] {
        if (First.Fired.size() == 1) {
            Second.Tim_Main.SetEnabled(false);
        }
        if (First.Fired.size() == 2) {
            First.Tim_Main.SetInterval(0);
        }
    };
    Run.Screen.At(120, [&] { Second.Tim_Main.SetEnabled(true); }); // counts afresh: 170, 220
    Finish(Second, 250);
    Finish(First, 250);
    Second.ShowModal();
    EXPECT_EQ(First.Fired, (std::vector<uint64_t>{50, 100}));
    EXPECT_EQ(Second.Fired, (std::vector<uint64_t>{170, 220}));
    EXPECT_EQ(First.Tim_Main.Interval(), 0u);
}

TEST_F(ToolkitTest, ModalWindowsNestAndPendingEventsRunOnRequest) {
    TickingForm Outer(0, false), Inner(40, true);
    std::vector<std::string> Order;
    Inner.Work = [&] {
        if (Inner.Fired.size() == 3) {
            Inner.Unload();
        }
    };
    Outer.OnKey = [&](int16_t Key) {
        Order.push_back("outer key " + std::to_string(Key));
        if (Key == 1) {
            Inner.ShowModal(); // a key event that opens a window and waits for it
            Order.push_back("inner closed at " + std::to_string(Run.Screen.NowMillis()));
        }
        if (Key == 2) {
            DoEvents(); // key 3, already waiting, runs inside this one
            Order.push_back("after pending");
        }
    };
    Inner.OnKey = [&](int16_t Key) { Order.push_back("inner key " + std::to_string(Key)); };
    Run.Screen.At(10, [&] { Run.Screen.Press(1); });
    Run.Screen.At(20, [&] {
        EXPECT_EQ(FocusedForm(), &Inner); // shown last, so it has the focus
        Run.Screen.Press(9);
    });
    Run.Screen.At(200, [&] {
        EXPECT_EQ(FocusedForm(), &Outer);
        Run.Screen.Press(2);
        Run.Screen.Press(3);
    });
    Finish(Outer, 300);
    Outer.ShowModal();
    EXPECT_EQ(Order, (std::vector<std::string>{"outer key 1", "inner key 9", "inner closed at 130",
                                               "outer key 2", "outer key 3", "after pending"}));
    EXPECT_FALSE(Run.Screen.Stalled());
}

// A session's socket: its handler looks at every round, and a window it unloads ends its modal
// run at once, without a wait for anything more to happen.
TEST_F(ToolkitTest, AWatchedSocketsHandlerRunsEveryRoundAndMayEndAModalRun) {
    TickingForm Window(50, true);
    bool Arrived = false;
    int Looks = 0;
    Window.Work = [&] {
        Window.Tim_Main.SetEnabled(false); // nothing more is due after this
        Arrived = true;
    };
    WakeOnSocket(7, [&] {
        Looks++;
        if (Arrived) {
            StopWakingOnSocket(7);
            Window.Unload();
        }
    });
    Window.ShowModal();
    EXPECT_FALSE(Window.Loaded());
    EXPECT_GE(Looks, 2);
    EXPECT_FALSE(Run.Screen.Stalled());
    // Once it is no longer watched, its handler is not called.
    const int Before = Looks;
    DoEvents();
    EXPECT_EQ(Looks, Before);
}

// A window with a background, a transparent and an opaque label, and pictures shown and hidden.
struct LabelForm : Form {
    Surface Back{60, 40, RGB(0, 128, 0)};
    Surface Picture{4, 4, RGB(9, 9, 9)};
    Label Plain, Boxed;
    PictureBox Shown, Hidden;
    LabelForm()
        : Form("Labels", 60, 40),
          Plain(*this, {"WWWWWWWW", 10, 2, 20, 14, RGB(255, 0, 0), RGB(1, 2, 3), false, 13, Alignment::Left}),
          Boxed(*this, {"", 0, 20, 30, 10, RGB(255, 0, 0), RGB(128, 128, 255), true, 13, Alignment::Centre}),
          Shown(*this, Picture, 40, 20, 8, 8, true, true), Hidden(*this, Picture, 50, 0, 4, 4, false, false) {
        SetPicture(&Back);
    }
};

TEST_F(ToolkitTest, LabelsAreCutAtTheirEdgesAndShowTheirBackgroundOnlyWhenOpaque) {
    LabelForm Window;
    Window.Show();
    const Surface &Frame = Run.Screen.Window(Window.WindowId())->Frame;
    // The transparent label's text is red inside its rectangle and nowhere outside it, though
    // the text is far wider; around the letters the background shows.
    EXPECT_TRUE(HasColour(Frame, 10, 2, 20, 14, RGB(255, 0, 0)));
    EXPECT_FALSE(HasColour(Frame, 30, 0, 30, 20, RGB(255, 0, 0)));
    EXPECT_TRUE(HasColour(Frame, 10, 2, 20, 14, RGB(0, 128, 0)));
    EXPECT_FALSE(HasColour(Frame, 0, 0, 60, 40, RGB(1, 2, 3)));
    // The opaque label fills its whole rectangle, even with no text.
    EXPECT_EQ(Frame.At(0, 20), static_cast<uint32_t>(RGB(128, 128, 255)));
    EXPECT_EQ(Frame.At(29, 29), static_cast<uint32_t>(RGB(128, 128, 255)));
    Window.Boxed.SetOpaque(false);
    Window.Refresh();
    EXPECT_EQ(Run.Screen.Window(Window.WindowId())->Frame.At(0, 20), static_cast<uint32_t>(RGB(0, 128, 0)));
    // The framed picture sits two pixels in; the hidden one is never drawn.
    EXPECT_EQ(Frame.At(42, 22), static_cast<uint32_t>(RGB(9, 9, 9)));
    EXPECT_EQ(Frame.At(40, 20), 0x808080u);
    EXPECT_EQ(Frame.At(50, 0), static_cast<uint32_t>(RGB(0, 128, 0)));
    Window.Unload();
}

} // namespace
