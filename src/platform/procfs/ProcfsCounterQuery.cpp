#include "platform/procfs/ProcfsCounterQuery.h"

#include "platform/CounterPath.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace platform::procfs {

namespace {

using Kind = ProcfsCounterQuery::Kind;

struct CounterName {
    std::string_view object;
    std::string_view counter;
    Kind kind;
    unsigned source;
    bool hasInstances;
};

// Object and counter names are matched without regard to case, as on Windows.
constexpr std::array<CounterName, 16> counterNames{{
    {"processor", "% processor time", Kind::ProcessorTime, Stat, true},
    {"processor", "% user time", Kind::UserTime, Stat, true},
    {"processor", "% privileged time", Kind::PrivilegedTime, Stat, true},
    {"memory", "available bytes", Kind::AvailableBytes, Meminfo, false},
    {"memory", "cache bytes", Kind::CacheBytes, Meminfo, false},
    {"memory", "% committed bytes in use", Kind::CommittedPercent, Meminfo, false},
    {"network interface", "bytes received/sec", Kind::BytesReceived, NetDev, true},
    {"network interface", "bytes sent/sec", Kind::BytesSent, NetDev, true},
    {"network interface", "bytes total/sec", Kind::BytesTotal, NetDev, true},
    {"physicaldisk", "disk read bytes/sec", Kind::DiskReadBytes, Diskstats, true},
    {"physicaldisk", "disk write bytes/sec", Kind::DiskWriteBytes, Diskstats, true},
    {"physicaldisk", "disk bytes/sec", Kind::DiskBytes, Diskstats, true},
    {"physicaldisk", "% disk time", Kind::DiskTime, Diskstats, true},
    {"system", "processes", Kind::Processes, ProcessDirectories, false},
    {"system", "threads", Kind::Threads, Loadavg, false},
    {"system", "system up time", Kind::UpTime, 0, false},
}};

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

[[noreturn]] void addFailed() {
    throw std::invalid_argument("PdhAddCounter failed");
}

[[noreturn]] void readFailed() {
    throw std::invalid_argument("GetFormattedCounterValue failed");
}

struct ParsedPath {
    std::string object;
    std::string instance;
    std::string counter;
};

// Object and counter in lower case; `_Total` and `*` both name the total.
ParsedPath parsePath(std::string_view path) {
    const CounterPath parts(path);
    refuseRemote(parts);
    if (!parts.wellFormed())
        addFailed();
    return {lowered(parts.object()), parts.total() ? "_Total" : parts.instance(),
            lowered(parts.counter())};
}

template <typename Map>
const typename Map::mapped_type* find(const Map& map, const std::string& instance) {
    const auto found = map.find(instance);
    return found != map.end() ? &found->second : nullptr;
}

// A value that the two snapshots' difference gives, per second or as a share of the total.
struct Difference {
    const Snapshot& before;
    const Snapshot& after;

    // Two collects within one tick of the up-time clock (the first frame right after the
    // query opened, say) measured no time: their rates are 0.
    double seconds() const {
        if (!before.uptimeSeconds || !after.uptimeSeconds ||
            *after.uptimeSeconds < *before.uptimeSeconds)
            readFailed();
        return *after.uptimeSeconds - *before.uptimeSeconds;
    }

    template <typename Map, typename Field>
    double perSecond(const Map& map, const Map& previous, const std::string& instance,
                     Field field) const {
        const auto* now = find(map, instance);
        const auto* then = find(previous, instance);
        if (now == nullptr || then == nullptr)
            readFailed();
        const double elapsed = seconds();
        return elapsed > 0.0 ? std::max(field(*now) - field(*then), 0.0) / elapsed : 0.0;
    }

