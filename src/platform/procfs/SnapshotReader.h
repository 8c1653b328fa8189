#pragma once

#include "platform/procfs/ProcfsFile.h"
#include "platform/procfs/ProcfsSnapshot.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>

namespace platform::procfs {

// Reads the procfs sources for every counter query of a process, in one place. Icons that tick
// together sample together: a source read for one query serves every query that asks within
// `shareWithin`, so each file is read once per tick, however many counters it serves. Safe to
// use from several threads.
class SnapshotReader {
public:
    using Clock = std::chrono::steady_clock;

    // The live system: files kept open, the up time from the boot clock (no file to read).
    static std::shared_ptr<SnapshotReader> live(Clock::duration shareWithin);
    // A procfs copy under `root`, the up time from root/proc/uptime.
    static std::shared_ptr<SnapshotReader> under(const std::filesystem::path& root,
                                                 Clock::duration shareWithin = {});

    // Calls look(snapshot, up time) with the latest reading of the `sources`, made first unless
    // one pass read them all within the sharing time, and returns what it returns. Only the
    // parts of the snapshot that the sources fill may be looked at, and only during the call.
    template <typename Look>
    auto look(unsigned sources, Look&& look) {
        if (sources == 0) // the up time alone
            return look(nothing_, uptime());
        const Locks held = lock(sources);
        refresh(sources);
        return look(static_cast<const Snapshot&>(latest_), slots_[firstOf(sources)].uptime);
    }

    // Copies the latest reading of the `sources` into `into`, as look() sees it. Sources not
    // asked for are left as they are.
    void read(unsigned sources, Snapshot& into);
    // The memory load from the latest meminfo.
    std::uint32_t memoryLoad();

private:
    SnapshotReader(std::filesystem::path root, bool live, Clock::duration shareWithin);

    static constexpr std::size_t sourceCount = 6;

    // What is known of one source's latest reading. Each source has its own lock, so that
    // icons sampling different sources at the same moment do not wait for each other.
    struct Slot {
        std::mutex mutex;
        std::uint64_t pass = 0; // the pass that read it, 0 before any
        Clock::time_point readAt;
        std::optional<double> uptime;
    };

    using Locks = std::array<std::unique_lock<std::mutex>, sourceCount>;
    static std::size_t firstOf(unsigned sources);
    Locks lock(unsigned sources);
    void refresh(unsigned sources);
    bool fresh(unsigned sources, Clock::time_point now) const;
    void readPass(unsigned sources, Clock::time_point now);
    template <typename Value>
    bool readSource(ProcfsFile& file, Instances<Value>& part,
                    bool (*parse)(std::string_view, Snapshot&));
    std::optional<double> uptime();

    std::filesystem::path root_;
    bool live_;
    Clock::duration shareWithin_;
    std::array<Slot, sourceCount> slots_;
    std::atomic<std::uint64_t> passes_{0};
    Snapshot latest_; // each part under its source's lock
    const Snapshot nothing_;
    ProcfsFile stat_, meminfo_, netDev_, diskstats_, loadavg_;
    std::mutex uptimeMutex_;
    ProcfsFile uptime_;
    std::optional<DiskNames> wholeDisks_;
};

// Reads the `sources` under root/proc once, with the up time of root/proc/uptime, and under
// root/sys which disks the disk total counts. A source that cannot be read is left empty.
Snapshot readSnapshot(const std::filesystem::path& root, unsigned sources);

// The memory load from root/proc/meminfo; 0 when it cannot be read.
std::uint32_t memoryLoad(const std::filesystem::path& root);

} // namespace platform::procfs
