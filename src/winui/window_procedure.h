#pragma once

#include "winui/child_control.h"
#include "winui/evtarg.h"

#include <cstdint>

namespace winui {

// What the window procedure needs from the window object bound to a system window.
class message_target {
public:
    virtual void bind(platform::WindowHandle window) = 0;
    virtual void unbind() = 0;
    virtual child_control* findChild(int identifier) = 0;
    // Paints through the renderer; true when the window is painted.
    virtual bool paint(platform::WindowHandle window) = 0;
    // Runs the message's handler; true when it handled the message.
    virtual bool dispatch(std::uint32_t message, evtarg& argument) = 0;

protected:
    ~message_target() = default;
};

// How the window kinds differ in their procedure.
struct kind_traits {
    std::uint32_t bindMessage;
    bool paints; // the renderer paints and the system never erases the background
};

// The procedure every window kind registers, driven by the desktop for each message. It binds
// the window object (which arrives as the bind message's lParam), unbinds it on WM_DESTROY,
// asks child controls, runs the handlers and gives the rest the default treatment.
platform::LResult windowProcedure(const kind_traits& kind, platform::WindowHandle window,
                                  std::uint32_t message, platform::WParam wParam,
                                  platform::LParam lParam);

} // namespace winui