    double cpuShare(const std::string& instance, double CpuTimes::*part) const {
        const auto* now = find(after.cpus, instance);
        const auto* then = find(before.cpus, instance);
        if (now == nullptr || then == nullptr)
            readFailed();
        const double total = now->total - then->total;
        return total > 0.0 ? std::clamp(100.0 * (now->*part - then->*part) / total, 0.0, 100.0)
                           : 0.0;
    }
};

double meminfo(const Snapshot& snapshot, const std::string& key) {
    const auto* value = find(snapshot.meminfoBytes, key);
    if (value == nullptr)
        readFailed();
    return *value;
}

double present(const std::optional<double>& value) {
    if (!value)
        readFailed();
    return *value;
}

double valueOf(const ProcfsCounterQuery::Counter& counter, const Snapshot& before,
               const Snapshot& after) {
    const Difference d{before, after};
    const std::string& i = counter.instance;
    switch (counter.kind) {
    case Kind::ProcessorTime:
        return d.cpuShare(i, &CpuTimes::busy);
    case Kind::UserTime:
        return d.cpuShare(i, &CpuTimes::user);
    case Kind::PrivilegedTime:
        return d.cpuShare(i, &CpuTimes::privileged);
    case Kind::AvailableBytes:
        return meminfo(after, "MemAvailable");
    case Kind::CacheBytes:
        return meminfo(after, "Cached");
    case Kind::CommittedPercent:
        return 100.0 * meminfo(after, "Committed_AS") / meminfo(after, "CommitLimit");
    case Kind::BytesReceived:
        return d.perSecond(after.network, before.network, i, [](auto& n) { return n.received; });
    case Kind::BytesSent:
        return d.perSecond(after.network, before.network, i, [](auto& n) { return n.sent; });
    case Kind::BytesTotal:
        return d.perSecond(after.network, before.network, i,
                           [](auto& n) { return n.received + n.sent; });
    case Kind::DiskReadBytes:
        return d.perSecond(after.disks, before.disks, i, [](auto& c) { return c.readBytes; });
    case Kind::DiskWriteBytes:
        return d.perSecond(after.disks, before.disks, i, [](auto& c) { return c.writtenBytes; });
    case Kind::DiskBytes:
        return d.perSecond(after.disks, before.disks, i,
                           [](auto& c) { return c.readBytes + c.writtenBytes; });
    case Kind::DiskTime:
        // Milliseconds busy per second, as a percentage: a tenth of the rate.
        return std::min(
            d.perSecond(after.disks, before.disks, i, [](auto& c) { return c.busyMilliseconds; }) /
                10.0,
            100.0);
    case Kind::Processes:
        return present(after.processes);
    case Kind::Threads:
        return present(after.threads);
    case Kind::UpTime:
        return present(after.uptimeSeconds);
    }
    readFailed();
}

} // namespace

std::size_t ProcfsCounterQuery::addCounter(const std::string& path) {
    const ParsedPath parsed = parsePath(path);
    const auto name = std::find_if(counterNames.begin(), counterNames.end(), [&](auto& n) {
        return n.object == parsed.object && n.counter == parsed.counter;
    });
    if (name == counterNames.end() || name->hasInstances == parsed.instance.empty())
        addFailed();
    const Counter counter{name->kind, parsed.instance};
    // The instance must exist now, as for a live counter query.
    Snapshot now;
    reader_->read(name->source, now);
    const bool known = !name->hasInstances || find(now.cpus, counter.instance) ||
                       find(now.network, counter.instance) || find(now.disks, counter.instance);
    if (!known)
        addFailed();
    counters_.push_back(counter);
    sources_ |= name->source;
    return counters_.size() - 1;
}

bool ProcfsCounterQuery::collect() {
    std::swap(previous_, current_); // the maps keep their nodes for the next reading
    reader_->read(sources_, current_);
    return current_.uptimeSeconds.has_value();
}

double ProcfsCounterQuery::read(std::size_t counter) const {
    if (counter >= counters_.size())
        readFailed();
    return valueOf(counters_[counter], previous_, current_);
}

} // namespace platform::procfs
