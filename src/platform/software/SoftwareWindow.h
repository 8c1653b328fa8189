#pragma once

#include "platform/Desktop.h"

#include <cstdint>
#include <thread>

namespace platform::software {

// Everything a desktop that keeps its own window records knows about one window.
struct SoftwareWindow {
    WindowProcedure procedure = nullptr;
    std::uint32_t classStyle = 0;
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    bool messageOnly = false;
    int identifier = 0;
    std::thread::id thread; // the thread that created it, which runs its procedure
    LParam userData = 0;
    Rect bounds;
    bool visible = false;
    bool topmost = false;
    bool invalid = true;        // waits for WM_PAINT
    bool trackingLeave = false; // a WM_MOUSELEAVE is due when the mouse leaves
    bool destroying = false;
    std::uintptr_t native = 0; // the backend's own window behind the record, if it has one
    WindowDescription description;
};

} // namespace platform::software
