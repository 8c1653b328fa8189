#include "platform/procfs/ProcfsSnapshot.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace platform::procfs {

namespace {

// The lines of a text, one at a time.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}

    bool next(std::string_view& line) {
        if (rest_.empty())
            return false;
        const auto end = rest_.find('\n');
        line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return true;
    }

private:
    std::string_view rest_;
};

// The blank-separated fields of a line, one at a time.
class Fields {
public:
    explicit Fields(std::string_view line) : rest_(line) {}

    // The next field; empty at the end.
    std::string_view next() {
        const auto start = rest_.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            return rest_ = {};
        rest_.remove_prefix(start);
        const auto end = std::min(rest_.find_first_of(" \t"), rest_.size());
        const std::string_view field = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return field;
    }

    // Up to N numbers from the next fields; how many were numbers, up to the first that is not.
    template <std::size_t N>
    std::size_t numbers(std::array<double, N>& values) {
        std::size_t count = 0;
        while (count < N && number(next(), values[count]))
            ++count;
        return count;
    }

    static bool number(std::string_view field, double& value) {
        const char* end = field.data() + field.size();
        const auto [stop, error] = std::from_chars(field.data(), end, value);
        return error == std::errc() && stop == end && !field.empty();
    }

private:
    std::string_view rest_;
};

// Fills a map from one reading without allocating while the reading names the same keys as
// the map holds: a key the reading lacks or adds shows in changed().
template <typename Value>
class Refill {
public:
    explicit Refill(Instances<Value>& map) : map_(map) {}

    Value& operator[](std::string_view key) {
        ++touched_;
        const auto found = map_.find(key);
        if (found != map_.end())
            return found->second;
        added_ = true;
        return map_.emplace(std::string(key), Value{}).first->second;
    }

    bool changed() const { return added_ || touched_ != map_.size(); }

private:
    Instances<Value>& map_;
    std::size_t touched_ = 0;
    bool added_ = false;
};

// Runs a parser on the map; when the keys changed, once more on an empty map, so that keys
// that went away go from the map too.
template <typename Value, typename Parse>
bool refill(Instances<Value>& map, Parse parse) {
    Refill<Value> first(map);
    parse(first);
    if (!first.changed())
        return false;
    map.clear();
    Refill<Value> again(map);
    parse(again);
    return true;
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
bool isWholeDiskByName(const std::string& name, const Instances<DiskCounts>& disks) {
    if (isVirtual(name) || name.rfind("dm-", 0) == 0 || name.rfind("md", 0) == 0)
        return false;
    return std::none_of(disks.begin(), disks.end(),
                        [&](const auto& other) { return isPartitionOf(name, other.first); });
}

constexpr std::string_view total = "_Total";

} // namespace

bool parseStat(std::string_view text, Snapshot& snapshot) {
    return refill(
        snapshot.cpus,
        [text](Refill<CpuTimes>& cpus) {
            Lines lines(text);
            for (std::string_view line; lines.next(line);) {
                Fields fields(line);
                const std::string_view name = fields.next();
                std::array<double, 8> t{}; // user nice system idle iowait irq softirq steal
                if (name.rfind("cpu", 0) != 0 || fields.numbers(t) < t.size())
                    continue;
                CpuTimes& times = cpus[name == "cpu" ? total : name.substr(3)];
                times.user = t[0] + t[1];
                times.privileged = t[2] + t[5] + t[6];
                times.total = t[0] + t[1] + t[2] + t[3] + t[4] + t[5] + t[6] + t[7];
                times.busy = times.total - t[3] - t[4];
            }
        });
}

bool parseMeminfo(std::string_view text, Snapshot& snapshot) {
    return refill(
        snapshot.meminfoBytes,
        [text](Refill<double>& bytes) {
            Lines lines(text);
            for (std::string_view line; lines.next(line);) {
                Fields fields(line);
                std::string_view key = fields.next();
                double kibibytes = 0.0;
                if (key.empty() || !Fields::number(fields.next(), kibibytes))
                    continue;
                key.remove_suffix(1); // the colon
                bytes[key] = kibibytes * 1024.0;
            }
        });
}

