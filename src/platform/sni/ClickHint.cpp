#include "platform/sni/ClickHint.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace platform::sni {

namespace {

// How far the pointer may be from the hint to be trusted over it; also the largest widget
// whose relative positions are told from screen positions.
constexpr int nearby = 64;

Point topRight(const Rect& screen) {
    return {screen.right - 1, screen.top};
}

// Wide: a host may send any two 32-bit numbers, and their distance to the pointer may not fit.
bool near(int a, int b) {
    return std::abs(static_cast<std::int64_t>(a) - b) <= nearby;
}

} // namespace

Point placeClick(Point hint, Point pointer, const Rect& screen) {
    if (near(pointer.x, hint.x) && near(pointer.y, hint.y))
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
