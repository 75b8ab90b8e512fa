// The small window toolkit the game's three windows are built from: fixed-size windows with a
// caption, an icon and a mouse pointer; text labels; picture boxes, shown or hidden; timers; modal
// showing with nested event processing; processing of pending events; hide, show and unload.
//
// Every window draws into a 32-bit surface in memory. A backend (SDL2 for the game, a headless one
// with a virtual clock for the tests) only shows finished surfaces and delivers events. Everything
// runs on one thread: timer ticks, key presses and clicks are handled one at a time, each to its end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Surface.h"

class Backend;
class Form;

// Where the toolkit gets its events and shows its windows. The program opens one backend before
// its first window and keeps it for the whole run.
void SetBackend(Backend *NewBackend);
Backend *CurrentBackend();

// Pauses the window thread, handling nothing meanwhile.
void Sleep(uint32_t Milliseconds);

// Handles every event already waiting, and every timer that is due, without waiting for more.
void DoEvents();

// Runs the program's event loop until no window is loaded or the program ends.
void RunEventLoop();

// Work that need not hold up the first window: runs once, first thing in the event loop's next
// round, by when the window shown first is on the screen.
void RunSoon(std::function<void()> Work);

// Ends the program: every modal run and the event loop return as soon as the handler that called
// this returns, and no unload handler runs.
void EndProgram();
bool ProgramEnding();
// Clears the end of a previous run (the tests run the program many times in one process).
void ResetProgramEnd();

// The window that receives key presses: the one shown last that is still visible.
Form *FocusedForm();

// A listener of every key press in the program, whichever window has it: the toolkit calls it
// before the window's Form_KeyDown, and a listener that returns true keeps the key from the window.
// nullptr removes it.
using KeyListener = bool (*)(int16_t KeyCode);
void SetKeyListener(KeyListener Listener);

// A socket whose incoming data wakes the event wait. Its handler runs in every round of the event
// loop while the socket is watched, so that its messages are handled as soon as they arrive.
void WakeOnSocket(intptr_t Socket, std::function<void()> Handler);
void StopWakingOnSocket(intptr_t Socket);

enum class Alignment { Left, Centre };

// What a label looks like when its window is built.
struct LabelDesign {
    const char *Caption;
    int32_t Left, Top, Width, Height;
    int32_t ForeColor;
    int32_t BackColor;
    bool Opaque;
    int32_t FontPixels; // character height of the face
    Alignment Align;
};

// A line of text in a rectangle of its window. A transparent label shows its window beneath and
// around the letters; an opaque one fills its rectangle with its back colour first. The text is
// cut off at the rectangle.
class Label {
  public:
    Label(Form &Owner, const LabelDesign &Design);
    Label(const Label &) = delete;
    Label &operator=(const Label &) = delete;

    const std::string &Caption() const { return Text; }
    int32_t ForeColor() const { return Fore; }
    int32_t BackColor() const { return Back; }
    bool Opaque() const { return IsOpaque; }
    int32_t Left() const { return X; }
    int32_t Top() const { return Y; }
    int32_t Width() const { return W; }
    int32_t Height() const { return H; }

    void SetCaption(const std::string &NewCaption);
    void SetForeColor(int32_t Colour);
    void SetOpaque(bool NewOpaque);
    void SetLeft(int32_t NewLeft);

    // Runs when the label is clicked with the left mouse button.
    std::function<void()> OnClick;

    void Draw(Surface &Canvas) const;
    bool Contains(int32_t PointX, int32_t PointY) const;

  private:
    Form &Owner;
    std::string Text;
    int32_t X, Y, W, H;
    int32_t Fore, Back;
    bool IsOpaque;
    int32_t FontPixels;
    Alignment Align;
};

// A picture in its window, optionally in a two-pixel sunken frame; or, when not visible, a hidden
// holder that keeps its picture as a source of rectangle copies.
class PictureBox {
  public:
    PictureBox(Form &Owner, const Surface &Picture, int32_t Left, int32_t Top, int32_t Width, int32_t Height,
               bool SunkenFrame, bool Visible);
    PictureBox(const PictureBox &) = delete;
    PictureBox &operator=(const PictureBox &) = delete;

    const Surface &Picture() const { return *Image; }
    int32_t Left() const { return X; }
    int32_t Top() const { return Y; }
    bool Visible() const { return IsVisible; }
    void SetLeft(int32_t NewLeft);

    void Draw(Surface &Canvas) const;

  private:
    Form &Owner;
    const Surface *Image;
    int32_t X, Y, W, H;
    bool Sunken;
    bool IsVisible;
};

// Calls its handler every Interval milliseconds while enabled and the interval is not 0. Ticks are
// scheduled from an absolute clock, so the mean period is the interval however long a tick takes;
// a tick that comes late is followed by one tick, never by a burst that catches up. Disabling the
// timer, or setting its interval to 0, stops it at once: no tick already due runs afterwards.
class Timer {
  public:
    Timer(Form &Owner, uint32_t Interval, bool Enabled, std::function<void()> OnTimer);
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    bool Enabled() const { return IsEnabled; }
    uint32_t Interval() const { return Period; }
    void SetEnabled(bool NewEnabled);
    void SetInterval(uint32_t Milliseconds);

