#include "platform/procfs/ProcfsSnapshot.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
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

// Whole disks only in the total: a partition (sda1, nvme0n1p1) counts within its disk, and
// loop and RAM devices are not disks.
bool isWholeDisk(const std::string& name, const std::map<std::string, DiskCounts>& disks) {
    if (name.rfind("loop", 0) == 0 || name.rfind("ram", 0) == 0)
        return false;
    return std::none_of(disks.begin(), disks.end(), [&](const auto& other) {
        return other.first != name && name.rfind(other.first, 0) == 0;
    });
}

void readDiskstats(const std::filesystem::path& proc, Snapshot& snapshot) {
    std::ifstream in(proc / "diskstats");
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
    DiskCounts total;
    int wholeDisks = 0;
    for (const auto& [name, counts] : snapshot.disks) {
        if (isWholeDisk(name, snapshot.disks)) {
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
        readDiskstats(proc, snapshot);
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
