#pragma once

#include "platform/Messages.h"
#include "platform/ScreenGeometry.h"

#include <cstdint>

namespace winui {

// The system window behind every window object.
class window {
public:
    window(std::uint32_t style, std::uint32_t exStyle) : style(style), exStyle(exStyle) {}
    virtual ~window() = default;

    virtual void update();
    virtual void invalidate();
    virtual void hide();
    virtual void show();
    // Keeps the size.
    virtual void move(int x, int y);

    platform::WindowHandle hwnd = nullptr; // null until bound and after destruction
    std::uint32_t style;
    std::uint32_t exStyle;
};

} // namespace winui
