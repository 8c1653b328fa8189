#pragma once

#include <cstdint>
#include <string_view>

namespace util::log {

enum class LogLevel : std::int32_t { Info = 0, Warning = 1, Error = 2, Critical = 3 };

// The word written for a level; values outside the enumeration read "Unknown".
std::string_view levelName(LogLevel level);

} // namespace util::log
