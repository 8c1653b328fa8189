#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

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

// Instances keyed by their names, found by views of the text without copying them.
template <typename Value>
using Instances = std::map<std::string, Value, std::less<>>;

using DiskNames = std::set<std::string, std::less<>>;

// One reading of the sources a query needs, at one moment of the system's up time. "_Total" is
// the sum (of the whole disks only, for disks) or the all-processor line.
struct Snapshot {
    std::optional<double> uptimeSeconds;
    Instances<CpuTimes> cpus;
    Instances<double> meminfoBytes;
    Instances<NetworkBytes> network;
    Instances<DiskCounts> disks;
    std::optional<double> threads;
    std::optional<double> processes;
};

// Each parser updates its part of the snapshot from a file's text in place: while the file
// names the same instances as at the last reading, nothing is allocated. Each returns whether
// the set of instances changed.
bool parseStat(std::string_view text, Snapshot& snapshot);
bool parseMeminfo(std::string_view text, Snapshot& snapshot);
bool parseNetDev(std::string_view text, Snapshot& snapshot);
// Reads the devices only; totalDisks() adds their total.
bool parseDiskstats(std::string_view text, Snapshot& snapshot);
// The total of the whole disks among the snapshot's devices: those `wholeDisks` names, or
// without that list those whose names tell they are whole disks.
void totalDisks(Snapshot& snapshot, const std::optional<DiskNames>& wholeDisks);
// The whole disks that sys/block lists, spelt as diskstats spells them; nothing when sys/block
// cannot be read.
std::optional<DiskNames> sysfsWholeDisks(const std::filesystem::path& sys);
// The thread count of a loadavg text.
std::optional<double> parseThreads(std::string_view loadavg);
std::optional<double> firstNumber(std::string_view text);
std::optional<double> countProcesses(const std::filesystem::path& proc);

// Used physical memory over total, in whole percent, as Windows reports its memory load; 0 when
// the snapshot holds no meminfo.
std::uint32_t memoryLoad(const Snapshot& snapshot);

} // namespace platform::procfs