    // For the event loop.
    bool Running() const { return IsEnabled && Period > 0; }
    uint64_t Due() const { return DueMicros; }
    void Fire();

  private:
    void Restart();

    Form &Owner;
    uint32_t Period;
    bool IsEnabled;
    uint64_t DueMicros = 0;
    std::function<void()> Handler;
};

// Why a window is being unloaded.
enum class UnloadMode {
    ClosedByFrame, // the person closed it with its frame's close button
    ByProgram,     // the program unloaded it
};

// A top-level window of fixed size. A window is loaded (its Form_Load runs) when it is first shown
// or loaded; its window on the screen exists from then until it is unloaded.
class Form {
  public:
    Form(const std::string &Caption, int32_t Width, int32_t Height);
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    // Events; the handlers of a window override those it has.
    virtual void Form_Load() {}
    virtual void Form_KeyDown(int16_t KeyCode, int16_t Shift) {
        (void)KeyCode;
        (void)Shift;
    }
    virtual void Form_QueryUnload(int16_t &Cancel, UnloadMode Mode) {
        (void)Cancel;
        (void)Mode;
    }
    virtual void Form_Unload(int16_t &Cancel) { (void)Cancel; }

    void Load();
    // Shows the window centred on the screen and gives it the focus.
    void Show();
    // Shows the window and handles events until it is unloaded or the program ends.
    void ShowModal();
    void Hide();
    // Unloads the window: its unload handlers run, and unless one cancels, the window leaves the
    // screen, its timers stop and it is no longer loaded.
    void Unload(UnloadMode Mode = UnloadMode::ByProgram);
    // Repaints the window on the screen at once.
    void Refresh();

    bool Loaded() const { return IsLoaded; }
    bool Visible() const { return IsVisible; }
    const std::string &Caption() const { return Title; }
    // A new caption, in the title bar at once when the window is loaded.
    void SetCaption(const std::string &NewCaption);
    int32_t ScaleWidth() const { return Canvas.Width; }
    int32_t ScaleHeight() const { return Canvas.Height; }

    // The drawing surface. A persistent window keeps what is drawn on it until drawn over; any
    // other window is rebuilt from its background picture and its controls whenever it changes.
    Surface &DrawingSurface() { return Canvas; }
    const Surface &DrawingSurface() const { return Canvas; }

    // For the controls and the event loop.
    void Invalidate() { NeedsPaint = true; }
    void PaintIfNeeded();
    void AddLabel(Label *NewLabel) { Labels.push_back(NewLabel); }
    void AddPicture(PictureBox *NewPicture) { Pictures.push_back(NewPicture); }
    void AddTimer(Timer *NewTimer) { Timers.push_back(NewTimer); }
    const std::vector<Timer *> &FormTimers() const { return Timers; }
    void SetIcon(const Surface *Icon, const Surface *Mask) {
        IconPicture = Icon;
        IconMask = Mask;
    }
    void SetMousePointer(const Surface *Image, const Surface *Mask, int32_t HotX, int32_t HotY);
    // What a controller's Start and face buttons mean to this window, as key codes (0: nothing
    // beyond the person's own keys). By default Start is Enter and a face button only its hit key.
    void SetPadKeys(int16_t StartKey, int16_t FaceKey) {
        PadStart = StartKey;
        PadFace = FaceKey;
    }
    // Letters are typed in this window: every letter key is the window's, also those the program
    // listens to in every other window (M for the sound), and a controller's directions mean
    // themselves (VK_GAMEPAD_DPAD_UP...), not the person's keys they stand for in a match, and its
    // face buttons only the face key: a pushed d-pad is never a typed Y.
    void SetTyping(bool Typing) { TypesLetters = Typing; }
    bool Typing() const { return TypesLetters; }
    // The key a press means to this window; FromPad when a controller made it.
    int16_t PadKey(int16_t KeyCode, bool FromPad = false) const;
    uint32_t WindowId() const { return Id; }
    void DeliverKey(int16_t KeyCode);
    void DeliverMouseDown(int32_t X, int32_t Y);
    void DeliverMouseUp(int32_t X, int32_t Y);

  protected:
    void SetPersistent(bool Persistent) { IsPersistent = Persistent; }
    void SetPicture(const Surface *Background) { BackPicture = Background; }

  private:
    void Compose();
    Label *LabelAt(int32_t X, int32_t Y) const;

    std::string Title;
    Surface Canvas;
    bool IsPersistent = false;
    const Surface *BackPicture = nullptr;
    const Surface *IconPicture = nullptr;
    const Surface *IconMask = nullptr;
    const Surface *PointerImage = nullptr;
    const Surface *PointerMask = nullptr;
    int32_t PointerHotX = 0;
    int32_t PointerHotY = 0;
    std::vector<Label *> Labels;        // in drawing order, the last on top
    std::vector<PictureBox *> Pictures; // drawn over the labels
    std::vector<Timer *> Timers;
    bool IsLoaded = false;
    bool IsVisible = false;
    bool NeedsPaint = true;
    bool Unloading = false;
    uint32_t Id = 0; // the backend's window, 0 while there is none
    Label *PressedLabel = nullptr;
    int16_t PadStart = 0x0D; // Enter
    int16_t PadFace = 0;
    bool TypesLetters = false;
};
