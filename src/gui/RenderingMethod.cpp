#include "gui/RenderingMethod.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {
// Far enough outside any picture to be clipped, near enough that sums of two stay in range.
constexpr double coordinateLimit = 1 << 30;
} // namespace

int valueRow(double value, double maximum, int height) {
    const double bottom = height - 1;
    const double row = std::round(bottom - bottom * value / maximum);
    if (std::isnan(row))
        return height - 1; // no scale to read the value against: draw it as zero
    return static_cast<int>(std::clamp(row, -coordinateLimit, coordinateLimit));
}

int clampCoordinate(std::int64_t coordinate) {
    const auto limit = static_cast<std::int64_t>(coordinateLimit);
    return static_cast<int>(std::clamp(coordinate, -limit, limit));
}

double effectiveMaximum(Units units, double maximum, bool fixedScale) {
    return units == Units::Percentage && !fixedScale ? 100.0 : maximum;
}

} // namespace gui
