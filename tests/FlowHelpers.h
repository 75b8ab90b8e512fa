// Shared set-up for the tests of the windows: a fresh game on the headless window system, whose
// virtual clock runs only as fast as the scripted events and the timers need.
#pragma once

#include <vector>

#include "records/BasCmnDef.h"
#include "platform/HeadlessBackend.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"
#include "platform/Toolkit.h"

class HeadlessRun {
  public:
    HeadlessRun() {
        ClearGameState();
        ReleaseScriptedKeys();
        ResetRnd();
        ResetProgramEnd();
        SetBackend(&Screen);
    }
    ~HeadlessRun() {
        SetBackend(nullptr);
        ResetProgramEnd();
        ReleaseScriptedKeys();
    }
    HeadlessRun(const HeadlessRun &) = delete;
    HeadlessRun &operator=(const HeadlessRun &) = delete;

    // The window that has the focus, if it is of the given kind.
    template <typename Window> static Window *Focused() { return dynamic_cast<Window *>(FocusedForm()); }

    // Runs Step Millis after now (from inside another step) or after the start.
    void After(uint64_t Millis, std::function<void()> Step) {
        Screen.At(Screen.NowMillis() + Millis, std::move(Step));
    }

    // How many lines of the screen log read exactly What.
    int Count(const std::string &What) const {
        int Found = 0;
        for (const std::string &Line : Screen.Log()) {
            Found += Line == What ? 1 : 0;
        }
        return Found;
    }

    HeadlessBackend Screen;
};

// True when some pixel of the rectangle has exactly this colour.
inline bool HasColour(const Surface &Frame, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                      int32_t Colour) {
    for (int32_t Row = Y; Row < Y + Height && Row < Frame.Height; ++Row) {
        for (int32_t Column = X; Column < X + Width && Column < Frame.Width; ++Column) {
            if (Frame.At(Column, Row) == static_cast<uint32_t>(Colour)) {
                return true;
            }
        }
    }
    return false;
}
