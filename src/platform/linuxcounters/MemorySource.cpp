#include "platform/linuxcounters/MemorySource.h"

#include "platform/linuxcounters/TextFields.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"Available Bytes", Units::Size, Measure::Level},
    {"Cache Bytes", Units::Size, Measure::Level},
    {"% Committed Bytes In Use", Units::Percentage, Measure::Level},
};
constexpr SourceInfo served{"Memory", false, counters};

// The lines the counters read; the fifty others are passed over unread.
constexpr std::string_view kept[] = {
    "MemTotal:", "MemAvailable:", "Cached:", "CommitLimit:", "Committed_AS:"};

void parse(std::string_view text, Refill<double>& bytes) {
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        Fields fields(line);
        std::string_view key = fields.next();
        double kibibytes = 0.0;
        if (std::find(std::begin(kept), std::end(kept), key) == std::end(kept) ||
            !Fields::number(fields.next(), kibibytes))
            continue;
        key.remove_suffix(1); // the colon
        bytes[key] = kibibytes * 1024.0;
    }
}

} // namespace

MemorySource::MemorySource(const SystemPaths& paths)
    : Source(served), file_(paths.proc / "meminfo", paths.live) {}

void MemorySource::refresh(const Moment&) {
    readInto(file_, bytes_, parse);
}

std::optional<Reading> MemorySource::read(std::size_t counter, std::string_view) const {
    if (counter == 0)
        return levelReading(bytes("MemAvailable"));
    if (counter == 1)
        return levelReading(bytes("Cached"));
    const auto committed = bytes("Committed_AS");
    const auto limit = bytes("CommitLimit");
    if (!committed || !limit)
        return std::nullopt;
    return Reading{100.0 * *committed / *limit};
}

std::uint32_t MemorySource::memoryLoad() const {
    const auto total = bytes("MemTotal");
    const auto available = bytes("MemAvailable");
    if (!total || !available || *total <= 0.0)
        return 0;
    const double used = 100.0 * (*total - *available) / *total;
    return static_cast<std::uint32_t>(std::clamp(std::round(used), 0.0, 100.0));
}

std::optional<double> MemorySource::bytes(std::string_view key) const {
    const double* value = findInstance(bytes_, key);
    return value != nullptr ? std::optional(*value) : std::nullopt;
}

} // namespace platform::linuxcounters
