// The viewer: a kept match in the match window, drawn exactly as it was played, with a line below
// the court saying the tick, the time and the speed. Space pauses and resumes; while paused the
// right arrow steps one tick; the up and down arrows change the speed; the left arrow goes back 5
// seconds; Escape closes the viewer.
//
// Watching a room live, the viewer is fed by the server as the match is played: no faster than
// live, and a viewer that comes late (or falls far behind while its watcher has neither paused nor
// gone back) jumps to live at once, running the ticks it missed without drawing them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Toolkit.h"
#include "records/BasCmnDef.h"
#include "replay/LiveFeed.h"
#include "replay/ReplayFile.h"

// The viewer's speeds, slowest first: ticks of the match per tick of 33 ms, as a fraction.
struct ViewerSpeed {
    int32_t Ticks, Per;
    const char *Name;
};
constexpr ViewerSpeed ViewerSpeeds[] = {{1, 4, "1/4x"}, {1, 2, "1/2x"}, {1, 1, "1x"},
                                        {2, 1, "2x"},   {4, 1, "4x"},   {8, 1, "8x"}};
constexpr int ViewerNormalSpeed = 2;
constexpr int32_t ViewerLineHeight = 16; // the strip below the court
constexpr int32_t ViewerBackTicks = 152; // 5 seconds of 33 ms ticks
constexpr int32_t SnapshotEveryTicks = 30;
constexpr uint32_t FeedInterval = 20;    // how often a live viewer takes what arrived
constexpr int32_t LiveCatchUpTicks = 45; // further behind live than this, the viewer jumps

class Frm_Replay final : public Form {
  public:
    // StartTick < 0 plays from the start; otherwise the viewer opens paused at that tick.
    Frm_Replay(const Typ_Replay &Replay, int64_t StartTick);
    // Watching a room: the feed's matches, as they come.
    Frm_Replay(LiveFeed &Feed, const std::string &Room);
    ~Frm_Replay();

    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Tim_Replay_Timer();
    void Tim_Feed_Timer();

    int64_t Tick() const { return Current; }
    int64_t LastTick() const { return Last; }
    bool Paused() const { return !Tim_Replay.Enabled(); }
    int Speed() const { return SpeedIndex; }
    bool Lagging() const;
    // The match's own 480 x 360 picture, as the match window would show it.
    const Surface &MatchPicture() const { return Picture; }
    std::string LineText() const;
    // How many times the viewer has restored a snapshot, and ticks it has run in all.
    int64_t Restores() const { return RestoreCount; }
    int64_t TicksRun() const { return RunCount; }

    Timer Tim_Replay;
    Timer Tim_Feed;

  private:
    void BeginLive();
    void GoTo(int64_t Target);
    void RunTick(bool Drawn);
    void Play(bool On);
    void Restart(); // the speed's clock starts again from now
    void Present();

    const Typ_Replay &Replay;
    int64_t StartAt;
    Surface Picture;
    std::vector<Typ_MatchSnapshot> Snapshots; // after ticks 0, SnapshotEveryTicks, 2 x ...
    int64_t Current = 0;
    int64_t Last;
    int SpeedIndex = ViewerNormalSpeed;
    uint64_t AnchorMicros = 0; // when the speed's clock last started
    int64_t RunSinceAnchor = 0;
    uint64_t LaggingUntil = 0;
    int64_t RestoreCount = 0;
    int64_t RunCount = 0;
    LiveFeed *Live = nullptr; // watching a room
    std::string Room;
    int Shown = 0;       // the feed's matches begun on the viewer
    bool Held = false;   // paused by the watcher
    bool Behind = false; // the watcher paused or went back: no jumping to live after that
    bool Said = false;   // why the watching ended, said once
};

// Runs the viewer on the backend in use until it is closed.
void RunReplayViewer(const Typ_Replay &Replay, int64_t StartTick);
// Runs the viewer on a room's match through the server until it is closed.
void RunWatchViewer(LiveFeed &Feed, const std::string &Room);
