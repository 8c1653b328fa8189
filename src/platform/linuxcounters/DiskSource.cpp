#include "platform/linuxcounters/DiskSource.h"

#include "platform/linuxcounters/TextFields.h"

#include <algorithm>
#include <cctype>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"Disk Read Bytes/sec", Units::Rate, Measure::PerSecond},
    {"Disk Write Bytes/sec", Units::Rate, Measure::PerSecond},
    {"Disk Bytes/sec", Units::Rate, Measure::PerSecond},
    // Milliseconds busy per second, as a percentage: a tenth of the rate.
    {"% Disk Time", Units::Percentage, Measure::PerSecond, 0.1, 100.0},
};
constexpr SourceInfo served{"PhysicalDisk", true, counters};

// Reads the devices only; the total is added afterwards.
void parse(std::string_view text, Refill<DiskSource::Counts>& disks) {
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        Fields fields(line);
        fields.next(); // major
        fields.next(); // minor
        const std::string_view name = fields.next();
        std::array<double, 10> v{}; // reads merged sectors ms, writes merged sectors ms, ...
        if (fields.numbers(v) < v.size())
            continue;
        disks[name] = {v[2] * 512.0, v[6] * 512.0, v[9]};
    }
    disks[totalName] = {};
}

// Loop, RAM and compressed-RAM devices hold no data on a disk of their own.
bool isVirtual(std::string_view name) {
    return name.starts_with("loop") || name.starts_with("ram") || name.starts_with("zram");
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
    if (disk.empty() || name.size() <= disk.size() || !name.starts_with(disk))
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
bool isWholeDiskByName(std::string_view name, const Instances<DiskSource::Counts>& disks) {
    if (isVirtual(name) || name.starts_with("dm-") || name.starts_with("md"))
        return false;
    return std::none_of(disks.begin(), disks.end(),
                        [&](const auto& other) { return isPartitionOf(name, other.first); });
}

// The whole disks that sys/block lists, spelt as diskstats spells them; nothing when sys/block
// cannot be read. Partitions live in their disk's folder, so none is listed. sysfs spells the
// '/' of names like cciss/c0d0 as '!'.
std::optional<DiskSource::Names> sysfsWholeDisks(const std::filesystem::path& sys) {
    std::error_code error;
    std::filesystem::directory_iterator entries(sys / "block", error);
    if (error)
        return std::nullopt;
    DiskSource::Names disks;
    for (const auto& entry : entries) {
        std::string name = entry.path().filename().string();
        if (isVirtual(name) || isStacked(entry.path()))
            continue;
        std::replace(name.begin(), name.end(), '!', '/');
        disks.insert(std::move(name));
    }
    return disks;
}

} // namespace

DiskSource::DiskSource(const SystemPaths& paths)
    : Source(served), file_(paths.proc / "diskstats", paths.live), sys_(paths.sys) {}

void DiskSource::refresh(const Moment&) {
    if (readInto(file_, disks_, parse))
        wholeDisks_ = sysfsWholeDisks(sys_);
    if (!disks_.empty())
        total();
}

std::optional<Reading> DiskSource::read(std::size_t counter, std::string_view instance) const {
    const Counts* disk = findInstance(disks_, instance);
    if (disk == nullptr)
        return std::nullopt;
    const double counts[] = {disk->readBytes, disk->writtenBytes,
                             disk->readBytes + disk->writtenBytes, disk->busyMilliseconds};
    return Reading{counts[counter]};
}

// The total's busy time is the disks' average, so that its percentage stays within 100.
void DiskSource::total() {
    Counts sum;
    int count = 0;
    for (const auto& [name, counts] : disks_) {
        const bool whole = wholeDisks_ ? wholeDisks_->contains(name)
                                       : name != totalName && isWholeDiskByName(name, disks_);
        if (whole) {
            sum.readBytes += counts.readBytes;
            sum.writtenBytes += counts.writtenBytes;
            sum.busyMilliseconds += counts.busyMilliseconds;
            ++count;
        }
    }
    sum.busyMilliseconds /= std::max(count, 1);
    disks_.find(totalName)->second = sum;
}

} // namespace platform::linuxcounters
