#pragma once

#include "platform/Messages.h"

namespace winui {

// What a message handler receives. A handler that answers the message sets `result` and
// `handled`; otherwise the window gives the message its default treatment.
struct evtarg {
    platform::WindowHandle hwnd = nullptr;
    platform::WParam wParam = 0;
    platform::LParam lParam = 0;
    platform::LResult result = 0;
    bool handled = false;
};

} // namespace winui
