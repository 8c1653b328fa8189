#pragma once

#include "gui/detail/IWindowManager.h"
#include "platform/Desktop.h"
#include "util/SharedPtrProvider.h"

#include <map>

namespace gui {

// Snaps a window's edges to the monitors' edges and to the other registered windows' edges
// when they come within 16 pixels; the two axes snap independently.
class WindowManager final : public IWindowManager, public SharedPtrProvider<IWindowManager> {
public:
    bool registerWindow(Window* window) override;
    bool unregisterWindow(Window* window) override;
    bool empty() const override { return windows_.empty(); }
    Rect place(Window* window, std::int32_t x, std::int32_t y, std::int32_t width,
               std::int32_t height) override;

    // The taskbar's rectangle and edge. Throws std::runtime_error when the shell cannot tell.
    static platform::Taskbar getTaskbarPosition();

private:
    std::map<Window*, Rect> windows_;
};

// How strongly two coordinates attract: 0 at 16 pixels apart or more, up to 1 when equal.
float snapWeight(std::int32_t a, std::int32_t b);

} // namespace gui
