#include "platform/SdlScreen.h"

#include <algorithm>
#include <cstdlib>

#include "platform/SdlSystem.h"

namespace {

// The frame a window manager puts around a window, counted when choosing the scale: borders of a
// few pixels each side and a caption bar. Under a screen with no window manager it costs at most
// one step of scale on an unusually tight fit.
constexpr int32_t FrameWidth = 16;
constexpr int32_t FrameHeight = 48;

// The match window is the largest: the scale that fits it is the scale of every window.
constexpr int32_t MatchWidth = 480;
constexpr int32_t MatchHeight = 360;

// A picture with transparency for SDL, Scale times its size: where the mask is white the picture is
// see-through.
SDL_Surface *MaskedPicture(const Surface &Image, const Surface *Mask, int32_t Scale) {
    SDL_Surface *Argb = SDL_CreateRGBSurfaceWithFormat(0, Image.Width * Scale, Image.Height * Scale, 32,
                                                       SDL_PIXELFORMAT_ARGB8888);
    if (Argb == nullptr) {
        return nullptr;
    }
    for (int32_t Y = 0; Y < Argb->h; ++Y) {
        auto *Row = reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(Argb->pixels) + Y * Argb->pitch);
        for (int32_t X = 0; X < Argb->w; ++X) {
            const uint32_t Pixel = Image.At(X / Scale, Y / Scale);
            const bool Clear = Mask != nullptr && (Mask->At(X / Scale, Y / Scale) & 0xFFFFFF) == 0xFFFFFF;
            const uint32_t Red = Pixel & 0xFF, Green = (Pixel >> 8) & 0xFF, Blue = (Pixel >> 16) & 0xFF;
            Row[X] = Clear ? 0 : (0xFF000000u | Red << 16 | Green << 8 | Blue);
        }
    }
    return Argb;
}

} // namespace

SdlScreen::SdlScreen(const DisplayOptions &Chosen) : Options(Chosen) {}

SdlScreen::~SdlScreen() {
    for (auto &Each : Windows) {
        if (Each.second.Window != nullptr) {
            SDL_DestroyWindow(Each.second.Window);
        }
    }
    for (auto &Each : Pointers) {
        SDL_FreeCursor(Each.second);
    }
}

// The largest whole scale at which the match window and its frame fit the usable area of the
// display the game opens on, counted in real pixels where a display has more pixels than points.
void SdlScreen::ChooseScale(SDL_Window *Probe) {
    int PointsWide = 0, PointsHigh = 0, PixelsWide = 0, PixelsHigh = 0;
    SDL_GetWindowSize(Probe, &PointsWide, &PointsHigh);
    SDL_GetWindowSizeInPixels(Probe, &PixelsWide, &PixelsHigh);
    if (PointsWide > 0 && PixelsWide > PointsWide) {
        PixelsPerPoint = static_cast<double>(PixelsWide) / PointsWide;
    }
    if (Options.Scale > 0) {
        Scale = Options.Scale;
        return;
    }
    int Display = SDL_GetWindowDisplayIndex(Probe);
    SDL_Rect Usable{0, 0, MatchWidth, MatchHeight};
    if (Display < 0 || SDL_GetDisplayUsableBounds(Display, &Usable) != 0) {
        SDL_GetDisplayUsableBounds(0, &Usable);
    }
    Scale = ScaleThatFits(static_cast<int32_t>(Usable.w * PixelsPerPoint),
                          static_cast<int32_t>(Usable.h * PixelsPerPoint), MatchWidth, MatchHeight,
                          static_cast<int32_t>(FrameWidth * PixelsPerPoint),
                          static_cast<int32_t>(FrameHeight * PixelsPerPoint));
}

void SdlScreen::SizeWindow(Entry &Each) const {
    const int Wide = static_cast<int>(Each.Width * Scale / PixelsPerPoint + 0.5);
    const int High = static_cast<int>(Each.Height * Scale / PixelsPerPoint + 0.5);
    SDL_SetWindowSize(Each.Window, Wide, High);
}

// A window is made on the screen when it is first shown: the match window, loaded hidden behind
// the title, costs the start-up nothing.
uint32_t SdlScreen::Create(const WindowLook &Look) {
    const uint32_t Id = ++LastId;
    Entry &Each = Windows[Id];
    Each.Look = Look;
    Each.Width = Look.Width;
    Each.Height = Look.Height;
    return Id;
}

