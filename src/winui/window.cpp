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

void window::enable() {
    platform::desktop().enableWindow(hwnd, true);
}

void window::disable() {
    platform::desktop().enableWindow(hwnd, false);
}

void window::move(platform::Point point) {
    move(point.x, point.y);
}

void window::move(int x, int y) {
    platform::Desktop& desktop = platform::desktop();
    platform::Rect bounds = desktop.windowRect(hwnd);
    desktop.moveWindow(hwnd, {x, y, x + bounds.width(), y + bounds.height()}, true);
}

void window::resize(platform::Point size) {
    resize(size.x, size.y);
}

void window::resize(int width, int height) {
    platform::Desktop& desktop = platform::desktop();
    platform::Rect bounds = desktop.windowRect(hwnd);
    platform::Point topLeft =
        desktop.screenToClient(desktop.parent(hwnd), {bounds.left, bounds.top});
    desktop.moveWindow(hwnd, {topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height}, true);
}

void window::focus() {
    platform::desktop().setFocus(hwnd);
}

} // namespace winui
