#include "gui/ColourConfiguration.h"

#include <algorithm>

namespace gui {

ColourConfiguration::ColourConfiguration(std::vector<Stop> stops) : stops_(std::move(stops)) {
    std::stable_sort(
        stops_.begin(), stops_.end(),
        [](const Stop& a, const Stop& b) { return a.value < b.value; });
}

Colour ColourConfiguration::colourAt(double value) const {
    if (stops_.empty())
        return {255, 255, 255, 255};
    const auto upper = std::find_if(stops_.begin(), stops_.end(),
                                    [value](const Stop& stop) { return stop.value > value; });
    if (upper == stops_.end())
        return stops_.back().colour;
    if (upper == stops_.begin())
        return upper->colour;
    const Stop& lower = *(upper - 1);
    if (lower.colour == upper->colour || lower.value == upper->value)
        return lower.colour;
    const double clamped = std::clamp(value, lower.value, upper->value);
    const auto t = static_cast<float>((clamped - lower.value) / (upper->value - lower.value));
    return lower.colour * (1.0f - t) + upper->colour * t;
}

} // namespace gui
