#pragma once

#include "gui/controls/ControlGeometry.h"

class Window;

namespace gui {

// Keeps track of the detail windows on screen and places a moving window magnetically.
class IWindowManager {
public:
    // False when the window is null or already registered.
    virtual bool registerWindow(Window* window) = 0;
    // False when the window was not registered.
    virtual bool unregisterWindow(Window* window) = 0;
    // No window is registered: none is on screen.
    virtual bool empty() const = 0;
    // Where a window moved to (x, y) with the given size should go; remembered as its place.
    // Throws std::runtime_error for a window that is not registered.
    virtual Rect place(Window* window, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height) = 0;

protected:
    ~IWindowManager() = default;
};

} // namespace gui
