#pragma once

#include "platform/Messages.h"

namespace winui {

// The renderer of windows that show nothing.
class blank {
public:
    bool paint(platform::WindowHandle) { return false; }
};

} // namespace winui
