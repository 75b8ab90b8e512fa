// The toolkit's windows and controls: forms, labels, picture boxes and timers, drawn into surfaces
// in memory. The event loop (EventLoop.cpp) sits above them and drives them.
#include <algorithm>

#include "platform/Font.h"
#include "platform/FormList.h"
#include "platform/Pads.h"
#include "platform/Toolkit.h"
#include "platform/ToolkitBackend.h"

namespace {

std::vector<Form *> LoadedList; // in the order they were loaded
std::vector<Form *> Shown;      // visible windows, the one shown last at the end
std::vector<Form *> Modal;      // the windows whose modal runs are active, innermost last

// Colours of a sunken frame and of an empty picture box.
constexpr uint32_t FrameShadow = 0x808080;
constexpr uint32_t FrameDarkShadow = 0x000000;
constexpr uint32_t FrameHighlight = 0xFFFFFF;
constexpr uint32_t FrameLight = 0xC0C0C0;
constexpr uint32_t ButtonFace = 0xC0C0C0;

// Fills the part of a rectangle that lies on the surface; a rectangle wholly off it fills nothing.
void Fill(Surface &Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, uint32_t Colour) {
    if (X >= Canvas.Width || Y >= Canvas.Height || X + Width <= 0 || Y + Height <= 0 || Width <= 0 ||
        Height <= 0) {
        return;
    }
    FillRect(Canvas, X, Y, Width, Height, Colour);
}

void Remove(std::vector<Form *> &List, Form *Item) {
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}

} // namespace

const std::vector<Form *> &LoadedForms() {
    return LoadedList;
}

bool IsLoadedForm(const Form *Candidate) {
    return std::find(LoadedList.begin(), LoadedList.end(), Candidate) != LoadedList.end();
}

void EnterModal(Form *Window) {
    Modal.push_back(Window);
}

void LeaveModal(Form *Window) {
    Remove(Modal, Window);
}

bool TakesInput(const Form *Target) {
    return Modal.empty() || Modal.back() == Target;
}

Form *FocusedForm() {
    return Shown.empty() ? nullptr : Shown.back();
}

// Labels.

Label::Label(Form &NewOwner, const LabelDesign &Design)
    : Owner(NewOwner), Text(Design.Caption), X(Design.Left), Y(Design.Top), W(Design.Width), H(Design.Height),
      Fore(Design.ForeColor), Back(Design.BackColor), IsOpaque(Design.Opaque), FontPixels(Design.FontPixels),
      Align(Design.Align) {
    Owner.AddLabel(this);
}

void Label::SetCaption(const std::string &NewCaption) {
    if (NewCaption != Text) {
        Text = NewCaption;
        Owner.Invalidate();
    }
}

void Label::SetForeColor(int32_t Colour) {
    if (Colour != Fore) {
        Fore = Colour;
        Owner.Invalidate();
    }
}

void Label::SetOpaque(bool NewOpaque) {
    if (NewOpaque != IsOpaque) {
        IsOpaque = NewOpaque;
        Owner.Invalidate();
    }
}

void Label::SetLeft(int32_t NewLeft) {
    if (NewLeft != X) {
        X = NewLeft;
        Owner.Invalidate();
    }
}

bool Label::Contains(int32_t PointX, int32_t PointY) const {
    return PointX >= X && PointX < X + W && PointY >= Y && PointY < Y + H;
}

void Label::Draw(Surface &Canvas) const {
    if (IsOpaque) {
        Fill(Canvas, X, Y, W, H, static_cast<uint32_t>(Back));
    }
    if (Text.empty()) {
        return;
    }
    // The text is drawn on a copy of the label's rectangle, so that it is cut off at the label's
    // edges and not only at the window's.
    const Typ_Font &Font = GetFont(FontPixels);
    const int32_t TextX = Align == Alignment::Centre ? (W - TextWidth(Font, Text)) / 2 : 0;
    Surface Area(W, H);
    BitBlt(Area, 0, 0, W, H, Canvas, X, Y, SRCCOPY);
    DrawText(Area, TextX, 0, Text, Font, static_cast<uint32_t>(Fore), false);
    BitBlt(Canvas, X, Y, W, H, Area, 0, 0, SRCCOPY);
}