SDL_Window *SdlScreen::Made(Entry &Each) {
    if (Each.Window != nullptr) {
        return Each.Window;
    }
    const WindowLook &Look = Each.Look;
    Uint32 Flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (Options.FullScreen) {
        Flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Window *Window = SDL_CreateWindow(Look.Caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, Look.Width, Look.Height, Flags);
    if (Window == nullptr) {
        // Without its window the game could neither be seen nor closed: it ends at once, and says
        // why.
        SDL_LogError(SDL_LOG_CATEGORY_APPLICATION, "Zorbump: cannot create a window: %s", SDL_GetError());
        std::exit(1);
    }
    if (Scale == 0) {
        ChooseScale(Window);
    }
    // Never smaller than the picture at 1x unless the person makes it so.
    SDL_SetWindowMinimumSize(Window, 1, 1);
    if (Look.Icon != nullptr) {
        if (SDL_Surface *Icon = MaskedPicture(*Look.Icon, Look.IconMask, 1)) {
            SDL_SetWindowIcon(Window, Icon);
            SDL_FreeSurface(Icon);
        }
    }
    if (Look.Pointer != nullptr && Look.PointerMask != nullptr && PointerImage == nullptr) {
        PointerImage = Look.Pointer;
        PointerMask = Look.PointerMask;
        PointerHotX = Look.PointerHotX;
        PointerHotY = Look.PointerHotY;
        UsePointerAt(Scale);
    }
    WatchWindowSystem(Window);
    Each.Window = Window;
    SizeWindow(Each);
    return Window;
}

void SdlScreen::Show(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    SDL_Window *Window = Made(It->second);
    if (!Options.FullScreen) {
        SDL_SetWindowPosition(Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    SDL_ShowWindow(Window);
    SDL_RaiseWindow(Window);
    SDL_SetWindowInputFocus(Window);
    ShownLast = Id;
}

void SdlScreen::Hide(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It != Windows.end() && It->second.Window != nullptr) {
        SDL_HideWindow(It->second.Window);
    }
}

void SdlScreen::Retitle(uint32_t Id, const std::string &Caption) {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    It->second.Look.Caption = Caption;
    if (It->second.Window != nullptr) {
        SDL_SetWindowTitle(It->second.Window, Caption.c_str());
    }
}

void SdlScreen::Destroy(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It != Windows.end()) {
        if (It->second.Window != nullptr) {
            SDL_DestroyWindow(It->second.Window);
        }
        Windows.erase(It);
    }
    if (ShownLast == Id) {
        ShownLast = 0;
    }
}

void SdlScreen::Present(uint32_t Id, const Surface &Frame) {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    Entry &Each = It->second;
    if (Each.Window == nullptr) {
        return; // never shown, nothing to show on
    }
    SDL_Surface *Screen = SDL_GetWindowSurface(Each.Window);
    if (Screen == nullptr) {
        return;
    }
    if (Screen->w != Each.OutputWidth || Screen->h != Each.OutputHeight) {
        Each.OutputWidth = Screen->w;
        Each.OutputHeight = Screen->h;
        Each.Layout = FitPicture(Screen->w, Screen->h, Frame.Width, Frame.Height);
        Each.Borders = true;
        UsePointerAt(Each.Layout.Scale);
    }
    const PictureLayout &Layout = Each.Layout;
    if (Screen->format->BytesPerPixel == 4) {
        // Only what changed since the last frame is drawn and sent to the display: in a match that
        // is the characters and the ball, a small part of the picture.
        if (Each.Borders) {
            Each.Shown = Surface();
        }
        const std::vector<PictureBlock> Changed = TakeChanges(Frame, Each.Shown);
        if (Changed.empty() && !Each.Borders) {
            return;
        }
        if (SDL_MUSTLOCK(Screen) && SDL_LockSurface(Screen) != 0) {
            Each.Borders = true;
            return;
        }
        const OutputPixels Output = OutputOf(Screen);
        if (Each.Borders) {
            DrawScaled(Output, Frame, Layout, true);
        } else {
            for (const PictureBlock &Block : Changed) {
                DrawScaledBlock(Output, Frame, Layout, Block);
            }
        }
        if (SDL_MUSTLOCK(Screen)) {
            SDL_UnlockSurface(Screen);
        }
        if (Each.Borders) {
            SDL_UpdateWindowSurface(Each.Window);
            Each.Borders = false;
            return;
        }
        // One request to the display, the box around every change: a frame arrives whole, never
        // block by block.
        PictureBlock Box = Changed.front();
        for (const PictureBlock &Block : Changed) {
            Box.Left = std::min(Box.Left, Block.Left);
            Box.Right = std::max(Box.Right, Block.Right);
            Box.Bottom = Block.Bottom;
        }
        SDL_Rect Rect{std::max(Layout.Left + Box.Left * Layout.Scale, 0),
                      std::max(Layout.Top + Box.Top * Layout.Scale, 0), 0, 0};
        Rect.w = std::min(Layout.Left + Box.Right * Layout.Scale, Screen->w) - Rect.x;
        Rect.h = std::min(Layout.Top + Box.Bottom * Layout.Scale, Screen->h) - Rect.y;
        if (Rect.w > 0 && Rect.h > 0) {
            SDL_UpdateWindowSurfaceRects(Each.Window, &Rect, 1);
        }
        return;
    }
    // An unusual screen: SDL converts and stretches (by the same whole number) instead, the whole
    // picture each time.
    SDL_Surface *View =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t *>(Frame.Pixels.data()), Frame.Width,
                                           Frame.Height, 32, Frame.Width * 4, SDL_PIXELFORMAT_XBGR8888);
    if (View == nullptr) {
        return;
    }
    if (Each.Borders) {
        SDL_FillRect(Screen, nullptr, SDL_MapRGB(Screen->format, 0, 0, 0));
        Each.Borders = false;
    }
    SDL_Rect Place{Layout.Left, Layout.Top, Frame.Width * Layout.Scale, Frame.Height * Layout.Scale};
    SDL_BlitScaled(View, nullptr, Screen, &Place);
    SDL_FreeSurface(View);
    SDL_UpdateWindowSurface(Each.Window);
}

