// The game's windows on an SDL screen: each shows its finished 1x surface at a whole-number scale,
// centred on black, in a window that can be resized or made full screen. Nothing here draws: the
// pictures arrive finished and are only copied larger. On the desktop (desktop/SdlScreen.cpp) each
// window is a window of its own; in the browser (web/SdlScreen.cpp) the page's one canvas shows
// whichever window is in front.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/DisplayOptions.h"
#include "platform/Scaling.h"
#include "platform/ToolkitBackend.h"

// A 32-bit SDL surface as the whole-number scaler's output.
OutputPixels OutputOf(SDL_Surface *Screen);

class SdlScreen {
  public:
    explicit SdlScreen(const DisplayOptions &Options);
    ~SdlScreen();
    SdlScreen(const SdlScreen &) = delete;
    SdlScreen &operator=(const SdlScreen &) = delete;

    uint32_t Create(const WindowLook &Look);
    void Show(uint32_t Id);
    void Hide(uint32_t Id);
    void Destroy(uint32_t Id);
    void Retitle(uint32_t Id, const std::string &Caption);
    void Present(uint32_t Id, const Surface &Frame);

    // Desktop full screen on or off, for every window now and every one made later.
    void ToggleFullScreen();
    bool FullScreen() const { return Options.FullScreen; }
    // The window's size on the screen changed, or what it showed was lost: its next frame is shown
    // whole, black surround and all.
    void Resized(uint32_t Id);
    // A point of a window, as SDL reports it, in the pixels of that window's drawing area.
    void ToDrawingArea(uint32_t Id, int32_t &X, int32_t &Y) const;
    // The window that takes key presses: the one with the keyboard focus, else the one shown last.
    uint32_t Focused() const;
    // The game's window that an SDL event of this SDL window belongs to.
    uint32_t WindowOf(uint32_t SdlWindowId) const;
    // The whole-number scale the windows opened at.
    int32_t StartScale() const { return Scale; }
    // Every window's id, for telling them all to repaint.
    template <typename Each> void ForEach(Each Visit) const {
        for (const auto &Entry : Windows) {
            Visit(Entry.first);
        }
    }

  private:
    struct Entry {
        SDL_Window *Window = nullptr;
        int32_t Width = 0, Height = 0; // the drawing area
        PictureLayout Layout;
        int32_t OutputWidth = -1, OutputHeight = -1;
        bool Borders = true;
        bool Visible = false;
        Surface Shown; // the picture on the screen, to send only what changes
        WindowLook Look;             // what the window is made with, when first shown
    };

    SDL_Window *Made(Entry &Each);
    void ChooseScale(SDL_Window *Probe);
    void SizeWindow(Entry &Each) const;
    void UsePointerAt(int32_t PointerScale);

    DisplayOptions Options;
    int32_t Scale = 0; // 0 until the first window is made
    // The desktop's alone (the page scales the canvas itself and keeps the browser's pointer).
    [[maybe_unused]] double PixelsPerPoint = 1; // more than 1 on a high-density display
    std::map<uint32_t, Entry> Windows;
    uint32_t ShownLast = 0;
    uint32_t LastId = 0; // the windows are numbered by the game
    // The mouse pointer, shared by every window, at each scale it has been shown at.
    [[maybe_unused]] const Surface *PointerImage = nullptr;
    [[maybe_unused]] const Surface *PointerMask = nullptr;
    [[maybe_unused]] int32_t PointerHotX = 0, PointerHotY = 0;
    std::map<int32_t, SDL_Cursor *> Pointers;
    [[maybe_unused]] int32_t PointerScale = 0;
};
