#pragma once

#include "platform/Counters.h"
#include "platform/procfs/ProcfsSnapshot.h"

#include <filesystem>
#include <vector>

namespace platform::procfs {

// Counters served from procfs and sysfs under a root directory ("/" on a live system), in the
// Windows counter-path syntax. Rates are per second of the system's up time between two collects.
class ProcfsCounterQuery final : public CounterQuery {
public:
    explicit ProcfsCounterQuery(std::filesystem::path root) : root_(std::move(root)) {}

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

    struct Counter {
        Kind kind;
        std::string instance;
    };

private:
    std::filesystem::path root_;
    std::vector<Counter> counters_;
    unsigned sources_ = 0;
    Snapshot previous_;
    Snapshot current_;
};

} // namespace platform::procfs
