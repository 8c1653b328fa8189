#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace platform::procfs {

// Processor times in clock ticks, as /proc/stat counts them.
struct CpuTimes {
    double busy = 0.0;       // everything but idle and waiting for input and output
    double user = 0.0;       // user and nice
    double privileged = 0.0; // system and interrupts
    double total = 0.0;
};

struct NetworkBytes {
    double received = 0.0;
    double sent = 0.0;
};

struct DiskCounts {
    double readBytes = 0.0;
    double writtenBytes = 0.0;
    double busyMilliseconds = 0.0;
};

// The procfs sources a query needs.
enum Source : unsigned {
    Stat = 1,
    Meminfo = 2,
    NetDev = 4,
    Diskstats = 8,
    Loadavg = 16,
    ProcessDirectories = 32,
};

// One reading of the sources a query needs, at one moment of the system's up time. Instances
// are keyed by their names; "_Total" is the sum (of the whole disks only, for disks) or the
// all-processor line.
struct Snapshot {
    std::optional<double> uptimeSeconds;
    std::map<std::string, CpuTimes> cpus;
    std::map<std::string, double> meminfoBytes;
    std::map<std::string, NetworkBytes> network;
    std::map<std::string, DiskCounts> disks;
    std::optional<double> threads;
    std::optional<double> processes;
};

// Reads the `sources` under root/proc, and under root/sys which disks the disk total counts. A
// source that cannot be read is left empty.
Snapshot readSnapshot(const std::filesystem::path& root, unsigned sources);

// Used physical memory over total, in whole percent, as Windows reports its memory load; 0 when
// root/proc/meminfo cannot be read.
std::uint32_t memoryLoad(const std::filesystem::path& root);

} // namespace platform::procfs
