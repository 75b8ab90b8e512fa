// A window system without a screen, for the tests: a virtual clock that jumps straight to the next
// timer or scripted step, key presses, clicks and closings scripted at virtual times, and a record
// of everything the program did with its windows. Held keys, as GetKeyState sees them, are set
// with SetScriptedKey.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ToolkitBackend.h"

class HeadlessBackend final : public Backend {
  public:
    struct WindowRecord {
        WindowLook Look;
        bool Visible = false;
        bool Destroyed = false;
        int32_t Presents = 0;
        Surface Frame; // the drawing area as last presented
    };

    // Runs Step when the virtual clock reaches Millis (from the backend's creation). Steps at the
    // same time run in the order they were given.
    void At(uint64_t Millis, std::function<void()> Step);
    // Events for the window that has the focus, as if they happened now. A repeated press is the
    // one a held key sends again and again.
    void Press(int16_t KeyCode, bool Repeat = false);
    // A controller's press of the control that stands for this key (the face button: VK_Z or
    // VK_UP), with the face key after it as the real backend sends it.
    void PressPad(int16_t KeyCode);
    void Click(int32_t X, int32_t Y);
    // The focused window's close button.
    void CloseFocused();

    uint64_t NowMillis() const { return Clock / 1000; }
    uint32_t FocusedWindow() const { return Focused.empty() ? 0 : Focused.back(); }
    const WindowRecord *Window(uint32_t Id) const;
    // Every window with this caption, oldest first.
    std::vector<const WindowRecord *> WindowsCaptioned(const std::string &Caption) const;
    // Everything that happened on the screen, in order: "show <caption>", "hide <caption>",
    // "destroy <caption>", "present <caption>", "sleep <ms>".
    const std::vector<std::string> &Log() const { return History; }
    // Set when the program ran out of script with nothing left to wait for, or went past the
    // time limit; the program is then told to end.
    bool Stalled() const { return HasStalled; }
    void SetTimeLimit(uint64_t Millis) { LimitMicros = Millis * 1000; }

    uint64_t NowMicros() override { return Clock; }
    bool PollEvent(ToolkitEvent &Event) override;
    bool WaitEvent(uint64_t Deadline, ToolkitEvent &Event) override;
    void Sleep(uint32_t Milliseconds) override;
    uint32_t CreateWindow(const WindowLook &Look) override;
    void RetitleWindow(uint32_t Id, const std::string &Caption) override;
    void ShowWindow(uint32_t Window) override;
    void HideWindow(uint32_t Window) override;
    void DestroyWindow(uint32_t Window) override;
    void Present(uint32_t Window, const Surface &Frame) override;

  private:
    bool RunStepsUpTo(uint64_t Micros);
    bool Pop(ToolkitEvent &Event);
    void Note(const std::string &What, uint32_t Window);

    uint64_t Clock = 0;
    uint64_t LimitMicros = 3600ull * 1000 * 1000;
    bool HasStalled = false;
    uint32_t NextId = 1;
    std::multimap<uint64_t, std::function<void()>> Script;
    std::vector<ToolkitEvent> Queue;
    std::map<uint32_t, WindowRecord> Windows;
    std::vector<uint32_t> Focused; // shown windows, the focused one last
    std::vector<std::string> History;
};
