#pragma once

#include "platform/Messages.h"

#include <cstdint>

namespace winui {

// A child control a window forwards its notifications to, keyed by its control identifier.
class child_control {
public:
    virtual ~child_control() = default;
    virtual void attach(platform::WindowHandle parent, int identifier) = 0;
    virtual void detach() = 0;
    virtual platform::LResult handleMessage(std::uint32_t message, platform::WParam wParam,
                                            platform::LParam lParam) = 0;
};

} // namespace winui
