#include "platform/events.h"

namespace tev::platform {

bool EventQueue::peek(Event& out) {
    if (source_) source_(*this, false);
    if (events_.empty()) return false;
    out = events_.front();
    events_.pop_front();
    return true;
}

void EventQueue::wait() {
    if (events_.empty() && source_) source_(*this, true);
}

}  // namespace tev::platform
