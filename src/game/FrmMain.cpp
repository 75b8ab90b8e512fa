#include "game/FrmMain.h"

#include "assets/Designs.h"
#include "assets/Pictures.h"
#include "audio/Listener.h"
#include "match/Draw.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "records/BasCmnDef.h"
#include "select/FrmSelect.h"
#include "title/FrmTitle.h"

namespace {

// How many rounds of waiting events the closing window lets run out before it goes.
constexpr int PendingRoundsAtClose = 1000;

} // namespace

Frm_Main::Frm_Main(OnlineFlow *Session, const std::string &Folder)
    : Form(MainDesign.Caption, MainDesign.Width, MainDesign.Height),
      Tim_Main(*this, MatchTickInterval, false, [this] { Tim_Main_Timer(); }), Online(Session),
      RecordDir(Folder) {
    DressWindow(*this);
    // A controller's Start pauses and resumes the match, as the space bar does.
    SetPadKeys(VK_SPACE, 0);
    // What a match draws stays on the window until drawn over, also while the match is paused.
    SetPersistent(true);
}

void Frm_Main::UseMatchPictures() {
    if (Pic_Back != nullptr) {
        return;
    }
    const Typ_Pictures &All = GetPictures();
    Pic_Tumbler = std::make_unique<PictureBox>(*this, All.Pic_Tumbler, 0, 0, 320, 352, false, false);
    Pic_Ball = std::make_unique<PictureBox>(*this, All.Pic_Ball, 0, 0, 48, 180, false, false);
    Pic_Kouka = std::make_unique<PictureBox>(*this, All.Pic_Kouka, 0, 0, 96, 144, false, false);
    Pic_Back = std::make_unique<PictureBox>(*this, All.Pic_Back, 0, 0, 480, 360, false, false);
    Gl_Canvas.Screen = &DrawingSurface();
    Gl_Canvas.Pic_Tumbler = &Pic_Tumbler->Picture();
    Gl_Canvas.Pic_Ball = &Pic_Ball->Picture();
    Gl_Canvas.Pic_Kouka = &Pic_Kouka->Picture();
    Gl_Canvas.Pic_Back = &Pic_Back->Picture();
}

Frm_Main::~Frm_Main() {
    KeepMatch(); // a program ended during a match still keeps it
    Gl_Canvas = Typ_MatchCanvas{};
}

void Frm_Main::Form_Load() {
    Tim_Main.SetEnabled(false);
    KeepMatch();
    Hide();
    PlayingOnline = false;
    // The title comes back after an online window left with BACK, and after a session's end.
    for (;;) {
        if (Online != nullptr && Online->Active()) {
            Tim_Main.SetInterval(MatchTickInterval);
            UseMatchPictures();
            if (Online->PrepareMatch()) {
                Show();
                PlayingOnline = true;
                Online->BeginMatch();
                Tim_Main.SetEnabled(true);
                return;
            }
            if (ProgramEnding()) {
                return;
            }
        }
        Title = std::make_unique<Frm_Title>(Online != nullptr && Online->ServerKnown());
        Title->ShowModal();
        const bool ChoseOnline = Title->ChoseOnline;
        Title.reset();
        // The title's exit choice ends the program here; so does closing the title by its frame.
        if (ProgramEnding()) {
            return;
        }
        if (!ChoseOnline) {
            break;
        }
        Online->ChooseOnline();
        if (ProgramEnding()) {
            return;
        }
    }
    if (Gl_PlayerCount == 3) {
        EndProgram();
        return;
    }
    UseMatchPictures();
    Select = std::make_unique<Frm_Select>();
    Select->ShowModal();
    Select.reset();
    if (ProgramEnding()) {
        return;
    }
    Show();
    // The line-up is taken before the match starts: starting it moves everyone up one position.
    if (!RecordDir.empty()) {
        Recorder.BeginFromRecords(ReplayOrigin::Game);
    }
    StartMatch();
    Tim_Main.SetEnabled(true);
}

void Frm_Main::Form_KeyDown(int16_t KeyCode, int16_t) {
    if (PlayingOnline) {
        if (!Online->MatchKey(KeyCode)) {
            Form_Load();
        }
        return;
    }
    switch (KeyCode) {
    case VK_SPACE:
        // Pause or resume; the last frame stays on the window meanwhile.
        Tim_Main.SetEnabled(!Tim_Main.Enabled());
        break;
    case VK_ESCAPE:
        Form_Load();
        break;
    default:
        break;
    }
}

void Frm_Main::Form_Unload(int16_t &) {
    Tim_Main.SetInterval(0);
    KeepMatch();
    // Whatever was already waiting runs out before the window goes; no tick can run any more.
    for (int Round = 0; Round < PendingRoundsAtClose; ++Round) {
        DoEvents();
    }
}

void Frm_Main::Tim_Main_Timer() {
    if (PlayingOnline) {
        if (!Online->MatchTick()) {
            Form_Load();
            return;
        }
        if (Online->TickInterval() != Tim_Main.Interval()) {
            Tim_Main.SetInterval(Online->TickInterval());
        }
        // The players see how many watch in the title bar; the match's picture stays the match's.
        const int Watching = Online->Watchers();
        SetCaption(Watching > 0
                       ? std::string(MainDesign.Caption) + " - " + std::to_string(Watching) + " watching"
                       : std::string(MainDesign.Caption));
        return;
    }
    if (Recorder.Recording()) {
        Recorder.AddHeldTick();
    }
    ListenBeforeTick();
    TickMatch();
    ListenAfterTick();
    // A side has reached 15: the winning tick has been drawn and heard, and the title follows (its
    // fanfare plays over it). Online, the session ends a match once both machines have confirmed
    // its last tick.
    if (Gl_ServeSide == MatchOver) {
        Form_Load();
    }
}

void Frm_Main::KeepMatch() {
    Recorder.KeepIn(RecordDir);
}

void RunProgram(OnlineFlow *Online, const std::string &RecordDir) {
    Frm_Main Main(Online, RecordDir);
    Main.Show();
    RunEventLoop();
}
