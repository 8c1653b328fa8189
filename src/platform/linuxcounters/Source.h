#pragma once

#include "values/ConfigurationValues.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::linuxcounters {

using Clock = std::chrono::steady_clock;

// Where the sources find the system: the live one, or a copy of its files that tests write.
struct SystemPaths {
    std::filesystem::path proc = "/proc";
    std::filesystem::path sys = "/sys";
    // Files of the live system stay open between reads; those of a copy are opened afresh,
    // since whoever writes them may replace or remove them.
    bool live = true;
    // How long a source that looks its instances up (sensors, processes) trusts what it found.
    Clock::duration relistEvery = std::chrono::seconds(5);
    // The NVIDIA management library, loaded when a counter first needs it; empty for none.
    std::string nvml = "libnvidia-ml.so.1";

    // A copy of the system's files under `root` (root/proc, root/sys), read afresh every time.
    static SystemPaths under(const std::filesystem::path& root);
};

// How a counter's value comes from two readings of its count.
enum class Measure {
    Level,       // the last reading, as it is
    PerSecond,   // the count's change per second of up time between the readings
    ShareOfBase, // the count's change over the base's change, in percent (processor times)
};

// One counter a source serves.
struct ServedCounter {
    std::string_view name; // as a path spells it; matched without regard to case
    Units units;           // how the counter's values read
    Measure measure;
    double scale = 1.0; // applied to what the measure gives
    double cap = std::numeric_limits<double>::infinity();
};

// What a source serves: one object's counters, over its instances or without any.
struct SourceInfo {
    std::string_view object;
    bool hasInstances;
    std::span<const ServedCounter> counters;
};

// One reading of a counter: what it counts, and for a share the whole it is a share of.
struct Reading {
    double count = 0.0;
    double base = 0.0;
};

// A level's reading, when there is one.
inline std::optional<Reading> levelReading(std::optional<double> value) {
    return value ? std::optional(Reading{*value}) : std::nullopt;
}

// When a source is read: the steady clock, and the system's up time that rates are measured in.
struct Moment {
    Clock::time_point now;
    std::optional<double> uptime;
};

// One source of counters: the files it reads, how it parses them, and the counters and instances
// it serves. Every source is registered in the table of SourceTable.cpp. A source is only read
// through its SourceReader, one caller at a time, and only once some counter wants it.
class Source {
public:
    explicit Source(const SourceInfo& info) : info_(info) {}
    virtual ~Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    const SourceInfo& info() const { return info_; }

    // Reads the source's files once. Nothing is allocated while the instances stay the same.
    virtual void refresh(const Moment& moment) = 0;
    // The counter (an index into info().counters) of an instance, as the last refresh saw it;
    // nothing when the instance or the counter's file is missing.
    virtual std::optional<Reading> read(std::size_t counter, std::string_view instance) const = 0;
    // Whether the source serves the counter of this instance, which it reads from the next
    // refresh on. A source that reads only what counters want starts reading it; the others
    // answer from the last refresh. An instance must exist when its counter is added, as on
    // Windows; a counter of an object without instances is always served.
    virtual bool want(std::size_t counter, std::string_view instance);
    // Every instance the source serves now, its total first; a source without instances adds
    // nothing.
    virtual void listInstances(std::vector<std::string>& into);

private:
    const SourceInfo& info_;
};

} // namespace platform::linuxcounters
