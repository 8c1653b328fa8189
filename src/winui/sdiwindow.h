#pragma once

#include "platform/Desktop.h"
#include "winui/window_procedure.h"

#include <string>

namespace winui {

// The kind of top-level pop-up windows: topmost tool windows that paint themselves, with the
// arrow cursor and double clicks.
class sdiwindow {
public:
    static constexpr std::uint32_t bindMessage = 1025;
    static constexpr std::uint32_t recordedStyle = WS_POPUP;
    static constexpr std::uint32_t recordedExStyle =
        WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW;

    // Makes the class name, so every pop-up registers a class of its own.
    sdiwindow();

    // Registers the class, creates the window and binds it to `owner`. Throws uiexception.
    platform::WindowHandle create(message_target* owner);

    static platform::LResult procedure(platform::WindowHandle window, std::uint32_t message,
                                       platform::WParam wParam, platform::LParam lParam);

    platform::WindowClass windowClass;
    std::uint32_t creationStyle = WS_POPUP;
    std::uint32_t creationExStyle = recordedExStyle;
    std::string className;
};

} // namespace winui
