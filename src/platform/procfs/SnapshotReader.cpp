#include "platform/procfs/SnapshotReader.h"

#include <bit>
#include <time.h>

namespace platform::procfs {

namespace {

// The boot clock counts what /proc/uptime shows, suspended time included, without a file.
std::optional<double> bootClockSeconds() {
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0)
        return std::nullopt;
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

std::shared_ptr<SnapshotReader> SnapshotReader::live(Clock::duration shareWithin) {
    return std::shared_ptr<SnapshotReader>(new SnapshotReader("/", true, shareWithin));
}

std::shared_ptr<SnapshotReader> SnapshotReader::under(const std::filesystem::path& root,
                                                      Clock::duration shareWithin) {
    return std::shared_ptr<SnapshotReader>(new SnapshotReader(root, false, shareWithin));
}

SnapshotReader::SnapshotReader(std::filesystem::path root, bool live, Clock::duration shareWithin)
    : root_(std::move(root)), live_(live), shareWithin_(shareWithin),
      stat_(root_ / "proc/stat", live), meminfo_(root_ / "proc/meminfo", live),
      netDev_(root_ / "proc/net/dev", live), diskstats_(root_ / "proc/diskstats", live),
      loadavg_(root_ / "proc/loadavg", live), uptime_(root_ / "proc/uptime", live) {}

void SnapshotReader::read(unsigned sources, Snapshot& into) {
    look(
        sources,
        [&](const Snapshot& latest, std::optional<double> uptime) {
            into.uptimeSeconds = uptime;
            if (sources & Stat)
                into.cpus = latest.cpus;
            if (sources & Meminfo)
                into.meminfoBytes = latest.meminfoBytes;
            if (sources & NetDev)
                into.network = latest.network;
            if (sources & Diskstats)
                into.disks = latest.disks;
            if (sources & Loadavg)
                into.threads = latest.threads;
            if (sources & ProcessDirectories)
                into.processes = latest.processes;
        });
}

std::uint32_t SnapshotReader::memoryLoad() {
    return look(
        Meminfo,
        [](const Snapshot& latest, std::optional<double>) { return procfs::memoryLoad(latest); });
}

// The index of the first of the sources.
std::size_t SnapshotReader::firstOf(unsigned sources) {
    return static_cast<std::size_t>(std::countr_zero(sources));
}

// In the order of the sources, so that two queries never wait for each other in a circle.
SnapshotReader::Locks SnapshotReader::lock(unsigned sources) {
    Locks locks;
    for (unsigned rest = sources; rest != 0; rest &= rest - 1)
        locks[firstOf(rest)] = std::unique_lock(slots_[firstOf(rest)].mutex);
    return locks;
}

void SnapshotReader::refresh(unsigned sources) {
    const Clock::time_point now = Clock::now();
    if (!fresh(sources, now))
        readPass(sources, now);
}

// Sources read in one pass share one moment, so rates of counters on different sources of one
// query are measured over the same time.
bool SnapshotReader::fresh(unsigned sources, Clock::time_point now) const {
    const Slot& first = slots_[firstOf(sources)];
    for (unsigned rest = sources; rest != 0; rest &= rest - 1) {
        const Slot& slot = slots_[firstOf(rest)];
        if (slot.pass == 0 || slot.pass != first.pass)
            return false;
    }
    return now - first.readAt < shareWithin_;
}

void SnapshotReader::readPass(unsigned sources, Clock::time_point now) {
    const std::uint64_t pass = ++passes_;
    const std::optional<double> seconds = uptime();
    if (sources & Stat)
        readSource(stat_, latest_.cpus, parseStat);
    if (sources & Meminfo)
        readSource(meminfo_, latest_.meminfoBytes, parseMeminfo);
    if (sources & NetDev)
        readSource(netDev_, latest_.network, parseNetDev);
    if (sources & Diskstats && readSource(diskstats_, latest_.disks, parseDiskstats))
        wholeDisks_ = sysfsWholeDisks(root_ / "sys");
    if (sources & Diskstats && !latest_.disks.empty())
        totalDisks(latest_, wholeDisks_);
    if (sources & Loadavg) {
        const auto text = loadavg_.read();
        latest_.threads = text ? parseThreads(*text) : std::nullopt;
    }
    if (sources & ProcessDirectories)
        latest_.processes = countProcesses(root_ / "proc");
    for (unsigned rest = sources; rest != 0; rest &= rest - 1) {
        Slot& slot = slots_[firstOf(rest)];
        slot.pass = pass;
        slot.readAt = now;
        slot.uptime = seconds;
    }
}

// A file that cannot be read leaves its part of the snapshot empty. Returns whether the
// instances changed.
template <typename Value>
bool SnapshotReader::readSource(ProcfsFile& file, Instances<Value>& part,
                                bool (*parse)(std::string_view, Snapshot&)) {
    if (const auto text = file.read())
        return parse(*text, latest_);
    const bool changed = !part.empty();
    part.clear();
    return changed;
}

std::optional<double> SnapshotReader::uptime() {
    if (live_)
        return bootClockSeconds();
    std::lock_guard lock(uptimeMutex_);
    const auto text = uptime_.read();
    return text ? firstNumber(*text) : std::nullopt;
}

Snapshot readSnapshot(const std::filesystem::path& root, unsigned sources) {
    Snapshot snapshot;
    SnapshotReader::under(root)->read(sources, snapshot);
    return snapshot;
}

std::uint32_t memoryLoad(const std::filesystem::path& root) {
    return memoryLoad(readSnapshot(root, Meminfo));
}

} // namespace platform::procfs