bool parseNetDev(std::string_view text, Snapshot& snapshot) {
    return refill(
        snapshot.network,
        [text](Refill<NetworkBytes>& network) {
            NetworkBytes sum;
            Lines lines(text);
            for (std::string_view line; lines.next(line);) {
                const auto colon = line.find(':');
                if (colon == std::string_view::npos)
                    continue; // the two heading lines
                const std::string_view name = Fields(line.substr(0, colon)).next();
                Fields fields(line.substr(colon + 1));
                std::array<double, 9> v{}; // 8 receive columns, then the transmit columns
                if (fields.numbers(v) < v.size())
                    continue;
                network[name] = {v[0], v[8]};
                if (name != "lo") { // the loopback interface carries no network traffic
                    sum.received += v[0];
                    sum.sent += v[8];
                }
            }
            network[total] = sum;
        });
}

bool parseDiskstats(std::string_view text, Snapshot& snapshot) {
    return refill(
        snapshot.disks,
        [text](Refill<DiskCounts>& disks) {
            Lines lines(text);
            for (std::string_view line; lines.next(line);) {
                Fields fields(line);
                fields.next(); // major
                fields.next(); // minor
                const std::string_view name = fields.next();
                std::array<double, 10>
                    v{}; // reads merged sectors ms, writes merged sectors ms, ...
                if (fields.numbers(v) < v.size())
                    continue;
                disks[name] = {v[2] * 512.0, v[6] * 512.0, v[9]};
            }
            disks[total] = {};
        });
}

// The total's busy time is the disks' average, so that its percentage stays within 100.
void totalDisks(Snapshot& snapshot, const std::optional<DiskNames>& wholeDisks) {
    DiskCounts sum;
    int count = 0;
    for (const auto& [name, counts] : snapshot.disks) {
        const bool whole = wholeDisks ? wholeDisks->count(name) > 0
                                      : name != total && isWholeDiskByName(name, snapshot.disks);
        if (whole) {
            sum.readBytes += counts.readBytes;
            sum.writtenBytes += counts.writtenBytes;
            sum.busyMilliseconds += counts.busyMilliseconds;
            ++count;
        }
    }
    sum.busyMilliseconds /= std::max(count, 1);
    snapshot.disks.find(total)->second = sum;
}

// Partitions live in their disk's folder, so none is listed. sysfs spells the '/' of names
// like cciss/c0d0 as '!'.
std::optional<DiskNames> sysfsWholeDisks(const std::filesystem::path& sys) {
    std::error_code error;
    std::filesystem::directory_iterator entries(sys / "block", error);
    if (error)
        return std::nullopt;
    DiskNames disks;
    for (const auto& entry : entries) {
        std::string name = entry.path().filename().string();
        if (isVirtual(name) || isStacked(entry.path()))
            continue;
        std::replace(name.begin(), name.end(), '!', '/');
        disks.insert(std::move(name));
    }
    return disks;
}

// The fourth field of loadavg, "running/total": the total counts every thread.
std::optional<double> parseThreads(std::string_view loadavg) {
    Fields fields(loadavg);
    for (int skip = 0; skip < 3; ++skip)
        fields.next();
    const std::string_view entities = fields.next();
    const auto slash = entities.find('/');
    double threads = 0.0;
    if (slash == std::string_view::npos || !Fields::number(entities.substr(slash + 1), threads))
        return std::nullopt;
    return threads;
}

std::optional<double> firstNumber(std::string_view text) {
    double value = 0.0;
    return Fields::number(Fields(text).next(), value) ? std::optional(value) : std::nullopt;
}

std::optional<double> countProcesses(const std::filesystem::path& proc) {
    std::error_code error;
    double count = 0.0;
    for (const auto& entry : std::filesystem::directory_iterator(proc, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() &&
            std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            ++count;
    }
    return error ? std::nullopt : std::optional(count);
}

std::uint32_t memoryLoad(const Snapshot& snapshot) {
    const auto total = snapshot.meminfoBytes.find("MemTotal");
    const auto available = snapshot.meminfoBytes.find("MemAvailable");
    if (total == snapshot.meminfoBytes.end() || available == snapshot.meminfoBytes.end() ||
        total->second <= 0.0)
        return 0;
    const double used = 100.0 * (total->second - available->second) / total->second;
    return static_cast<std::uint32_t>(std::clamp(std::round(used), 0.0, 100.0));
}

} // namespace platform::procfs
