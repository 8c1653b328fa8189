#pragma once

#include <string>

namespace test {

// What a counter that stops giving values and gives them again logs, as util::log::LogCopy
// copies it: one Error line, then one Info line, however many samples fail in between.
inline std::string lostAndFoundLines(const std::string& path) {
    return "Error - data collection for wmi counter '" + path +
           "' failed: GetFormattedCounterValue failed\nInfo - wmi counter '" + path +
           "' gives data again.\n";
}

} // namespace test
