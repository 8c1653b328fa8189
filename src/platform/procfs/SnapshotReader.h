#pragma once

#include "platform/procfs/ProcfsFile.h"
#include "platform/procfs/ProcfsSnapshot.h"

#include <array>
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

    // Copies the latest reading of the `sources` into `into`, reading them first unless one
    // pass read them all within the sharing time. Sources not asked for are left as they are.
    void read(unsigned sources, Snapshot& into);
    // The memory load from the latest meminfo, read as read() would.
    std::uint32_t memoryLoad();

private:
    SnapshotReader(std::filesystem::path root, bool live, Clock::duration shareWithin);

    static constexpr std::size_t sourceCount = 6;

    void refresh(unsigned sources);
    bool fresh(unsigned sources, Clock::time_point now) const;
    void readPass(unsigned sources, Clock::time_point now);
    template <typename Value>
    bool readSource(ProcfsFile& file, Instances<Value>& part,
                    bool (*parse)(std::string_view, Snapshot&));
    std::optional<double> uptime();
    void copy(unsigned sources, Snapshot& into) const;

    std::filesystem::path root_;
    bool live_;
    Clock::duration shareWithin_;
    std::mutex mutex_;
    Snapshot latest_;
    // Per source: the pass that read it last, when, and the up time then.
    std::array<std::uint64_t, sourceCount> passOf_{};
    std::array<Clock::time_point, sourceCount> readAt_{};
    std::array<std::optional<double>, sourceCount> uptimeAt_{};
    std::uint64_t passes_ = 0;
    ProcfsFile stat_, meminfo_, netDev_, diskstats_, loadavg_, uptime_;
    std::optional<DiskNames> wholeDisks_;
};

// Reads the `sources` under root/proc once, with the up time of root/proc/uptime, and under
// root/sys which disks the disk total counts. A source that cannot be read is left empty.
Snapshot readSnapshot(const std::filesystem::path& root, unsigned sources);

// The memory load from root/proc/meminfo; 0 when it cannot be read.
std::uint32_t memoryLoad(const std::filesystem::path& root);

} // namespace platform::procfs
