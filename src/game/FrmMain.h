// The match window, the program's start-up window: its handlers carry the program from the title
// to the select screen to a match and back, pause and abandon a match, and end the program.
#pragma once

#include <memory>
#include <string>

#include "game/OnlineFlow.h"
#include "platform/Toolkit.h"
#include "replay/ReplayMatch.h"

class Frm_Title;
class Frm_Select;

class Frm_Main final : public Form {
  public:
    // Online, the session runs the screens while it lasts.
    // With a folder, every local match played is kept there as a replay file.
    explicit Frm_Main(OnlineFlow *Online = nullptr, const std::string &RecordDir = "");
    ~Frm_Main();

    // The start-up sequence: the title, then the select screen, then a new match.
    void Form_Load() override;
    void Form_KeyDown(int16_t KeyCode, int16_t Shift) override;
    void Form_Unload(int16_t &Cancel) override;
    void Tim_Main_Timer();

    // The menu windows while they are shown, each created afresh for its visit.
    Frm_Title *TitleWindow() const { return Title.get(); }
    Frm_Select *SelectWindow() const { return Select.get(); }

    Timer Tim_Main;

  private:
    OnlineFlow *Online;
    bool PlayingOnline = false; // the match on the window is the session's, even once it has ended
    std::unique_ptr<Frm_Title> Title;
    std::unique_ptr<Frm_Select> Select;
    std::string RecordDir;
    ReplayRecorder Recorder;
    // The sprite sheets and the court, never shown: sources of the rectangles every frame is copied
    // from. They are drawn when the window first shows a match, not before the title.
    std::unique_ptr<PictureBox> Pic_Tumbler, Pic_Ball, Pic_Kouka, Pic_Back;
    void UseMatchPictures();
    // The match being kept, if any, is written now: it has been won, left or closed.
    void KeepMatch();
};

// Runs the game on the backend in use: loads the match window and handles events until the
// program ends. With a session, it starts with the session's screens.
void RunProgram(OnlineFlow *Online = nullptr, const std::string &RecordDir = "");
