#pragma once

#include "util/log/LogLevel.h"

#include <string>
#include <utility>
#include <vector>

namespace util::log {

// What one submission to the log writes: its first item becomes a stamped line, every further
// item a continuation line, all written together.
class LogEntry {
public:
    using Item = std::pair<LogLevel, std::string>;

    LogEntry(std::string message, LogLevel level);

    void add(std::string message, LogLevel level);
    const std::vector<Item>& items() const { return items_; }

private:
    std::vector<Item> items_;
};

} // namespace util::log
