// Every picture the game shows, built in memory from the art kept in the source, in two sets: what
// the first window needs (the title picture, the window icon and the mouse pointer), built before
// it shows, and the match window's sprite sheets, the court and the four faces of the select
// window, built when a window first asks for them, once the title is already on the screen.
#pragma once

#include "platform/Surface.h"

struct Typ_WindowPictures {
    Surface Title;                  // 256 x 240: the title window's background
    Surface Icon32, Icon16;         // the window icon
    Surface Icon32Mask, Icon16Mask; // white = transparent, black = shows the icon
    Surface Cursor, CursorMask;     // 32 x 32 pointer; mask white = transparent, black = shows Cursor
};

struct Typ_Pictures {
    Surface Pic_Tumbler; // 320 x 352: eleven poses, four colours, two facings, two mask columns
    Surface Pic_Ball;    // 48 x 180: seven ball cells and the shadow
    Surface Pic_Kouka;   // 96 x 144: three frames of the charge aura
    Surface Pic_Back;    // 480 x 360: the court, also the select window's background
    Surface Pic_Kao[4];  // 64 x 60 each: the faces of characters 0 to 3
};

// Hot spot of the mouse pointer.
constexpr int32_t CursorHotX = 16;
constexpr int32_t CursorHotY = 20;

// Each set is built once on first use and kept for the whole run.
const Typ_WindowPictures &GetWindowPictures();
const Typ_Pictures &GetPictures();
// Builds a fresh set (what the two above do once).
Typ_WindowPictures BuildWindowPictures();
Typ_Pictures BuildPictures();
