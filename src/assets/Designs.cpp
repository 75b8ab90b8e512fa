#include "assets/Designs.h"

#include "assets/Pictures.h"

namespace {

constexpr int32_t Yellow = RGB(255, 255, 0);
constexpr int32_t Black = RGB(0, 0, 0);
constexpr int32_t NoBack = 0; // the back colour of a transparent label, never shown
constexpr int32_t PlayBack = RGB(128, 128, 255);
constexpr int32_t SelectFont = 37;

} // namespace

// "ボール" over "バンプ" over a great "Ｚ": the ball, the bump, and the Z of Zorbump. The two words'
// labels are as tall as the typeface's line (44 pixels at this height), so their letters show whole
// rather than cut off at the bottom.
const LabelDesign TitleWordDesigns[3] = {
    {"ボール", 36, 44, 109, 44, Yellow, NoBack, false, 35, Alignment::Left},
    {"バンプ", 84, 76, 117, 44, RGB(0, 0, 255), NoBack, false, 35, Alignment::Left},
    {"Ｚ", 140, 32, 97, 101, RGB(255, 0, 255), NoBack, false, 96, Alignment::Left},
};

const LabelDesign PlayerItemDesigns[4] = {
    {"", 0, 0, 0, 0, 0, 0, false, 13, Alignment::Centre},
    {"1PLAYER GAME", 76, 152, 109, 17, HighlightColour, NoBack, false, 13, Alignment::Centre},
    {"2PLAYERS GAME", 76, 172, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
    {"EXIT", 76, 212, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
};

const LabelDesign OnlineItemDesign = {"ONLINE", 76, 192, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre};

const LabelDesign MeetHeadingDesign = {"ONLINE", 28, 48, 200, 40, Yellow, NoBack, false, 35, Alignment::Centre};
const LabelDesign MeetPlaceDesign = {"", 8, 96, 240, 17, ItemColour, NoBack, false, 13, Alignment::Centre};
const LabelDesign MeetItemDesigns[5] = {
    {"QUICK MATCH", 76, 132, 109, 17, HighlightColour, NoBack, false, 13, Alignment::Centre},
    {"NEW ROOM", 76, 152, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
    {"JOIN ROOM", 76, 172, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
    {"WATCH", 76, 192, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
    {"BACK", 76, 212, 109, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
};

const LabelDesign CodeHeadingDesign = {"", 8, 60, 240, 17, Yellow, NoBack, false, 13, Alignment::Centre};
const LabelDesign CodeLetterDesigns[4] = {
    {"", 48, 96, 36, 44, ItemColour, CodeLetterBack, true, 35, Alignment::Centre},
    {"", 92, 96, 36, 44, ItemColour, CodeLetterBack, true, 35, Alignment::Centre},
    {"", 136, 96, 36, 44, ItemColour, CodeLetterBack, true, 35, Alignment::Centre},
    {"", 180, 96, 36, 44, ItemColour, CodeLetterBack, true, 35, Alignment::Centre},
};
const LabelDesign CodeHintDesigns[2] = {
    {"TYPE THE LETTERS - ENTER", 8, 172, 240, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
    {"BACKSPACE ERASES - ESC BACK", 8, 192, 240, 17, ItemColour, NoBack, false, 13, Alignment::Centre},
};

const LabelDesign PlayDesigns[4] = {
    {"1P", 0, 204, 69, 21, RGB(255, 0, 0), PlayBack, true, 21, Alignment::Centre},
    {"1P", 92, 204, 69, 21, RGB(255, 255, 0), PlayBack, true, 21, Alignment::Centre},
    {"1P", 316, 204, 69, 21, RGB(0, 255, 0), PlayBack, true, 21, Alignment::Centre},
    {"1P", 412, 204, 69, 21, RGB(0, 0, 255), PlayBack, true, 21, Alignment::Centre},
};

const PictureDesign FaceDesigns[4] = {
    {0, 224, 68, 64},
    {92, 224, 68, 64},
    {316, 224, 68, 64},
    {412, 224, 68, 64},
};

const LabelDesign SelectTitleDesigns[5] = {
    {"PLAYERS", 100, 36, 149, 41, RGB(255, 128, 0), NoBack, false, SelectFont, Alignment::Left},
    {"SELECT", 240, 64, 149, 41, RGB(128, 255, 255), NoBack, false, SelectFont, Alignment::Left},
    {"PLAYERS", 104, 44, 149, 41, Black, NoBack, false, SelectFont, Alignment::Left},
    {"SELECT", 248, 72, 149, 41, Black, NoBack, false, SelectFont, Alignment::Left},
    {"Push Enter 決定", 156, 304, 173, 25, Yellow, NoBack, false, 19, Alignment::Left},
};

const LabelDesign OnlineLineDesign = {"", 8, 12, 464, 17, Black, NoBack, false, 13, Alignment::Centre};

void DressWindow(Form &Window) {
    const Typ_WindowPictures &Pictures = GetWindowPictures();
    Window.SetIcon(&Pictures.Icon32, &Pictures.Icon32Mask);
    Window.SetMousePointer(&Pictures.Cursor, &Pictures.CursorMask, CursorHotX, CursorHotY);
}