// Picture boxes.

PictureBox::PictureBox(Form &NewOwner, const Surface &Picture, int32_t Left, int32_t Top, int32_t Width,
                       int32_t Height, bool SunkenFrame, bool Visible)
    : Owner(NewOwner), Image(&Picture), X(Left), Y(Top), W(Width), H(Height), Sunken(SunkenFrame),
      IsVisible(Visible) {
    Owner.AddPicture(this);
}

void PictureBox::SetLeft(int32_t NewLeft) {
    if (NewLeft != X) {
        X = NewLeft;
        Owner.Invalidate();
    }
}

void PictureBox::Draw(Surface &Canvas) const {
    if (!IsVisible) {
        return;
    }
    Fill(Canvas, X, Y, W, H, ButtonFace);
    int32_t Inset = 0;
    if (Sunken) {
        // Outer ring: shadow at the top and left, highlight at the bottom and right; the inner ring
        // darker and lighter, so that the picture looks set into the window.
        Fill(Canvas, X, Y, W, 1, FrameShadow);
        Fill(Canvas, X, Y, 1, H, FrameShadow);
        Fill(Canvas, X, Y + H - 1, W, 1, FrameHighlight);
        Fill(Canvas, X + W - 1, Y, 1, H, FrameHighlight);
        Fill(Canvas, X + 1, Y + 1, W - 2, 1, FrameDarkShadow);
        Fill(Canvas, X + 1, Y + 1, 1, H - 2, FrameDarkShadow);
        Fill(Canvas, X + 1, Y + H - 2, W - 2, 1, FrameLight);
        Fill(Canvas, X + W - 2, Y + 1, 1, H - 2, FrameLight);
        Inset = 2;
    }
    const int32_t InnerW = std::min(W - 2 * Inset, Image->Width);
    const int32_t InnerH = std::min(H - 2 * Inset, Image->Height);
    BitBlt(Canvas, X + Inset, Y + Inset, InnerW, InnerH, *Image, 0, 0, SRCCOPY);
}

// Timers.

Timer::Timer(Form &NewOwner, uint32_t Interval, bool Enabled, std::function<void()> OnTimer)
    : Owner(NewOwner), Period(Interval), IsEnabled(Enabled), Handler(std::move(OnTimer)) {
    Owner.AddTimer(this);
    Restart();
}

void Timer::Restart() {
    if (CurrentBackend() != nullptr) {
        DueMicros = CurrentBackend()->NowMicros() + static_cast<uint64_t>(Period) * 1000;
    }
}

void Timer::SetEnabled(bool NewEnabled) {
    if (NewEnabled != IsEnabled) {
        IsEnabled = NewEnabled;
        if (IsEnabled) {
            Restart();
        }
    }
}

void Timer::SetInterval(uint32_t Milliseconds) {
    Period = Milliseconds;
    Restart();
}

void Timer::Fire() {
    // The next tick is due one period after this one was due, not after it ran, so the ticks keep
    // their mean period. A tick more than a period late puts the next one a whole period away:
    // ticks that were missed are dropped, never run in a burst.
    const uint64_t Step = static_cast<uint64_t>(Period) * 1000;
    const uint64_t At = CurrentBackend()->NowMicros();
    DueMicros += Step;
    if (DueMicros <= At) {
        DueMicros = At + Step;
    }
    Handler();
    if (IsLoadedForm(&Owner)) {
        Owner.Invalidate();
    }
}

// Windows.

Form::Form(const std::string &Caption, int32_t Width, int32_t Height)
    : Title(Caption), Canvas(Width, Height) {}

Form::~Form() {
    if (IsLoaded) {
        // The program is ending: the window goes without its unload handlers.
        if (IsVisible) {
            CurrentBackend()->HideWindow(Id);
        }
        CurrentBackend()->DestroyWindow(Id);
    }
    Remove(LoadedList, this);
    Remove(Shown, this);
    Remove(Modal, this);
}

void Form::SetMousePointer(const Surface *Image, const Surface *Mask, int32_t HotX, int32_t HotY) {
    PointerImage = Image;
    PointerMask = Mask;
    PointerHotX = HotX;
    PointerHotY = HotY;
}

