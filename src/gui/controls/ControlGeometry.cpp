#include "gui/controls/ControlGeometry.h"

#include <ostream>

namespace gui {

std::ostream& operator<<(std::ostream& out, Point point) {
    return out << "(" << point.x << ", " << point.y << ")";
}

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << "{x " << rect.x << ", y " << rect.y << ", width " << rect.width << ", height "
               << rect.height << "}";
}

} // namespace gui
