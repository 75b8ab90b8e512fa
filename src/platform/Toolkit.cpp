// The toolkit's windows, controls, timers and event loop, the same whichever backend shows them.
#include "platform/Toolkit.h"

#include <algorithm>
#include <limits>

#include "platform/Font.h"
#include "platform/Pads.h"
#include "platform/ToolkitBackend.h"

namespace {

Backend *TheBackend = nullptr;
bool Ending = false;
std::vector<Form *> LoadedForms; // in the order they were loaded
std::vector<Form *> ShownForms;  // visible windows, the one shown last at the end
std::vector<Form *> ModalForms;  // the windows whose modal runs are active, innermost last
KeyListener HeardKeys = nullptr;
int16_t KeptKey = 0; // the key the listener took last, whose repeats it keeps too

struct WatchedSocket {
    intptr_t Socket;
    std::function<void()> Handler;
};
std::vector<WatchedSocket> SocketHandlers;

// Colours of a sunken frame and of an empty picture box.
constexpr uint32_t FrameShadow = 0x808080;
constexpr uint32_t FrameDarkShadow = 0x000000;
constexpr uint32_t FrameHighlight = 0xFFFFFF;
constexpr uint32_t FrameLight = 0xC0C0C0;
constexpr uint32_t ButtonFace = 0xC0C0C0;

uint64_t Now() {
    return TheBackend->NowMicros();
}

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

Form *FindForm(uint32_t Window) {
    for (Form *Candidate : LoadedForms) {
        if (Candidate->WindowId() == Window) {
            return Candidate;
        }
    }
    return nullptr;
}

bool IsLoaded(const Form *Candidate) {
    return std::find(LoadedForms.begin(), LoadedForms.end(), Candidate) != LoadedForms.end();
}

// While a window runs modally, the windows beneath it take no input.
bool TakesInput(const Form *Target) {
    return ModalForms.empty() || ModalForms.back() == Target;
}

void PaintAll() {
    const std::vector<Form *> Forms = LoadedForms;
    for (Form *Each : Forms) {
        Each->PaintIfNeeded();
    }
}

void Dispatch(const ToolkitEvent &Event) {
    if (Event.Type == ToolkitEvent::Quit) {
        EndProgram();
        return;
    }
    Form *Target = FindForm(Event.Window);
    if (Target == nullptr) {
        return;
    }
    switch (Event.Type) {
    case ToolkitEvent::KeyDown:
        // A held key's repeats go where its first press went, so holding M does not flicker the
        // sound on and off.
        if (Event.Repeat && Event.KeyCode == KeptKey) {
            break;
        }
        KeptKey = 0;
        if (HeardKeys != nullptr && HeardKeys(Event.KeyCode)) {
            KeptKey = Event.KeyCode;
            break;
        }
        if (Target->Visible() && TakesInput(Target)) {
            const int16_t KeyCode = Target->PadKey(Event.KeyCode);
            if (KeyCode != 0) {
                Target->DeliverKey(KeyCode);
            }
        }
        break;
    case ToolkitEvent::MouseDown:
        if (Target->Visible() && TakesInput(Target)) {
            Target->DeliverMouseDown(Event.X, Event.Y);
        }
        break;
    case ToolkitEvent::MouseUp:
        if (Target->Visible() && TakesInput(Target)) {
            Target->DeliverMouseUp(Event.X, Event.Y);
        }
        break;
    case ToolkitEvent::Close:
        if (TakesInput(Target)) {
            Target->Unload(UnloadMode::ClosedByFrame);
        }
        break;
    case ToolkitEvent::Expose:
        Target->Invalidate();
        break;
    default:
        break;
    }
    if (IsLoaded(Target)) {
        Target->Invalidate();
    }
}

// Runs each timer that is due, once. A timer stopped by an earlier tick of this round is skipped.
bool FireDueTimers() {
    std::vector<Timer *> Due;
    const uint64_t At = Now();
    for (Form *Each : LoadedForms) {
        for (Timer *Candidate : Each->FormTimers()) {
            if (Candidate->Running() && Candidate->Due() <= At) {
                Due.push_back(Candidate);
            }
        }
    }
    bool Fired = false;
    for (Timer *Candidate : Due) {
        if (Ending) {
            break;
        }
        bool StillThere = false;
        for (Form *Each : LoadedForms) {
            const std::vector<Timer *> &Timers = Each->FormTimers();
            StillThere = StillThere || std::find(Timers.begin(), Timers.end(), Candidate) != Timers.end();
        }
        if (StillThere && Candidate->Running() && Candidate->Due() <= Now()) {
            Candidate->Fire();
            Fired = true;
        }
    }
    return Fired;
}

// Lets every watched socket's handler look at what arrived. A handler may stop watching any socket.
void ServeSockets() {
    const std::vector<WatchedSocket> Watched = SocketHandlers;
    for (const WatchedSocket &Each : Watched) {
        if (!Ending) {
            Each.Handler();
        }
    }
}

uint64_t NextDue() {
    uint64_t Next = std::numeric_limits<uint64_t>::max();
    for (Form *Each : LoadedForms) {
        for (Timer *Candidate : Each->FormTimers()) {
            if (Candidate->Running()) {
                Next = std::min(Next, Candidate->Due());
            }
        }
    }
    return Next;
}

// One round of the event loop: the timers that are due, then every event already waiting. When
// neither had anything and Wait is set, waits for the next event or timer. Then the watched
// sockets' handlers.
void RunRound(bool Wait) {
    bool Busy = FireDueTimers();
    ToolkitEvent Event;
    while (!Ending && TheBackend->PollEvent(Event)) {
        Dispatch(Event);
        PaintAll();
        Busy = true;
    }
    PaintAll();
    if (!Busy && Wait && !Ending) {
        if (TheBackend->WaitEvent(NextDue(), Event)) {
            Dispatch(Event);
            PaintAll();
        }
    }
    // Last, so that a window a handler unloads ends its modal run before anything is waited for.
    ServeSockets();
    PaintAll();
}

} // namespace

