#include "platform/Desktop.h"

#include "util/log/AppLog.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace platform {

namespace {

std::atomic<Desktop*> installed{nullptr};

// How far a point lies outside a rectangle, along both axes: 0 inside.
std::int64_t distance(const Rect& r, Point p) {
    std::int64_t dx = std::max({r.left - p.x, 0, p.x - (r.right - 1)});
    std::int64_t dy = std::max({r.top - p.y, 0, p.y - (r.bottom - 1)});
    return dx * dx + dy * dy;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

std::optional<std::size_t> nearestMonitor(const std::vector<Rect>& monitors, Point at) {
    auto nearest =
        std::min_element(monitors.begin(), monitors.end(), [&](const Rect& a, const Rect& b) {
            return distance(a, at) < distance(b, at);
        });
    if (nearest == monitors.end())
        return std::nullopt;
    return static_cast<std::size_t>(nearest - monitors.begin());
}

std::optional<Rect> Desktop::workArea(Point at) const {
    const std::vector<Rect> all = monitors();
    const std::optional<std::size_t> index = nearestMonitor(all, at);
    if (!index)
        return std::nullopt;
    Rect area = all[*index];
    const std::optional<Taskbar> bar = taskbar();
    if (!bar || !overlap(area, bar->bounds))
        return area;
    const Rect& tb = bar->bounds;
    switch (bar->edge) {
    case ABE_LEFT:
        area.left = std::max(area.left, tb.right);
        break;
    case ABE_TOP:
        area.top = std::max(area.top, tb.bottom);
        break;
    case ABE_RIGHT:
        area.right = std::min(area.right, tb.left);
        break;
    default:
        area.bottom = std::min(area.bottom, tb.top);
        break;
    }
    return area;
}

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
