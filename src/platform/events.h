#pragma once
// The program's message queue: the few events the shell's window procedure
// knows, posted by the platform (from the window system) and by the program
// itself (quit and the display-mode toggle).

#include <cstdint>
#include <deque>
#include <functional>

namespace tev::platform {

enum class EventType : uint8_t {
    Size,     // code: SizeRestored, SizeMinimized or SizeMaximized; width, height
    Close,    // the viewer asked to close the window
    KeyDown,  // code: virtual-key code (Escape 27, F1 112); 256 and above: no code
    KeyUp,
    SystemCommand,  // code: kScreenSave, kMonitorPower or another command
    ModeToggle,     // the program's private request for the other display mode
    Quit,           // ends the message loop
};

enum SizeKind : uint32_t { SizeRestored = 0, SizeMinimized = 1, SizeMaximized = 2 };

constexpr uint32_t kScreenSave = 0xF140;
constexpr uint32_t kMonitorPower = 0xF170;

// Virtual-key codes the program acts on, in the classic numbering.
constexpr uint32_t kKeyEscape = 27;
constexpr uint32_t kKeyF1 = 112;
constexpr uint32_t kNoKeyCode = 0x100;

struct Event {
    EventType type = EventType::Quit;
    uint32_t code = 0;
    int width = 0;
    int height = 0;
};

class EventQueue {
  public:
    // Fetches events from the window system into the queue; with `block`,
    // waits until at least one is there.
    using Source = std::function<void(EventQueue&, bool block)>;

    void setSource(Source source) { source_ = std::move(source); }

    void post(const Event& event) { events_.push_back(event); }

    // Takes the oldest event, after fetching what the window system has.
    bool peek(Event& out);

    // Returns once an event is waiting (at once when the queue has no source).
    void wait();

    void clear() { events_.clear(); }
    size_t size() const { return events_.size(); }

  private:
    std::deque<Event> events_;
    Source source_;
};

}  // namespace tev::platform
