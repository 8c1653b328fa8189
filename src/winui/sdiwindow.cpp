#include "winui/sdiwindow.h"

#include "winui/class_name.h"
#include "winui/uiexception.h"

namespace winui {

sdiwindow::sdiwindow() : className(makeClassName(typeid(sdiwindow))) {
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.cursor = IDC_ARROW;
    windowClass.background = COLOR_WINDOW + 1;
}

platform::WindowHandle sdiwindow::create(message_target* owner) {
    windowClass.procedure = &procedure;
    windowClass.name = className;
    platform::Desktop& desktop = platform::desktop();
    if (!desktop.registerClass(windowClass))
        throw uiexception("failed to register window class (RegisterClassEx)", desktop.lastError());
    platform::WindowCreation creation;
    creation.extendedStyle = creationExStyle;
    creation.className = className;
    creation.title = className;
    creation.style = creationStyle;
    platform::WindowHandle window = desktop.createWindow(creation);
    if (window == nullptr)
        throw uiexception("failed to create window (CreateWindow)", desktop.lastError());
    desktop.sendMessage(window, bindMessage, 0, reinterpret_cast<platform::LParam>(owner));
    desktop.update(window);
    return window;
}

platform::LResult sdiwindow::procedure(platform::WindowHandle window, std::uint32_t message,
                                       platform::WParam wParam, platform::LParam lParam) {
    return windowProcedure({bindMessage, true}, window, message, wParam, lParam);
}

} // namespace winui
