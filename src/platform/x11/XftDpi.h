#pragma once

#include <optional>
#include <string_view>

namespace platform::x11 {

// The value of the Xft.dpi resource in the text of an X resource database (lines of
// "name:\tvalue"), rounded to whole dots per inch; none when it is not there or is not a
// positive number. Desktops set it to their scale: 144 at 150 %.
std::optional<int> xftDpiOf(std::string_view resources);

} // namespace platform::x11
