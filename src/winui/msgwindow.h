#pragma once

#include "winui/window_procedure.h"

namespace winui {

// The kind of hidden, message-only windows.
class msgwindow {
public:
    static constexpr std::uint32_t bindMessage = 2024;
    static constexpr std::uint32_t recordedStyle = 0x02CF0000;
    static constexpr std::uint32_t recordedExStyle = 0;

    // Registers a class of its own, creates the window and binds it to `owner`. Throws
    // uiexception.
    platform::WindowHandle create(message_target* owner);

    static platform::LResult procedure(platform::WindowHandle window, std::uint32_t message,
                                       platform::WParam wParam, platform::LParam lParam);

    const char* className = nullptr; // null: the generated name
};

} // namespace winui
