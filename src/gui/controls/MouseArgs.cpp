#include "gui/controls/MouseArgs.h"

namespace gui {

MouseClickArgs MouseClickArgs::fromMessage(const winui::evtarg& message, std::int32_t button) {
    MouseClickArgs args;
    args.message = message;
    args.control = (message.wParam & MK_CONTROL) != 0;
    args.shift = (message.wParam & MK_SHIFT) != 0;
    args.leftButton = (message.wParam & MK_LBUTTON) != 0;
    args.middleButton = (message.wParam & MK_MBUTTON) != 0;
    args.rightButton = (message.wParam & MK_RBUTTON) != 0;
    args.button = button;
    auto position = static_cast<std::uintptr_t>(message.lParam);
    args.x = platform::signedLowWord(position);
    args.y = platform::signedHighWord(position);
    return args;
}

} // namespace gui
