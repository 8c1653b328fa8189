#include "platform/procfs/ProcfsSnapshot.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

namespace platform::procfs {

namespace {

std::vector<double> numbers(std::istringstream& line) {
    std::vector<double> values;
    for (double value; line >> value;)
        values.push_back(value);
    return values;
}

void readStat(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::ifstream in(proc / "stat");
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        std::string name;
        line >> name;
        if (name.rfind("cpu", 0) != 0)
            continue;
        const auto t = numbers(line); // user nice system idle iowait irq softirq steal ...
        if (t.size() < 8)
            continue;
        CpuTimes times;
        times.user = t[0] + t[1];
        times.privileged = t[2] + t[5] + t[6];
        times.total = t[0] + t[1] + t[2] + t[3] + t[4] + t[5] + t[6] + t[7];
        times.busy = times.total - t[3] - t[4];
        snapshot.cpus[name == "cpu" ? "_Total" : name.substr(3)] = times;
    }
}

void readMeminfo(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::ifstream in(proc / "meminfo");
    std::string key;
    double kibibytes = 0.0;
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        if (line >> key >> kibibytes) {
            key.pop_back(); // the colon
            snapshot.meminfoBytes[key] = kibibytes * 1024.0;
        }
    }
}

void readNetDev(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::ifstream in(proc / "net/dev");
    NetworkBytes total;
    for (std::string text; std::getline(in, text);) {
        const auto colon = text.find(':');
        if (colon == std::string::npos)
            continue; // the two heading lines
        std::string name = text.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        std::istringstream line(text.substr(colon + 1));
        const auto v = numbers(line); // 8 receive columns, then 8 transmit columns
        if (v.size() < 9)
            continue;
        snapshot.network[name] = {v[0], v[8]};
        if (name != "lo") { // the loopback interface carries no network traffic
            total.received += v[0];
            total.sent += v[8];
        }
    }
    snapshot.network["_Total"] = total;
}

// Loop, RAM and compressed-RAM devices hold no data on a disk of their own.
bool isVirtual(std::string_view name) {
    return name.rfind("loop", 0) == 0 || name.rfind("ram", 0) == 0 || name.rfind("zram", 0) == 0;
}

// A device stacked on others (device mapper, software RAID) names them in slaves/; its bytes
// are theirs too. Every real disk has the folder, empty.
bool isStacked(const std::filesystem::path& device) {
    std::error_code error;
    return std::filesystem::directory_iterator(device / "slaves", error) !=
           std::filesystem::directory_iterator();
}

// The whole disks that sys/block lists, spelt as diskstats spells them ('!' stands for the '/'
// of names like cciss/c0d0). Partitions live in their disk's folder, so none is listed. Nothing
// when sys/block cannot be read.
std::optional<std::set<std::string>> sysfsWholeDisks(const std::filesystem::path& sys) {
    std::error_code error;
    std::filesystem::directory_iterator entries(sys / "block", error);
    if (error)
        return std::nullopt;
    std::set<std::string> disks;
    for (const auto& entry : entries) {
        std::string name = entry.path().filename().string();
        if (isVirtual(name) || isStacked(entry.path()))
            continue;
        std::replace(name.begin(), name.end(), '!', '/');
        disks.insert(std::move(name));
    }
    return disks;
}

// A partition's name is its disk's and a number, with a 'p' between when the disk's name ends
// in a digit: sda1, nvme0n1p1, mmcblk0p2, but neither sdaa nor nvme0n10.
bool isPartitionOf(std::string_view name, std::string_view disk) {
    if (disk.empty() || name.size() <= disk.size() || name.substr(0, disk.size()) != disk)
        return false;
    std::string_view number = name.substr(disk.size());
    if (std::isdigit(static_cast<unsigned char>(disk.back()))) {
        if (number.front() != 'p')
            return false;
        number.remove_prefix(1);
    }
    return !number.empty() && std::all_of(number.begin(), number.end(),
                                          [](unsigned char c) { return std::isdigit(c); });
}

