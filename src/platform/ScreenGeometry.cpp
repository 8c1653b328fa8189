#include "platform/ScreenGeometry.h"

#include <ostream>

namespace platform {

std::ostream& operator<<(std::ostream& out, Point point) {
    return out << "(" << point.x << ", " << point.y << ")";
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << "{left " << rect.left << ", top " << rect.top << ", right " << rect.right
               << ", bottom " << rect.bottom << "}";
}

} // namespace platform
