#pragma once

#include "winui/evtarg.h"

#include <cstdint>
#include <memory>

namespace gui {

class Control;

// A mouse button event as it descends the control tree; x and y are relative to the control
// that receives it.
struct MouseClickArgs {
    winui::evtarg message;
    std::shared_ptr<Control> handledBy;
    bool control = false;
    bool shift = false;
    bool leftButton = false;
    bool middleButton = false;
    bool rightButton = false;
    std::int32_t button = 3; // 0 left, 1 middle, 2 right, 3 none
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool handled = false;

    // From a mouse message: key flags from wParam, the signed client position from lParam.
    static MouseClickArgs fromMessage(const winui::evtarg& message, std::int32_t button);
};

// What enter and leave handlers receive; the framework only passes it through.
struct MouseTrackingArgs {
    platform::WindowHandle window = nullptr;
};

} // namespace gui