void SetBackend(Backend *NewBackend) {
    TheBackend = NewBackend;
}
Backend *CurrentBackend() {
    return TheBackend;
}

void Sleep(uint32_t Milliseconds) {
    TheBackend->Sleep(Milliseconds);
}

void DoEvents() {
    if (!Ending) {
        RunRound(false);
    }
}

void RunEventLoop() {
    while (!Ending && !LoadedForms.empty()) {
        RunRound(true);
    }
}

void EndProgram() {
    Ending = true;
}
bool ProgramEnding() {
    return Ending;
}
void ResetProgramEnd() {
    Ending = false;
}

void WakeOnSocket(intptr_t Socket, std::function<void()> Handler) {
    StopWakingOnSocket(Socket);
    SocketHandlers.push_back({Socket, std::move(Handler)});
    if (TheBackend != nullptr) {
        TheBackend->WatchSocket(Socket);
    }
}

void StopWakingOnSocket(intptr_t Socket) {
    SocketHandlers.erase(std::remove_if(SocketHandlers.begin(), SocketHandlers.end(),
                                        [Socket](const WatchedSocket &Each) { return Each.Socket == Socket; }),
                         SocketHandlers.end());
    if (TheBackend != nullptr) {
        TheBackend->UnwatchSocket(Socket);
    }
}

Form *FocusedForm() {
    return ShownForms.empty() ? nullptr : ShownForms.back();
}

void SetKeyListener(KeyListener Listener) {
    HeardKeys = Listener;
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
    if (TheBackend != nullptr) {
        DueMicros = Now() + static_cast<uint64_t>(Period) * 1000;
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
    const uint64_t At = Now();
    DueMicros += Step;
    if (DueMicros <= At) {
        DueMicros = At + Step;
    }
    Handler();
    if (IsLoaded(&Owner)) {
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
            TheBackend->HideWindow(Id);
        }
        TheBackend->DestroyWindow(Id);
    }
    Remove(LoadedForms, this);
    Remove(ShownForms, this);
    Remove(ModalForms, this);
}

void Form::SetMousePointer(const Surface *Image, const Surface *Mask, int32_t HotX, int32_t HotY) {
    PointerImage = Image;
    PointerMask = Mask;
    PointerHotX = HotX;
    PointerHotY = HotY;
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
    Id = TheBackend->CreateWindow(Look);
    IsLoaded = true;
    LoadedForms.push_back(this);
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
    if (!IsLoaded || Ending || IsVisible) {
        return;
    }
    IsVisible = true;
    ShownForms.push_back(this);
    TheBackend->ShowWindow(Id);
    Refresh();
}

void Form::ShowModal() {
    Show();
    ModalForms.push_back(this);
    while (IsLoaded && !Ending) {
        RunRound(true);
    }
    Remove(ModalForms, this);
}

void Form::Hide() {
    if (!IsVisible) {
        return;
    }
    IsVisible = false;
    Remove(ShownForms, this);
    TheBackend->HideWindow(Id);
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
    TheBackend->DestroyWindow(Id);
    Id = 0;
    IsLoaded = false;
    PressedLabel = nullptr;
    Remove(LoadedForms, this);
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
    TheBackend->Present(Id, Canvas);
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

int16_t Form::PadKey(int16_t KeyCode) const {
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
