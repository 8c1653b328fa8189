#include "gui/LineRenderingMethod.h"

#include <algorithm>

namespace gui {

namespace {

struct Point {
    int x;
    int y;
    Colour colour;
};

// The fill below the segment from a to b: a block under the lower end point, then the wedge
// between the segment and the block, with vertices in the winding fillTriangle accepts.
void fillBelow(Bitmap<Pixel>& bitmap, const Point& a, const Point& b, const Colour& left,
               const Colour& right) {
    bitmap.fillHorizontalGradient(a.x, std::max(a.y, b.y) + 1, b.x, bitmap.height(), left, right);
    if (b.y < a.y)
        bitmap.fillTriangle(a.x, a.y + 1, b.x, a.y + 1, b.x, b.y, left, right, right);
    else
        bitmap.fillTriangle(a.x - 1, a.y, a.x - 1, b.y + 1, b.x, b.y + 1, left, left, right);
}

} // namespace

void LineRenderingMethod::render(Bitmap<Pixel>& bitmap,
                                 const util::system::monitoring::IDataBufferView& view,
                                 int dotPitch, const ColourConfiguration& colours, double maximum,
                                 bool fixedScale, FillMode fillMode, float fillIntensity) const {
    bitmap.setAntialiasLines(true);
    bitmap.setIncludeLineEnd(false);
    const double scale = effectiveMaximum(view.getUnits(), maximum, fixedScale);
    const int count = view.getSize();
    if (count <= 1)
        return;
    const std::int64_t first = bitmap.width() - std::int64_t{count - 1} * dotPitch;
    const auto pointAt = [&](int i) {
        const double value = view.getValue(i);
        return Point{clampCoordinate(first + std::int64_t{i} * dotPitch),
                     valueRow(value, scale, bitmap.height()), colours.colourAt(value)};
    };
    Point previous = pointAt(0);
    for (int i = 1; i < count; ++i) {
        const Point current = pointAt(i);
        if (fillMode == FillMode::Gradient) {
            fillBelow(bitmap, previous, current, previous.colour * fillIntensity,
                      current.colour * fillIntensity);
        } else if (fillMode == FillMode::Flat) {
            const Colour flat = (previous.colour + current.colour) * 0.5f * fillIntensity;
            fillBelow(bitmap, previous, current, flat, flat);
        }
        bitmap.drawLine(previous.x, previous.y, previous.colour, current.x, current.y,
                        current.colour);
        previous = current;
    }
}

} // namespace gui
