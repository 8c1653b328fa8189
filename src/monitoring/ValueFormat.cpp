#include "monitoring/ValueFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace util::system::monitoring {

std::string formatNumber(double value) {
    // Room for the widest double in fixed notation: 309 digits, sign, point and one decimal.
    std::array<char, 320> text{};
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 1);
    return std::string(text.data(), result.ptr);
}

std::string formatSize(double value) {
    struct Step {
        double threshold;
        double scale;
        std::string_view suffix;
    };
    static constexpr std::array<Step, 4> steps{{
        {0x1p40, 0x1p-40, " TiB"},
        {0x1p30, 0x1p-30, " GiB"},
        {0x1p20, 0x1p-20, " MiB"},
        {0x1p10, 0x1p-10, " KiB"},
    }};
    for (const Step& step : steps)
        if (value >= step.threshold)
            return formatNumber(value * step.scale).append(step.suffix);
    return formatNumber(value).append(" B");
}

// Whole degrees: a tenth of a degree is below what the sensors tell apart.
std::string formatTemperature(double value) {
    std::array<char, 320> text{};
    const double whole = std::round(value) + 0.0; // -0.4 reads 0, not -0
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), whole, std::chars_format::fixed, 0);
    return std::string(text.data(), result.ptr).append(" \u00b0C"); // UTF-8, as all text
}

std::string formatValue(double value, Units units) {
    switch (units) {
    case Units::Size:
        return formatSize(value);
    case Units::Rate:
        return formatSize(value).append("/s");
    case Units::Percentage:
        return formatNumber(value).append(" %");
    case Units::Temperature:
        return formatTemperature(value);
    default:
        return formatNumber(value);
    }
}

} // namespace util::system::monitoring