void Form::SetCaption(const std::string &NewCaption) {
    if (NewCaption == Title) {
        return;
    }
    Title = NewCaption;
    if (IsLoaded) {
        CurrentBackend()->RetitleWindow(Id, Title);
    }
}

void Form::Load() {
    if (IsLoaded) {
        return;
    }
    WindowLook Look;
    Look.Caption = Title;
    Look.Width = Canvas.Width;
    Look.Height = Canvas.Height;
    Look.Icon = IconPicture;
    Look.IconMask = IconMask;
    Look.Pointer = PointerImage;
    Look.PointerMask = PointerMask;
    Look.PointerHotX = PointerHotX;
    Look.PointerHotY = PointerHotY;
    Id = CurrentBackend()->CreateWindow(Look);
    IsLoaded = true;
    LoadedList.push_back(this);
    // Timers enabled in the design start counting when their window loads.
    for (Timer *Each : Timers) {
        if (Each->Enabled()) {
            Each->SetInterval(Each->Interval());
        }
    }
    Form_Load();
}

void Form::Show() {
    Load();
    if (!IsLoaded || ProgramEnding() || IsVisible) {
        return;
    }
    IsVisible = true;
    Shown.push_back(this);
    CurrentBackend()->ShowWindow(Id);
    Refresh();
}

void Form::Hide() {
    if (!IsVisible) {
        return;
    }
    IsVisible = false;
    Remove(Shown, this);
    CurrentBackend()->HideWindow(Id);
}

void Form::Unload(UnloadMode Mode) {
    if (!IsLoaded || Unloading) {
        return;
    }
    Unloading = true;
    int16_t Cancel = 0;
    Form_QueryUnload(Cancel, Mode);
    if (Cancel == 0) {
        Form_Unload(Cancel);
    }
    Unloading = false;
    if (Cancel != 0) {
        return;
    }
    Hide();
    CurrentBackend()->DestroyWindow(Id);
    Id = 0;
    IsLoaded = false;
    PressedLabel = nullptr;
    Remove(LoadedList, this);
}

void Form::Refresh() {
    NeedsPaint = true;
    PaintIfNeeded();
}

void Form::PaintIfNeeded() {
    if (!NeedsPaint || !IsLoaded || !IsVisible) {
        return;
    }
    Compose();
    CurrentBackend()->Present(Id, Canvas);
    NeedsPaint = false;
}

void Form::Compose() {
    if (IsPersistent) {
        return;
    }
    if (BackPicture != nullptr) {
        BitBlt(Canvas, 0, 0, Canvas.Width, Canvas.Height, *BackPicture, 0, 0, SRCCOPY);
    } else {
        Fill(Canvas, 0, 0, Canvas.Width, Canvas.Height, ButtonFace);
    }
    for (const Label *Each : Labels) {
        Each->Draw(Canvas);
    }
    for (const PictureBox *Each : Pictures) {
        Each->Draw(Canvas);
    }
}

Label *Form::LabelAt(int32_t X, int32_t Y) const {
    for (auto It = Labels.rbegin(); It != Labels.rend(); ++It) {
        if ((*It)->Contains(X, Y)) {
            return *It;
        }
    }
    return nullptr;
}

int16_t Form::PadKey(int16_t KeyCode, bool FromPad) const {
    if (FromPad && TypesLetters) {
        const int16_t Own = PadDirection(KeyCode);
        if (Own != KeyCode) {
            return Own;
        }
    }
    switch (KeyCode) {
    case VK_GAMEPAD_MENU:
        return PadStart;
    case VK_GAMEPAD_A:
        return PadFace;
    default:
        return KeyCode;
    }
}

void Form::DeliverKey(int16_t KeyCode) {
    Form_KeyDown(KeyCode, 0);
}

void Form::DeliverMouseDown(int32_t X, int32_t Y) {
    PressedLabel = LabelAt(X, Y);
}

void Form::DeliverMouseUp(int32_t X, int32_t Y) {
    // A click is a press and a release on the same label.
    Label *Released = LabelAt(X, Y);
    Label *Pressed = PressedLabel;
    PressedLabel = nullptr;
    if (Released != nullptr && Released == Pressed && Released->OnClick) {
        Released->OnClick();
    }
}
