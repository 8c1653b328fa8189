#pragma once

#include "platform/Counters.h"
#include "platform/procfs/SnapshotReader.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace platform::procfs {

// Counters served from procfs and sysfs, in the Windows counter-path syntax. Rates are per
// second of the system's up time between two collects.
class ProcfsCounterQuery final : public CounterQuery {
public:
    explicit ProcfsCounterQuery(std::shared_ptr<SnapshotReader> reader)
        : reader_(std::move(reader)) {}
    // Counters of a procfs copy under `root`.
    explicit ProcfsCounterQuery(const std::filesystem::path& root)
        : ProcfsCounterQuery(SnapshotReader::under(root)) {}

    std::size_t addCounter(const std::string& path) override;
    bool collect() override;
    double read(std::size_t counter) const override;

    // What a counter measures.
    enum class Kind {
        ProcessorTime,
        UserTime,
        PrivilegedTime,
        AvailableBytes,
        CacheBytes,
        CommittedPercent,
        BytesReceived,
        BytesSent,
        BytesTotal,
        DiskReadBytes,
        DiskWriteBytes,
        DiskBytes,
        DiskTime,
        Processes,
        Threads,
        UpTime,
    };

    // What a counter's sources showed at one collect: the counted quantity (processor ticks,
    // bytes, milliseconds busy, or a level) and, for a share of the processor, all its ticks.
    struct Sample {
        std::optional<double> uptime;
        std::optional<double> count;
        double ticks = 0.0;
    };

    struct Counter {
        Kind kind;
        std::string instance;
        Sample before;
        Sample after;
    };

private:
    std::shared_ptr<SnapshotReader> reader_;
    std::vector<Counter> counters_;
    unsigned sources_ = 0;
};

} // namespace platform::procfs
