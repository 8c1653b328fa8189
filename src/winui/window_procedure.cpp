#include "winui/window_procedure.h"

#include "platform/Desktop.h"

namespace winui {

namespace {

message_target* boundObject(platform::Desktop& desktop, platform::WindowHandle window) {
    return reinterpret_cast<message_target*>(desktop.userData(window));
}

platform::WindowHandle handleOf(platform::LParam lParam) {
    return reinterpret_cast<platform::WindowHandle>(lParam);
}

child_control* childFor(platform::Desktop& desktop, message_target& object,
                        platform::LParam lParam) {
    if (lParam == 0)
        return nullptr;
    return object.findChild(desktop.controlIdentifier(handleOf(lParam)));
}

bool isControlColour(std::uint32_t message) {
    return message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX ||
           message == WM_CTLCOLORBTN || message == WM_CTLCOLORSTATIC;
}

// The framework's own part of a message; true when the default treatment is done.
bool frameworkStep(const kind_traits& kind, platform::Desktop& desktop, message_target& object,
                   platform::WindowHandle window, std::uint32_t message, platform::WParam wParam,
                   platform::LParam lParam) {
    switch (message) {
    case WM_DESTROY:
        desktop.setUserData(window, 0);
        object.unbind();
        return true;
    case WM_PAINT: {
        desktop.beginPaint(window);
        bool painted = kind.paints && object.paint(window);
        desktop.endPaint(window);
        return painted;
    }
    case WM_CLOSE: // closing hides nothing and destroys nothing; the owner decides
        return true;
    case WM_ERASEBKGND:
        return kind.paints;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (child_control* child = childFor(desktop, object, lParam))
            return child->handleMessage(message, wParam, lParam) != 0;
        return false;
    default:
        return false;
    }
}

} // namespace

platform::LResult windowProcedure(const kind_traits& kind, platform::WindowHandle window,
                                  std::uint32_t message, platform::WParam wParam,
                                  platform::LParam lParam) {
    platform::Desktop& desktop = platform::desktop();
    message_target* object = boundObject(desktop, window);
    bool defaultDone = false;
    // Only an unbound window binds: a stray bind message must not replace the object.
    if (object == nullptr && message == kind.bindMessage && lParam != 0) {
        desktop.setUserData(window, lParam);
        object = reinterpret_cast<message_target*>(lParam);
        object->bind(window);
        defaultDone = true;
    } else if (object == nullptr) {
        return desktop.defaultProcedure(window, message, wParam, lParam);
    } else if (isControlColour(message)) {
        if (child_control* child = childFor(desktop, *object, lParam))
            if (platform::LResult brush = child->handleMessage(message, wParam, lParam))
                return brush;
    } else {
        defaultDone = frameworkStep(kind, desktop, *object, window, message, wParam, lParam);
    }
    evtarg argument{window, wParam, lParam, 0, false};
    if (object->dispatch(message, argument))
        return argument.result;
    return defaultDone ? 0 : desktop.defaultProcedure(window, message, wParam, lParam);
}

} // namespace winui
