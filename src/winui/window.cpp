#include "winui/window.h"

#include "platform/Desktop.h"

namespace winui {

void window::update() {
    platform::desktop().update(hwnd);
}

void window::invalidate() {
    platform::desktop().invalidate(hwnd);
}

void window::hide() {
    platform::desktop().showWindow(hwnd, false);
}

void window::show() {
    platform::desktop().showWindow(hwnd, true);
}

void window::move(int x, int y) {
    platform::Desktop& desktop = platform::desktop();
    platform::Rect bounds = desktop.windowRect(hwnd);
    desktop.moveWindow(hwnd, {x, y, x + bounds.width(), y + bounds.height()}, true);
}

} // namespace winui
