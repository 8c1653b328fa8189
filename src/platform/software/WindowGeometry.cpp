#include "platform/software/WindowGeometry.h"

#include <algorithm>

namespace platform {

namespace {

std::int32_t orZero(std::int32_t value) {
    return value == CW_USEDEFAULT ? 0 : value;
}

} // namespace

Rect creationBounds(const WindowCreation& creation) {
    std::int32_t x = orZero(creation.x);
    std::int32_t y = orZero(creation.y);
    return {x, y, x + std::max(0, orZero(creation.width)),
            y + std::max(0, orZero(creation.height))};
}

Rect normalised(const Rect& bounds) {
    return {bounds.left, bounds.top, std::max(bounds.left, bounds.right),
            std::max(bounds.top, bounds.bottom)};
}

void sendGeometryChanges(Desktop& desktop, WindowHandle window, const Rect& before,
                         const Rect& after) {
    if (before.left != after.left || before.top != after.top)
        desktop.sendMessage(window, WM_MOVE, 0, makeLParam(after.left, after.top));
    if (before.width() != after.width() || before.height() != after.height())
        desktop.sendMessage(window, WM_SIZE, SIZE_RESTORED,
                            makeLParam(after.width(), after.height()));
}

} // namespace platform
