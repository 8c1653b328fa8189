#include "platform/linuxcounters/SystemSources.h"

#include "platform/linuxcounters/TextFields.h"

#include <algorithm>

namespace platform::linuxcounters {

namespace {

constexpr CounterSpec threadCounters[] = {{"Threads", Units::None, Measure::Level}};
constexpr SourceInfo threadInfo{"System", false, threadCounters};

constexpr CounterSpec processCounters[] = {{"Processes", Units::None, Measure::Level}};
constexpr SourceInfo processInfo{"System", false, processCounters};

constexpr CounterSpec upTimeCounters[] = {{"System Up Time", Units::Duration, Measure::Level}};
constexpr SourceInfo upTimeInfo{"System", false, upTimeCounters};

// The fourth field of loadavg, "running/total".
std::optional<double> parseThreads(std::string_view loadavg) {
    Fields fields(loadavg);
    for (int skip = 0; skip < 3; ++skip)
        fields.next();
    const std::string_view entities = fields.next();
    const auto slash = entities.find('/');
    double threads = 0.0;
    if (slash == std::string_view::npos || !Fields::number(entities.substr(slash + 1), threads))
        return std::nullopt;
    return threads;
}

std::optional<double> countProcesses(const std::filesystem::path& proc) {
    std::error_code error;
    double count = 0.0;
    for (const auto& entry : std::filesystem::directory_iterator(proc, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            ++count;
    }
    return error ? std::nullopt : std::optional(count);
}

} // namespace

ThreadCountSource::ThreadCountSource(const SystemPaths& paths)
    : Source(threadInfo), file_(paths.proc / "loadavg", paths.live) {}

void ThreadCountSource::refresh(const Moment&) {
    const auto text = file_.read();
    threads_ = text ? parseThreads(*text) : std::nullopt;
}

std::optional<Reading> ThreadCountSource::read(std::size_t, std::string_view) const {
    return levelReading(threads_);
}

ProcessCountSource::ProcessCountSource(const SystemPaths& paths)
    : Source(processInfo), proc_(paths.proc) {}

void ProcessCountSource::refresh(const Moment&) {
    processes_ = countProcesses(proc_);
}

std::optional<Reading> ProcessCountSource::read(std::size_t, std::string_view) const {
    return levelReading(processes_);
}

UpTimeSource::UpTimeSource(const SystemPaths&) : Source(upTimeInfo) {}

std::optional<Reading> UpTimeSource::read(std::size_t, std::string_view) const {
    return levelReading(uptime_);
}

} // namespace platform::linuxcounters
