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

using Sample = ProcfsCounterQuery::Sample;

// Whether the source's part of the snapshot has the instance; the other parts are not looked at.
bool hasInstance(unsigned source, const Snapshot& snapshot, const std::string& instance) {
    switch (source) {
    case Stat:
        return find(snapshot.cpus, instance) != nullptr;
    case NetDev:
        return find(snapshot.network, instance) != nullptr;
    case Diskstats:
        return find(snapshot.disks, instance) != nullptr;
    default:
        return false;
    }
}

template <typename Value, typename Field>
std::optional<double> fieldOf(const Instances<Value>& map, const std::string& instance,
                              Field field) {
    const Value* value = find(map, instance);
    return value != nullptr ? std::optional(field(*value)) : std::nullopt;
}

std::optional<double> meminfo(const Snapshot& snapshot, const char* key) {
    return fieldOf(
        snapshot.meminfoBytes, key, [](double bytes) { return bytes; });
}

std::optional<double> committedPercent(const Snapshot& snapshot) {
    const auto committed = meminfo(snapshot, "Committed_AS");
    const auto limit = meminfo(snapshot, "CommitLimit");
    if (!committed || !limit)
        return std::nullopt;
    return 100.0 * *committed / *limit;
}

// What the counter counts in a reading of its source.
std::optional<double> countOf(Kind kind, const std::string& i, const Snapshot& s,
                              std::optional<double> uptime) {
    switch (kind) {
    case Kind::ProcessorTime:
        return fieldOf(s.cpus, i, [](const CpuTimes& t) { return t.busy; });
    case Kind::UserTime:
        return fieldOf(s.cpus, i, [](const CpuTimes& t) { return t.user; });
    case Kind::PrivilegedTime:
        return fieldOf(s.cpus, i, [](const CpuTimes& t) { return t.privileged; });
    case Kind::AvailableBytes:
        return meminfo(s, "MemAvailable");
    case Kind::CacheBytes:
        return meminfo(s, "Cached");
    case Kind::CommittedPercent:
        return committedPercent(s);
    case Kind::BytesReceived:
        return fieldOf(s.network, i, [](const NetworkBytes& n) { return n.received; });
    case Kind::BytesSent:
        return fieldOf(s.network, i, [](const NetworkBytes& n) { return n.sent; });
    case Kind::BytesTotal:
        return fieldOf(s.network, i, [](const NetworkBytes& n) { return n.received + n.sent; });
    case Kind::DiskReadBytes:
        return fieldOf(s.disks, i, [](const DiskCounts& c) { return c.readBytes; });
    case Kind::DiskWriteBytes:
        return fieldOf(s.disks, i, [](const DiskCounts& c) { return c.writtenBytes; });
    case Kind::DiskBytes:
        return fieldOf(s.disks, i,
                       [](const DiskCounts& c) { return c.readBytes + c.writtenBytes; });
    case Kind::DiskTime:
        return fieldOf(s.disks, i, [](const DiskCounts& c) { return c.busyMilliseconds; });
    case Kind::Processes:
        return s.processes;
    case Kind::Threads:
        return s.threads;
    case Kind::UpTime:
        return uptime;
    }
    return std::nullopt;
}

bool isProcessorShare(Kind kind) {
    return kind == Kind::ProcessorTime || kind == Kind::UserTime || kind == Kind::PrivilegedTime;
}

// Only the parts of the snapshot that the counter's own source fills are looked at: the others
// belong to other queries' passes.
Sample sampleOf(const ProcfsCounterQuery::Counter& counter, const Snapshot& snapshot,
                std::optional<double> uptime) {
    Sample sample{uptime, countOf(counter.kind, counter.instance, snapshot, uptime), 0.0};
    if (isProcessorShare(counter.kind))
        sample.ticks = fieldOf(snapshot.cpus, counter.instance, [](const CpuTimes& t) {
                           return t.total;
                       }).value_or(0.0);
    return sample;
}

double level(const Sample& after) {
    if (!after.count)
        readFailed();
    return *after.count;
}

double cpuShare(const Sample& before, const Sample& after) {
    if (!before.count || !after.count)
        readFailed();
    const double total = after.ticks - before.ticks;
    return total > 0.0 ? std::clamp(100.0 * (*after.count - *before.count) / total, 0.0, 100.0)
                       : 0.0;
}

// Two collects within one tick of the up-time clock (the first frame right after the query
// opened, say) measured no time: their rates are 0.
double perSecond(const Sample& before, const Sample& after) {
    if (!before.count || !after.count || !before.uptime || !after.uptime ||
        *after.uptime < *before.uptime)
        readFailed();
    const double elapsed = *after.uptime - *before.uptime;
    return elapsed > 0.0 ? std::max(*after.count - *before.count, 0.0) / elapsed : 0.0;
}

double valueOf(const ProcfsCounterQuery::Counter& counter) {
    if (isProcessorShare(counter.kind))
        return cpuShare(counter.before, counter.after);
    switch (counter.kind) {
    case Kind::BytesReceived:
    case Kind::BytesSent:
    case Kind::BytesTotal:
    case Kind::DiskReadBytes:
    case Kind::DiskWriteBytes:
    case Kind::DiskBytes:
        return perSecond(counter.before, counter.after);
    case Kind::DiskTime:
        // Milliseconds busy per second, as a percentage: a tenth of the rate.
        return std::min(perSecond(counter.before, counter.after) / 10.0, 100.0);
    default: // a level: what the last collect saw
        return level(counter.after);
    }
}

} // namespace

std::size_t ProcfsCounterQuery::addCounter(const std::string& path) {
    const ParsedPath parsed = parsePath(path);
    const auto name = std::find_if(counterNames.begin(), counterNames.end(), [&](auto& n) {
        return n.object == parsed.object && n.counter == parsed.counter;
    });
    if (name == counterNames.end() || name->hasInstances == parsed.instance.empty())
        addFailed();
    const Counter counter{name->kind, parsed.instance, {}, {}};
    // The instance must exist now, as for a live counter query.
    const bool known =
        !name->hasInstances || reader_->look(name->source, [&](const Snapshot& now, auto) {
            return hasInstance(name->source, now, counter.instance);
        });
    if (!known)
        addFailed();
    counters_.push_back(counter);
    sources_ |= name->source;
    return counters_.size() - 1;
}

bool ProcfsCounterQuery::collect() {
    return reader_->look(
        sources_,
        [this](const Snapshot& snapshot, std::optional<double> uptime) {
            for (Counter& counter : counters_) {
                counter.before = counter.after;
                counter.after = sampleOf(counter, snapshot, uptime);
            }
            return uptime.has_value();
        });
}

double ProcfsCounterQuery::read(std::size_t counter) const {
    if (counter >= counters_.size())
        readFailed();
    return valueOf(counters_[counter]);
}

} // namespace platform::procfs