// Without sysfs the names decide. Device-mapper and software-RAID devices cannot be told from
// the disks beneath them by name, so they are left out rather than counted twice.
bool isWholeDiskByName(const std::string& name, const std::map<std::string, DiskCounts>& disks) {
    if (isVirtual(name) || name.rfind("dm-", 0) == 0 || name.rfind("md", 0) == 0)
        return false;
    return std::none_of(disks.begin(), disks.end(),
                        [&](const auto& other) { return isPartitionOf(name, other.first); });
}

// Whole disks only in the total, as sysfs tells them (by name when it cannot be read).
void readDiskstats(const std::filesystem::path& root, Snapshot& snapshot) {
    std::ifstream in(root / "proc/diskstats");
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        double major = 0.0;
        double minor = 0.0;
        std::string name;
        line >> major >> minor >> name;
        const auto v = numbers(line); // reads merged sectors ms, writes merged sectors ms, ...
        if (v.size() < 10)
            continue;
        snapshot.disks[name] = {v[2] * 512.0, v[6] * 512.0, v[9]};
    }
    // The total's busy time is the disks' average, so that its percentage stays within 100.
    const auto sysfs = sysfsWholeDisks(root / "sys");
    DiskCounts total;
    int wholeDisks = 0;
    for (const auto& [name, counts] : snapshot.disks) {
        if (sysfs ? sysfs->count(name) > 0 : isWholeDiskByName(name, snapshot.disks)) {
            total.readBytes += counts.readBytes;
            total.writtenBytes += counts.writtenBytes;
            total.busyMilliseconds += counts.busyMilliseconds;
            ++wholeDisks;
        }
    }
    total.busyMilliseconds /= std::max(wholeDisks, 1);
    snapshot.disks["_Total"] = total;
}

std::optional<double> firstNumber(const std::filesystem::path& file) {
    std::ifstream in(file);
    double value = 0.0;
    return in >> value ? std::optional(value) : std::nullopt;
}

// The fourth field of loadavg, "running/total": the total counts every thread.
void readLoadavg(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::ifstream in(proc / "loadavg");
    std::string skip;
    std::string entities;
    if (in >> skip >> skip >> skip >> entities) {
        const auto slash = entities.find('/');
        std::istringstream total(entities.substr(slash == std::string::npos ? 0 : slash + 1));
        double threads = 0.0;
        if (slash != std::string::npos && total >> threads)
            snapshot.threads = threads;
    }
}

void countProcesses(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::error_code error;
    double count = 0.0;
    for (const auto& entry : std::filesystem::directory_iterator(proc, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            ++count;
    }
    if (!error)
        snapshot.processes = count;
}

} // namespace

Snapshot readSnapshot(const std::filesystem::path& root, unsigned sources) {
    const auto proc = root / "proc";
    Snapshot snapshot;
    snapshot.uptimeSeconds = firstNumber(proc / "uptime");
    if (sources & Stat)
        readStat(proc, snapshot);
    if (sources & Meminfo)
        readMeminfo(proc, snapshot);
    if (sources & NetDev)
        readNetDev(proc, snapshot);
    if (sources & Diskstats)
        readDiskstats(root, snapshot);
    if (sources & Loadavg)
        readLoadavg(proc, snapshot);
    if (sources & ProcessDirectories)
        countProcesses(proc, snapshot);
    return snapshot;
}

std::uint32_t memoryLoad(const std::filesystem::path& root) {
    const Snapshot snapshot = readSnapshot(root, Meminfo);
    const auto total = snapshot.meminfoBytes.find("MemTotal");
    const auto available = snapshot.meminfoBytes.find("MemAvailable");
    if (total == snapshot.meminfoBytes.end() || available == snapshot.meminfoBytes.end() ||
        total->second <= 0.0)
        return 0;
    const double used = 100.0 * (total->second - available->second) / total->second;
    return static_cast<std::uint32_t>(std::clamp(std::round(used), 0.0, 100.0));
}

} // namespace platform::procfs
