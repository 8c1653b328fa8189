#include "util/log/LogEntry.h"

namespace util::log {

std::string_view levelName(LogLevel level) {
    switch (level) {
    case LogLevel::Info:
        return "Info";
    case LogLevel::Warning:
        return "Warning";
    case LogLevel::Error:
        return "Error";
    case LogLevel::Critical:
        return "Critical";
    }
    return "Unknown";
}

LogEntry::LogEntry(std::string message, LogLevel level) {
    items_.emplace_back(level, std::move(message));
}

void LogEntry::add(std::string message, LogLevel level) {
    items_.emplace_back(level, std::move(message));
}

} // namespace util::log
