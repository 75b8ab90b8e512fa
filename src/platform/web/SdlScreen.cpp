#include "platform/SdlScreen.h"

#include <cstdlib>

namespace {

// The page's one canvas, made with the first window and kept to the end.
SDL_Window *Canvas = nullptr;

} // namespace

// The page scales the canvas itself (by whole numbers, to fit the browser's window): the canvas
// holds the window in front at 1x.
SdlScreen::SdlScreen(const DisplayOptions &Chosen) : Options(Chosen), Scale(1) {}

SdlScreen::~SdlScreen() {
    if (Canvas != nullptr) {
        SDL_DestroyWindow(Canvas);
        Canvas = nullptr;
    }
}

uint32_t SdlScreen::Create(const WindowLook &Look) {
    if (Canvas == nullptr) {
        Canvas = SDL_CreateWindow(Look.Caption.c_str(), 0, 0, Look.Width, Look.Height, 0);
        if (Canvas == nullptr) {
            SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "Zorbump: cannot use the page's canvas: %s",
                         SDL_GetError());
            std::exit(1);
        }
    }
    const uint32_t Id = ++LastId;
    Entry &Each = Windows[Id];
    Each.Window = Canvas;
    Each.Width = Look.Width;
    Each.Height = Look.Height;
    return Id;
}

void SdlScreen::Show(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    It->second.Visible = true;
    ShownLast = Id;
    int Wide = 0, High = 0;
    SDL_GetWindowSize(Canvas, &Wide, &High);
    if (Wide != It->second.Width || High != It->second.Height) {
        SDL_SetWindowSize(Canvas, It->second.Width, It->second.Height);
    }
    SDL_SetWindowTitle(Canvas, "Zorbump");
    It->second.OutputWidth = -1;
}

void SdlScreen::Retitle(uint32_t, const std::string &) {
    // The page's canvas has no title bar of its own.
}

void SdlScreen::Hide(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    It->second.Visible = false;
    if (ShownLast == Id) {
        // The window beneath comes to the front: the latest other visible one.
        ShownLast = 0;
        for (const auto &Each : Windows) {
            if (Each.second.Visible) {
                ShownLast = Each.first;
            }
        }
        if (ShownLast != 0) {
            Show(ShownLast);
        }
    }
}

void SdlScreen::Destroy(uint32_t Id) {
    Hide(Id);
    Windows.erase(Id);
}

void SdlScreen::Present(uint32_t Id, const Surface &Frame) {
    if (Id != ShownLast) {
        return; // behind the window in front: the page does not show it
    }
    Entry &Each = Windows[Id];
    SDL_Surface *Screen = SDL_GetWindowSurface(Canvas);
    if (Screen == nullptr || Screen->format->BytesPerPixel != 4) {
        return;
    }
    Each.Layout = FitPicture(Screen->w, Screen->h, Frame.Width, Frame.Height);
    const OutputPixels Output = OutputOf(Screen);
    DrawScaled(Output, Frame, Each.Layout, true);
    SDL_UpdateWindowSurface(Canvas);
}

void SdlScreen::ToggleFullScreen() {
    Options.FullScreen = !Options.FullScreen;
    SDL_SetWindowFullscreen(Canvas, Options.FullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlScreen::Resized(uint32_t) {}

void SdlScreen::ToDrawingArea(uint32_t, int32_t &, int32_t &) const {
    // SDL already gives the canvas's own pixels, whatever size the page shows it at.
}

uint32_t SdlScreen::WindowOf(uint32_t) const {
    return ShownLast;
}

uint32_t SdlScreen::Focused() const {
    return ShownLast;
}

void SdlScreen::UsePointerAt(int32_t) {}
void SdlScreen::ChooseScale(SDL_Window *) {}
void SdlScreen::SizeWindow(Entry &) const {}
