#include "replay/FrmReplay.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Font.h"
#include "platform/Keyboard.h"
#include "platform/ToolkitBackend.h"
#include "replay/ReplayMatch.h"

namespace {

constexpr int16_t KeyLeft = 0x25, KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28;
constexpr int32_t LineFontPixels = 13;
constexpr uint32_t LineColour = RGB(255, 255, 255);
constexpr uint32_t LineBack = RGB(0, 0, 0);
constexpr uint64_t TickMicros = uint64_t(MatchTickInterval) * 1000;
constexpr uint64_t LaggingShownMicros = 1000000;

uint64_t NowMicros() {
    return CurrentBackend()->NowMicros();
}

} // namespace

Frm_Replay::Frm_Replay(const Typ_Replay &Kept, int64_t StartTick)
    : Form(MainDesign.Caption, MainDesign.Width, MainDesign.Height + ViewerLineHeight),
      Tim_Replay(*this, MatchTickInterval, false, [this] { Tim_Replay_Timer(); }),
      Tim_Feed(*this, FeedInterval, false, [this] { Tim_Feed_Timer(); }), Replay(Kept), StartAt(StartTick),
      Picture(MainDesign.Width, MainDesign.Height), Last(Kept.Ticks) {
    DressWindow(*this);
    SetPadKeys(VK_SPACE, 0);
    SetPersistent(true);
    // The match draws on a picture of its own, the match window's size, so that the line below
    // never touches what it draws.
    const Typ_Pictures &All = GetPictures();
    Gl_Canvas.Screen = &Picture;
    Gl_Canvas.Pic_Tumbler = &All.Pic_Tumbler;
    Gl_Canvas.Pic_Ball = &All.Pic_Ball;
    Gl_Canvas.Pic_Kouka = &All.Pic_Kouka;
    Gl_Canvas.Pic_Back = &All.Pic_Back;
}

Frm_Replay::Frm_Replay(LiveFeed &Feed, const std::string &Code) : Frm_Replay(Feed.Replay(), -1) {
    Live = &Feed;
    Room = Code;
    Last = 0;
}

Frm_Replay::~Frm_Replay() {
    Gl_Canvas = Typ_MatchCanvas{};
}

void Frm_Replay::Form_Load() {
    if (Live != nullptr) {
        // Nothing to show until the server says how the room's match starts.
        FillRect(Picture, 0, 0, Picture.Width, Picture.Height, LineBack);
        Tim_Feed.SetEnabled(true);
        Present();
        return;
    }
    StartReplay(Replay);
    Snapshots.clear();
    Snapshots.emplace_back();
    SaveMatch(Snapshots.back());
    Current = 0;
    if (StartAt >= 0) {
        GoTo(std::min(StartAt, Last));
        Present();
        return;
    }
    Present();
    Play(true);
}

// A match of the room begins: the viewer starts it afresh.
void Frm_Replay::BeginLive() {
    Tim_Replay.SetEnabled(false);
    StartReplay(Replay);
    Snapshots.clear();
    Snapshots.emplace_back();
    SaveMatch(Snapshots.back());
    Current = 0;
    Last = 0;
    Held = false;
    Behind = false;
    DrawCourt();
}

void Frm_Replay::Tim_Feed_Timer() {
    bool Changed = false;
    while (Live->Next(0)) {
        Changed = true;
        if (Live->Matches() != Shown) {
            Shown = Live->Matches();
            BeginLive();
        }
    }
    if (Live->Over() && !Said) {
        Said = true;
        Changed = true;
        std::fprintf(stderr, "Zorbump: %s\n", Live->Problem().c_str());
    }
    if (Shown > 0) {
        int64_t Have = int64_t(Replay.Ticks);
        if (Live->LastTick() >= 0) {
            Have = std::min(Have, Live->LastTick());
        }
        Changed = Changed || Have != Last;
        Last = std::max(Last, Have);
        if (!Held && !Behind && Last - Current > LiveCatchUpTicks) {
            GoTo(Last); // the ticks missed run without being drawn: only live is shown
            Restart();
        }
        if (!Held && !Tim_Replay.Enabled() && Current < Last) {
            Play(true);
        }
    }
    if (Live->Over()) {
        Tim_Feed.SetEnabled(false);
    }
    if (Changed) {
        Present();
    }
}

bool Frm_Replay::Lagging() const {
    return NowMicros() < LaggingUntil;
}

void Frm_Replay::RunTick(bool Drawn) {
    // The ticks the viewer skips over change the match exactly as drawn ones do: drawing itself
    // changes only the blink and a full gauge's flashing, with or without a picture.
    Surface *Screen = Gl_Canvas.Screen;
    if (!Drawn) {
        Gl_Canvas.Screen = nullptr;
    }
    RunReplayTick(Replay, Current + 1);
    Gl_Canvas.Screen = Screen;
    Current++;
    RunCount++;
    if (Gl_ServeSide == MatchOver) {
        Last = Current;
    }
    if (Current % SnapshotEveryTicks == 0 && Current / SnapshotEveryTicks == int64_t(Snapshots.size())) {
        Snapshots.emplace_back();
        SaveMatch(Snapshots.back());
    }
}

// Shows tick Target: runs forward to it, or restores the last snapshot before it and runs the few
// ticks from there. Only Target's own tick is drawn.
void Frm_Replay::GoTo(int64_t Target) {
    Target = std::max<int64_t>(0, std::min(Target, Last));
    if (Target <= Current || Target == 0) {
        const int64_t Newest = int64_t(Snapshots.size()) - 1;
        const int64_t Kept = Target == 0 ? 0 : std::min(Newest, (Target - 1) / SnapshotEveryTicks);
        RestoreMatch(Snapshots[size_t(Kept)]);
        Current = Kept * SnapshotEveryTicks;
        RestoreCount++;
        if (Target == 0) {
            DrawCourt(); // the court as a match begins, before its first tick
            return;
        }
    }
    while (Current < Target) {
        RunTick(Current + 1 == Target);
        if (Current >= Last) {
            break;
        }
    }
}

