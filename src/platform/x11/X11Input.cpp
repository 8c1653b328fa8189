// The X11 desktop's input: X events of its windows turned into the shared window messages.
#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Menu.h"

#include <cstdlib>

namespace platform::x11 {

namespace {

constexpr Time doubleClickTime = 500;
constexpr int doubleClickDistance = 4;

std::optional<software::MouseButton> buttonOf(unsigned button) {
    switch (button) {
    case Button1:
        return software::MouseButton::Left;
    case Button2:
        return software::MouseButton::Middle;
    case Button3:
        return software::MouseButton::Right;
    default:
        return std::nullopt; // wheels and extra buttons mean nothing here
    }
}

std::uint32_t keyState(unsigned state) {
    std::uint32_t keys = 0;
    if (state & Button1Mask)
        keys |= MK_LBUTTON;
    if (state & Button2Mask)
        keys |= MK_MBUTTON;
    if (state & Button3Mask)
        keys |= MK_RBUTTON;
    if (state & ShiftMask)
        keys |= MK_SHIFT;
    if (state & ControlMask)
        keys |= MK_CONTROL;
    return keys;
}

} // namespace

void X11Desktop::translate(const XEvent& event) {
    if (tray_->handles(event) || menu_->handles(event, *this))
        return;
    if (event.type == ButtonPress || event.type == ButtonRelease) {
        translateButton(event.xbutton, event.type == ButtonPress);
        return;
    }
    if (event.type == PropertyNotify && event.xproperty.atom == resourceManager_) {
        changeDpi(resourceDpi());
        return;
    }
    Lock held = lock();
    WindowHandle window = windowsLocked().findNative(event.xany.window);
    software::SoftwareWindow* record = windowsLocked().find(window);
    if (record == nullptr)
        return;
    switch (event.type) {
    case Expose:
        record->invalid = true;
        break;
    case MotionNotify:
        postLocked(window, WM_MOUSEMOVE, keyState(event.xmotion.state),
                   makeLParam(event.xmotion.x, event.xmotion.y));
        break;
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
            postMouseLeaveLocked(window);
        break;
    default:
        break;
    }
}

void X11Desktop::translateButton(const XButtonEvent& event, bool press) {
    std::optional<software::MouseButton> button = buttonOf(event.button);
    if (!button)
        return;
    Lock held = lock();
    WindowHandle window = windowsLocked().findNative(event.window);
    if (window == nullptr)
        return;
    std::uint32_t keys = keyState(event.state);
    Point at{event.x, event.y};
    if (!press) {
        postButtonLocked(window, *button, software::ButtonAction::Release,
                         keys & ~software::buttonFlag(*button), at);
        return;
    }
    bool again = lastPress_.window == event.window && lastPress_.button == event.button &&
                 event.time - lastPress_.time <= doubleClickTime &&
                 std::abs(event.x - lastPress_.at.x) <= doubleClickDistance &&
                 std::abs(event.y - lastPress_.at.y) <= doubleClickDistance;
    // A second press ends a series: the next press starts a new one. Whether it counts as a
    // double click is the window class's choice, made where the message is posted.
    lastPress_ = {event.window, again ? 0 : event.button, event.time, at};
    postButtonLocked(window, *button,
                     again ? software::ButtonAction::DoubleClick : software::ButtonAction::Press,
                     keys | software::buttonFlag(*button), at);
}

} // namespace platform::x11
