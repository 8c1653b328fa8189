#include "winui/msgwindow.h"

#include "platform/Desktop.h"
#include "winui/class_name.h"
#include "winui/uiexception.h"

namespace winui {

platform::WindowHandle msgwindow::create(message_target* owner) {
    std::string generated = makeClassName(typeid(msgwindow));
    platform::WindowClass windowClass;
    windowClass.procedure = &procedure;
    windowClass.name = className != nullptr ? std::string(className) : generated;
    platform::Desktop& desktop = platform::desktop();
    if (!desktop.registerClass(windowClass))
        throw uiexception("failed to register class (RegisterClassEx)", desktop.lastError());
    platform::WindowCreation creation;
    creation.className = windowClass.name;
    creation.x = creation.y = creation.width = creation.height = 0;
    creation.messageOnly = true;
    platform::WindowHandle window = desktop.createWindow(creation);
    if (window == nullptr)
        throw uiexception("failed to create window (CreateWindow)", desktop.lastError());
    desktop.sendMessage(window, bindMessage, 0, reinterpret_cast<platform::LParam>(owner));
    return window;
}

platform::LResult msgwindow::procedure(platform::WindowHandle window, std::uint32_t message,
                                       platform::WParam wParam, platform::LParam lParam) {
    return windowProcedure({bindMessage, false}, window, message, wParam, lParam);
}

} // namespace winui
