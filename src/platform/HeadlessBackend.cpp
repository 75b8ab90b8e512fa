#include "platform/HeadlessBackend.h"

#include <algorithm>
#include <limits>

#include "platform/Keyboard.h"
#include "platform/Pads.h"

void HeadlessBackend::At(uint64_t Millis, std::function<void()> Step) {
    Script.emplace(Millis * 1000, std::move(Step));
}

void HeadlessBackend::Press(int16_t KeyCode, bool Repeat) {
    ToolkitEvent Event;
    Event.Type = ToolkitEvent::KeyDown;
    Event.Window = FocusedWindow();
    Event.KeyCode = KeyCode;
    Event.Repeat = Repeat;
    Queue.push_back(Event);
}

void HeadlessBackend::PressPad(int16_t KeyCode) {
    Press(KeyCode);
    Queue.back().Pad = true;
    if (KeyCode == VK_Z || KeyCode == VK_UP) {
        Press(VK_GAMEPAD_A);
        Queue.back().Pad = true;
    }
}

void HeadlessBackend::Click(int32_t X, int32_t Y) {
    ToolkitEvent Event;
    Event.Window = FocusedWindow();
    Event.X = X;
    Event.Y = Y;
    Event.Type = ToolkitEvent::MouseDown;
    Queue.push_back(Event);
    Event.Type = ToolkitEvent::MouseUp;
    Queue.push_back(Event);
}

void HeadlessBackend::CloseFocused() {
    ToolkitEvent Event;
    Event.Type = ToolkitEvent::Close;
    Event.Window = FocusedWindow();
    Queue.push_back(Event);
}

const HeadlessBackend::WindowRecord *HeadlessBackend::Window(uint32_t Id) const {
    auto It = Windows.find(Id);
    return It == Windows.end() ? nullptr : &It->second;
}

std::vector<const HeadlessBackend::WindowRecord *>
HeadlessBackend::WindowsCaptioned(const std::string &Caption) const {
    std::vector<const WindowRecord *> Found;
    for (const auto &Entry : Windows) {
        if (Entry.second.Look.Caption == Caption) {
            Found.push_back(&Entry.second);
        }
    }
    return Found;
}

// Runs the earliest scripted steps due by Micros, all those of that one time, moving the clock to
// it. Returns false when none was due.
bool HeadlessBackend::RunStepsUpTo(uint64_t Micros) {
    if (Script.empty() || Script.begin()->first > Micros) {
        return false;
    }
    const uint64_t Time = Script.begin()->first;
    Clock = std::max(Clock, Time);
    while (!Script.empty() && Script.begin()->first == Time) {
        auto Step = Script.begin()->second;
        Script.erase(Script.begin());
        Step();
    }
    return true;
}

bool HeadlessBackend::Pop(ToolkitEvent &Event) {
    if (Queue.empty()) {
        return false;
    }
    Event = Queue.front();
    Queue.erase(Queue.begin());
    return true;
}

bool HeadlessBackend::PollEvent(ToolkitEvent &Event) {
    while (Queue.empty() && RunStepsUpTo(Clock)) {
    }
    return Pop(Event);
}

bool HeadlessBackend::WaitEvent(uint64_t Deadline, ToolkitEvent &Event) {
    // A step may start or stop timers, so the wait ends after each one.
    if (!Queue.empty() || RunStepsUpTo(Deadline)) {
        return Pop(Event);
    }
    if (Deadline == std::numeric_limits<uint64_t>::max() || Deadline > LimitMicros) {
        // Nothing will ever happen again, or the test has run too long: end the program.
        HasStalled = true;
        Event = ToolkitEvent{};
        Event.Type = ToolkitEvent::Quit;
        return true;
    }
    Clock = std::max(Clock, Deadline);
    return false;
}

void HeadlessBackend::Sleep(uint32_t Milliseconds) {
    History.push_back("sleep " + std::to_string(Milliseconds));
    Clock += static_cast<uint64_t>(Milliseconds) * 1000;
}

uint32_t HeadlessBackend::CreateWindow(const WindowLook &Look) {
    const uint32_t Id = NextId++;
    Windows[Id].Look = Look;
    Note("create", Id);
    return Id;
}

void HeadlessBackend::RetitleWindow(uint32_t Id, const std::string &Caption) {
    Windows[Id].Look.Caption = Caption;
}

void HeadlessBackend::ShowWindow(uint32_t Id) {
    Windows[Id].Visible = true;
    Focused.erase(std::remove(Focused.begin(), Focused.end(), Id), Focused.end());
    Focused.push_back(Id);
    Note("show", Id);
}

void HeadlessBackend::HideWindow(uint32_t Id) {
    Windows[Id].Visible = false;
    Focused.erase(std::remove(Focused.begin(), Focused.end(), Id), Focused.end());
    Note("hide", Id);
}

void HeadlessBackend::DestroyWindow(uint32_t Id) {
    Windows[Id].Visible = false;
    Focused.erase(std::remove(Focused.begin(), Focused.end(), Id), Focused.end());
    Windows[Id].Destroyed = true;
    Note("destroy", Id);
}

void HeadlessBackend::Present(uint32_t Id, const Surface &Frame) {
    WindowRecord &Record = Windows[Id];
    Record.Presents += 1;
    Record.Frame = Frame;
    Note("present", Id);
}

void HeadlessBackend::Note(const std::string &What, uint32_t Id) {
    History.push_back(What + " " + Windows[Id].Look.Caption);
}
