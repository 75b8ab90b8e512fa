// The designs of the game's windows: their sizes and captions, and the place, size, colours
// and font of every control on them. The windows build themselves from these each time they are
// created, so every visit to a screen starts from the same look.
#pragma once

#include <cstdint>

#include "records/BasCmnDef.h"
#include "platform/Toolkit.h"

struct WindowDesign {
    const char *Caption;
    int32_t Width, Height; // the drawing area, without frame and caption bar
};

struct PictureDesign {
    int32_t Left, Top, Width, Height;
};

// The match window.
constexpr WindowDesign MainDesign = {"ZorbumpX", 480, 360};
constexpr uint32_t MatchTickInterval = 33; // milliseconds between ticks of a match
constexpr int32_t MainFontPixels = 37;     // the scores' character height

// The title window and its menu. The menu's items are indexed 1 to 3, as the choice they store.
constexpr WindowDesign TitleDesign = {"Zorbump", 256, 239};
extern const LabelDesign TitleWordDesigns[3];  // the game's name, in large letters
extern const LabelDesign PlayerItemDesigns[4]; // index 0 unused
constexpr int32_t ItemColour = RGB(255, 255, 255);
constexpr int32_t HighlightColour = RGB(255, 0, 0);
constexpr int32_t ChosenColour = RGB(0, 0, 255);
constexpr uint32_t ChoicePause = 1000; // milliseconds the chosen item stays on screen
// With a server known, the menu has a fourth item in its free row, between 2PLAYERS GAME and EXIT.
extern const LabelDesign OnlineItemDesign;

// The online window: how to meet another player through the server, a menu in the title's look.
// Its items are indexed by MeetChoice; the row of WATCH is kept free between JOIN ROOM and BACK.
constexpr WindowDesign MeetDesign = {"Zorbump", 256, 239};
extern const LabelDesign MeetHeadingDesign; // "ONLINE"
extern const LabelDesign MeetPlaceDesign;   // the server's address
extern const LabelDesign MeetItemDesigns[5];

// The window where a room's code is typed: a line saying what for, the four letters, the keys.
constexpr WindowDesign CodeDesign = {"Zorbump", 256, 239};
extern const LabelDesign CodeHeadingDesign;
extern const LabelDesign CodeLetterDesigns[4];
extern const LabelDesign CodeHintDesigns[2];
constexpr int32_t CodeLetterBack = RGB(0, 0, 96);
constexpr int32_t CodeCursorBack = RGB(255, 0, 0);

// The select window.
constexpr WindowDesign SelectDesign = {"Zorbump", 480, 360};
extern const LabelDesign PlayDesigns[4];        // the labels above the faces, by character
extern const PictureDesign FaceDesigns[4];      // the framed faces, by character
extern const LabelDesign SelectTitleDesigns[5]; // "PLAYERS", "SELECT", their shadows, the hint
constexpr uint32_t SelectTickInterval = 100;

// The online window: one line saying what a session is doing (waiting, connecting) or why it ended.
constexpr WindowDesign OnlineDesign = {"Zorbump", 480, 40};
extern const LabelDesign OnlineLineDesign;
constexpr uint32_t NoticeTime = 4000; // milliseconds a notice stays unless a key closes it first

// Gives a window the game's icon and mouse pointer.
void DressWindow(Form &Window);
