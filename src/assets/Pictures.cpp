#include "assets/Pictures.h"

#include "assets/Sheets.h"

Typ_WindowPictures BuildWindowPictures() {
    Typ_WindowPictures All;
    All.Title = BuildTitlePicture();
    BuildIcon(32, All.Icon32, All.Icon32Mask);
    BuildIcon(16, All.Icon16, All.Icon16Mask);
    BuildCursor(All.Cursor, All.CursorMask);
    return All;
}

Typ_Pictures BuildPictures() {
    Typ_Pictures All;
    All.Pic_Tumbler = BuildTumblerSheet();
    All.Pic_Ball = BuildBallSheet();
    All.Pic_Kouka = BuildAuraSheet();
    All.Pic_Back = BuildCourt();
    for (int32_t Index = 0; Index < 4; ++Index) {
        All.Pic_Kao[Index] = BuildFace(Index);
    }
    return All;
}

const Typ_WindowPictures &GetWindowPictures() {
    static const Typ_WindowPictures All = BuildWindowPictures();
    return All;
}

const Typ_Pictures &GetPictures() {
    static const Typ_Pictures All = BuildPictures();
    return All;
}
