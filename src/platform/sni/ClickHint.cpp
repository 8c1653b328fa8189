#include "platform/sni/ClickHint.h"

#include <algorithm>
#include <cstdlib>

namespace platform::sni {

namespace {

// How far the pointer may be from the hint to be trusted over it; also the largest widget
// whose relative positions are told from screen positions.
constexpr int nearby = 64;

Point topRight(const Rect& screen) {
    return {screen.right - 1, screen.top};
}

} // namespace

Point placeClick(Point hint, Point pointer, const Rect& screen) {
    if (std::abs(pointer.x - hint.x) <= nearby && std::abs(pointer.y - hint.y) <= nearby)
        return pointer;
    if (hint.x >= 0 && hint.x < nearby && hint.y >= 0 && hint.y < nearby)
        return topRight(screen);
    return {std::clamp(hint.x, screen.left, screen.right - 1),
            std::clamp(hint.y, screen.top, screen.bottom - 1)};
}

Point placeMenuChoice(Point pointer, std::optional<Point> lastClick, const Rect& screen,
                      bool xwayland) {
    if (!xwayland)
        return pointer;
    return lastClick.value_or(topRight(screen));
}

} // namespace platform::sni
