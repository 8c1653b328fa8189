#include "platform/linuxcounters/ProcessorSource.h"

#include "platform/linuxcounters/TextFields.h"

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"% Processor Time", Units::Percentage, Measure::ShareOfBase},
    {"% User Time", Units::Percentage, Measure::ShareOfBase},
    {"% Privileged Time", Units::Percentage, Measure::ShareOfBase},
};
constexpr SourceInfo served{"Processor", true, counters};

void parse(std::string_view text, Refill<ProcessorSource::Times>& cpus) {
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        Fields fields(line);
        const std::string_view name = fields.next();
        std::array<double, 8> t{}; // user nice system idle iowait irq softirq steal
        if (!name.starts_with("cpu") || fields.numbers(t) < t.size())
            continue;
        ProcessorSource::Times& times = cpus[name == "cpu" ? totalName : name.substr(3)];
        times.user = t[0] + t[1];
        times.privileged = t[2] + t[5] + t[6];
        times.total = t[0] + t[1] + t[2] + t[3] + t[4] + t[5] + t[6] + t[7];
        times.busy = times.total - t[3] - t[4];
    }
}

} // namespace

ProcessorSource::ProcessorSource(const SystemPaths& paths)
    : Source(served), file_(paths.proc / "stat", paths.live) {}

void ProcessorSource::refresh(const Moment&) {
    readInto(file_, cpus_, parse);
}

std::optional<Reading> ProcessorSource::read(std::size_t counter, std::string_view instance) const {
    const Times* times = findInstance(cpus_, instance);
    if (times == nullptr)
        return std::nullopt;
    const double counts[] = {times->busy, times->user, times->privileged};
    return Reading{counts[counter], times->total};
}

} // namespace platform::linuxcounters
