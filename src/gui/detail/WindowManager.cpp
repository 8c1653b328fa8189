#include "gui/detail/WindowManager.h"

#include "gui/Window.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace gui {

namespace {

constexpr std::int32_t reach = 16;

struct Candidate {
    float weight;
    std::int32_t position;
};

Rect currentRect(const Window& window) {
    platform::Desktop& desktop = platform::desktop();
    platform::Rect bounds = desktop.windowRect(window.hwnd);
    platform::Point topLeft =
        desktop.screenToClient(desktop.parent(window.hwnd), {bounds.left, bounds.top});
    return {topLeft.x, topLeft.y, bounds.width(), bounds.height()};
}

// The best candidate's position, or `proposed` when none attracts.
std::int32_t snapped(std::vector<Candidate>& candidates, std::int32_t proposed) {
    auto best = std::max_element(
        candidates.begin(), candidates.end(),
        [](const Candidate& a, const Candidate& b) { return a.weight < b.weight; });
    return best != candidates.end() && best->weight > 0.0f ? best->position : proposed;
}

} // namespace

float snapWeight(std::int32_t a, std::int32_t b) {
    std::int32_t distance = std::abs(a - b);
    return distance >= reach ? 0.0f : 1.0f - static_cast<float>(distance) * 0.0625f;
}

bool WindowManager::registerWindow(Window* window) {
    if (window == nullptr || windows_.contains(window))
        return false;
    windows_.emplace(window, currentRect(*window));
    return true;
}

bool WindowManager::unregisterWindow(Window* window) {
    return windows_.erase(window) > 0;
}

Rect WindowManager::place(Window* window, std::int32_t x, std::int32_t y, std::int32_t w,
                          std::int32_t h) {
    if (!windows_.contains(window))
        throw std::runtime_error("window is unknown to manager.");
    std::vector<Candidate> xs;
    std::vector<Candidate> ys;
    for (const platform::Rect& m : platform::desktop().monitors()) {
        xs.push_back({snapWeight(m.left, x), m.left});
        xs.push_back({snapWeight(m.right, x + w), m.right - w});
        ys.push_back({snapWeight(m.top, y), m.top});
        ys.push_back({snapWeight(m.bottom, y + h), m.bottom - h});
    }
    for (const auto& [other, o] : windows_) {
        if (other == window)
            continue;
        if (o.y - h - reach < y && y < o.y + o.height + reach) {
            xs.push_back({snapWeight(o.x, x), o.x});
            xs.push_back({snapWeight(o.x, x + w), o.x - w});
            xs.push_back({snapWeight(o.x + o.width, x + w), o.x + o.width - w});
            xs.push_back({snapWeight(o.x + o.width, x), o.x + o.width});
        }
        if (o.x - w - reach < x && x < o.x + o.width + reach) {
            ys.push_back({snapWeight(o.y, y), o.y});
            ys.push_back({snapWeight(o.y, y + h), o.y - h});
            ys.push_back({snapWeight(o.y + o.height, y + h), o.y + o.height - h});
            ys.push_back({snapWeight(o.y + o.height, y), o.y + o.height});
        }
    }
    Rect result{snapped(xs, x), snapped(ys, y), w, h};
    windows_[window] = result;
    return result;
}

platform::Taskbar WindowManager::getTaskbarPosition() {
    std::optional<platform::Taskbar> taskbar = platform::desktop().taskbar();
    if (!taskbar)
        throw std::runtime_error(
            "SHAppBarMessage() failed. unable to determine the location of the taskbar.");
    return *taskbar;
}

} // namespace gui
