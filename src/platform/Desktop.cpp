#include "platform/Desktop.h"

#include <atomic>
#include <stdexcept>

namespace platform {

namespace {
std::atomic<Desktop*> installed{nullptr};
} // namespace

void installDesktop(Desktop* desktop) {
    installed.store(desktop);
}

Desktop& desktop() {
    Desktop* current = installed.load();
    if (current == nullptr)
        throw std::logic_error("no desktop is installed");
    return *current;
}

int runMessageLoop() {
    Desktop& current = desktop();
    Message message;
    while (current.getMessage(message))
        current.dispatchMessage(message);
    return static_cast<int>(message.wParam);
}

} // namespace platform
