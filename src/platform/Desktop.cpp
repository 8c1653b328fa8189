#include "platform/Desktop.h"

#include "util/log/AppLog.h"

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
    while (current.getMessage(message)) {
        // A handler that fails loses its message, not the program.
        try {
            current.dispatchMessage(message);
        } catch (const std::exception& e) {
            util::log::logMessage(util::log::LogLevel::Error, e.what());
        }
    }
    return static_cast<int>(message.wParam);
}

} // namespace platform