void Frm_Replay::Play(bool On) {
    if (On && Current >= Last) {
        On = false;
    }
    Tim_Replay.SetEnabled(On);
    Restart();
}

void Frm_Replay::Restart() {
    AnchorMicros = NowMicros();
    RunSinceAnchor = 0;
    // The timer's rounds start again with the clock, so each brings whole ticks at every speed.
    if (Tim_Replay.Enabled()) {
        Tim_Replay.SetInterval(MatchTickInterval);
    }
}

void Frm_Replay::Tim_Replay_Timer() {
    const ViewerSpeed &Pace = ViewerSpeeds[SpeedIndex];
    const int64_t Due =
        int64_t((NowMicros() - AnchorMicros) * uint64_t(Pace.Ticks) / (TickMicros * uint64_t(Pace.Per)));
    // A late timer runs the ticks due for one of its periods and no more: the rest are dropped,
    // not caught up in a burst, and the line says the viewer cannot keep pace.
    const int64_t PerFire = std::max(1, Pace.Ticks / Pace.Per);
    const int64_t Run = std::min(Due - RunSinceAnchor, PerFire);
    const bool Heard = SpeedIndex == ViewerNormalSpeed;
    for (int64_t Each = 0; Each < Run && Current < Last; ++Each) {
        if (Heard) {
            ListenBeforeTick();
        }
        RunTick(Each + 1 == Run);
        if (Heard) {
            ListenAfterTick();
        }
    }
    RunSinceAnchor += std::max<int64_t>(Run, 0);
    if (Due - RunSinceAnchor > PerFire) {
        LaggingUntil = NowMicros() + LaggingShownMicros;
        Restart();
    }
    if (Current >= Last) {
        Tim_Replay.SetEnabled(false);
    }
    if (Run > 0) {
        Present();
    }
}

void Frm_Replay::Form_KeyDown(int16_t KeyCode, int16_t) {
    switch (KeyCode) {
    case VK_SPACE:
        if (Live != nullptr) {
            Held = !Held; // live, Space holds the picture and lets it go on from there
            Behind = true;
            Play(!Held);
            break;
        }
        if (Paused() && Current >= Last) {
            GoTo(0); // at the end, Space plays the match again from the start
        }
        Play(Paused());
        break;
    case KeyRight:
        if (Paused() && Current < Last) {
            GoTo(Current + 1);
        }
        break;
    case KeyLeft:
        Behind = Live != nullptr;
        GoTo(Current - ViewerBackTicks);
        Restart();
        break;
    case KeyUp:
        // Live, nothing is there beyond live to see faster.
        SpeedIndex =
            std::min(SpeedIndex + 1, Live != nullptr ? ViewerNormalSpeed : int(std::size(ViewerSpeeds)) - 1);
        Restart();
        break;
    case KeyDown:
        SpeedIndex = std::max(SpeedIndex - 1, 0);
        Restart();
        break;
    case VK_ESCAPE:
        Unload();
        return;
    default:
        return;
    }
    Present();
}

std::string Frm_Replay::LineText() const {
    if (Live != nullptr && (Shown == 0 || Live->Over())) {
        const std::string Why = Live->Over() ? Live->Problem() : "waiting for the match to start";
        if (Shown == 0) {
            return "room " + Room + ": " + Why;
        }
        if (Current >= Last) {
            return "tick " + std::to_string(Current) + "  " + Why;
        }
    }
    if (Live != nullptr) {
        const int64_t Seconds = Current * int64_t(MatchTickInterval) / 1000;
        char Text[128];
        std::snprintf(Text, sizeof Text, "room %s  tick %" PRId64 "  %" PRId64 ":%02" PRId64 "  %s%s",
                      Room.c_str(), Current, Seconds / 60, Seconds % 60, ViewerSpeeds[SpeedIndex].Name,
                      Held                                       ? "  paused"
                      : Current >= Last && Live->LastTick() >= 0 ? "  end"
                      : Current >= Last                          ? "  live"
                                                                 : "");
        return Text;
    }
    const int64_t Seconds = Current * int64_t(MatchTickInterval) / 1000;
    char Text[128];
    std::snprintf(Text, sizeof Text, "tick %" PRId64 "/%" PRId64 "  %" PRId64 ":%02" PRId64 "  %s%s", Current,
                  Last, Seconds / 60, Seconds % 60, ViewerSpeeds[SpeedIndex].Name,
                  Current >= Last ? "  end"
                  : Paused()      ? "  paused"
                  : Lagging()     ? "  cannot keep pace"
                                  : "");
    return Text;
}

void Frm_Replay::Present() {
    Surface &Canvas = DrawingSurface();
    BitBlt(Canvas, 0, 0, Picture.Width, Picture.Height, Picture, 0, 0, SRCCOPY);
    FillRect(Canvas, 0, Picture.Height, Canvas.Width, ViewerLineHeight, LineBack);
    DrawText(Canvas, 4, Picture.Height + 1, LineText(), GetFont(LineFontPixels), LineColour, false);
    Invalidate();
}

void RunWatchViewer(LiveFeed &Feed, const std::string &Room) {
    Frm_Replay Viewer(Feed, Room);
    Viewer.Show();
    RunEventLoop();
}

void RunReplayViewer(const Typ_Replay &Replay, int64_t StartTick) {
    Frm_Replay Viewer(Replay, StartTick);
    Viewer.Show();
    RunEventLoop();
}