void SdlScreen::ToggleFullScreen() {
    Options.FullScreen = !Options.FullScreen;
    for (auto &Each : Windows) {
        if (Each.second.Window == nullptr) {
            continue; // made full screen or not when first shown
        }
        SDL_SetWindowFullscreen(Each.second.Window, Options.FullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!Options.FullScreen) {
            // Back to the size it opened at, centred.
            SizeWindow(Each.second);
            SDL_SetWindowPosition(Each.second.Window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
        Each.second.OutputWidth = -1;
    }
}

void SdlScreen::Resized(uint32_t Id) {
    auto It = Windows.find(Id);
    if (It != Windows.end()) {
        It->second.OutputWidth = -1;
    }
}

void SdlScreen::ToDrawingArea(uint32_t Id, int32_t &X, int32_t &Y) const {
    auto It = Windows.find(Id);
    if (It == Windows.end()) {
        return;
    }
    const Entry &Each = It->second;
    if (Each.Window == nullptr) {
        return;
    }
    int PointsWide = 0, PointsHigh = 0, PixelsWide = 0, PixelsHigh = 0;
    SDL_GetWindowSize(Each.Window, &PointsWide, &PointsHigh);
    SDL_GetWindowSizeInPixels(Each.Window, &PixelsWide, &PixelsHigh);
    if (PointsWide > 0 && PointsHigh > 0) {
        X = static_cast<int32_t>(static_cast<int64_t>(X) * PixelsWide / PointsWide);
        Y = static_cast<int32_t>(static_cast<int64_t>(Y) * PixelsHigh / PointsHigh);
    }
    const PictureLayout Layout =
        Each.OutputWidth >= 0 ? Each.Layout : FitPicture(PixelsWide, PixelsHigh, Each.Width, Each.Height);
    X = Layout.PictureX(X);
    Y = Layout.PictureY(Y);
}

uint32_t SdlScreen::WindowOf(uint32_t SdlWindowId) const {
    for (const auto &Each : Windows) {
        if (Each.second.Window != nullptr && SDL_GetWindowID(Each.second.Window) == SdlWindowId) {
            return Each.first;
        }
    }
    return 0;
}

uint32_t SdlScreen::Focused() const {
    if (SDL_Window *Window = SDL_GetKeyboardFocus()) {
        for (const auto &Each : Windows) {
            if (Each.second.Window == Window) {
                return Each.first;
            }
        }
    }
    return ShownLast;
}

void SdlScreen::UsePointerAt(int32_t NewScale) {
    if (PointerImage == nullptr || NewScale == PointerScale) {
        return;
    }
    SDL_Cursor *&Pointer = Pointers[NewScale];
    if (Pointer == nullptr) {
        SDL_Surface *Argb = MaskedPicture(*PointerImage, PointerMask, NewScale);
        if (Argb == nullptr) {
            return;
        }
        Pointer = SDL_CreateColorCursor(Argb, PointerHotX * NewScale, PointerHotY * NewScale);
        SDL_FreeSurface(Argb);
    }
    if (Pointer != nullptr) {
        SDL_SetCursor(Pointer);
        PointerScale = NewScale;
    }
}
