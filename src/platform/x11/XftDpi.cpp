#include "platform/x11/XftDpi.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace platform::x11 {

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::optional<int> xftDpiOf(std::string_view resources) {
    while (!resources.empty()) {
        std::size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || trimmed(line.substr(0, colon)) != "Xft.dpi")
            continue;
        std::string_view value = trimmed(line.substr(colon + 1));
        double dpi = 0.0;
        auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), dpi);
        if (error != std::errc() || rest != value.data() + value.size() || !(dpi >= 1.0) ||
            dpi > INT_MAX)
            return std::nullopt;
        return static_cast<int>(std::lround(dpi));
    }
    return std::nullopt;
}

} // namespace platform::x11
