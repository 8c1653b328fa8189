#pragma once

#include "platform/Counters.h"
#include "platform/linuxcounters/SourceReader.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace platform::linuxcounters {

// Counters of the Linux sources, in the Windows counter-path syntax. Rates are per second of
// the system's up time between two collects.
class LinuxCounterQuery final : public CounterQuery {
public:
    explicit LinuxCounterQuery(std::shared_ptr<SourceReader> reader) : reader_(std::move(reader)) {}
    // Counters of a copy of the system's files under `root`.
    explicit LinuxCounterQuery(const std::filesystem::path& root)
        : LinuxCounterQuery(SourceReader::under(root)) {}

    std::size_t addCounter(const std::string& path) override;
    bool collect() override;
    double read(std::size_t counter) const override;

    // What a counter's source showed at one collect.
    struct Sample {
        std::optional<double> uptime;
        std::optional<Reading> reading;
    };

    struct Counter {
        std::size_t source;
        std::size_t index; // of the counter among its source's
        const ServedCounter* served;
        std::string instance;
        Sample before;
        Sample after;
    };

private:
    std::shared_ptr<SourceReader> reader_;
    std::vector<Counter> counters_;
    SourceReader::SourceSet sources_ = 0;
};

} // namespace platform::linuxcounters
