#pragma once

#include "values/ConfigurationValues.h"

#include <string>

namespace util::system::monitoring {

// One digit after the decimal point: "0.0", "12.3", "1024.0". Independent of the locale.
std::string formatNumber(double value);
// Bytes in powers of 1024: "1023.0 B", "1.5 KiB", up to TiB.
std::string formatSize(double value);
// Degrees Celsius, whole: "47 °C".
std::string formatTemperature(double value);
// A sample in its units: sizes, rates ("/s"), percentages (" %"), temperatures (" °C") or a
// plain number.
std::string formatValue(double value, Units units);

} // namespace util::system::monitoring
