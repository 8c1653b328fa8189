#pragma once

#include "pixels/Bitmap.h"
#include "platform/Desktop.h"

#include <thread>

namespace platform::headless {

// Everything the headless desktop knows about one window.
struct HeadlessWindow {
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
    bool enabled = true;
    bool topmost = false;
    bool invalid = true;        // waits for WM_PAINT
    bool trackingLeave = false; // a WM_MOUSELEAVE is due when the mouse leaves
    bool destroying = false;
    gui::Bitmap<gui::Pixel> presented{0, 0, gui::Pixel{}}; // client-sized
};

} // namespace platform::headless
