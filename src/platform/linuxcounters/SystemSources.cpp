#include "platform/linuxcounters/SystemSources.h"

#include "platform/linuxcounters/TextFields.h"

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter threadCounters[] = {{"Threads", Units::None, Measure::Level}};
constexpr SourceInfo threadInfo{"System", false, threadCounters};

constexpr ServedCounter processCounters[] = {{"Processes", Units::None, Measure::Level}};
constexpr SourceInfo processInfo{"System", false, processCounters};

constexpr ServedCounter upTimeCounters[] = {{"System Up Time", Units::Duration, Measure::Level}};
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
    : Source(processInfo), list_(paths.proc) {}

void ProcessCountSource::refresh(const Moment&) {
    processes_ =
        list_.read(pids_) ? std::optional(static_cast<double>(pids_.size())) : std::nullopt;
}

std::optional<Reading> ProcessCountSource::read(std::size_t, std::string_view) const {
    return levelReading(processes_);
}

UpTimeSource::UpTimeSource(const SystemPaths&) : Source(upTimeInfo) {}

std::optional<Reading> UpTimeSource::read(std::size_t, std::string_view) const {
    return levelReading(uptime_);
}

} // namespace platform::linuxcounters
