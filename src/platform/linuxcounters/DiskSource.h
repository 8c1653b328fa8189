#pragma once

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

#include <set>

namespace platform::linuxcounters {

// Disks from /proc/diskstats: `\PhysicalDisk(sda)\...`. The total counts the whole disks that
// /sys/block lists, or without it those whose names tell they are whole disks; partitions,
// loop and RAM devices and devices stacked on others would count bytes twice or not at all.
class DiskSource final : public Source {
public:
    explicit DiskSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    void listInstances(std::vector<std::string>& into) override { listNames(disks_, into); }

    struct Counts {
        double readBytes = 0.0;
        double writtenBytes = 0.0;
        double busyMilliseconds = 0.0;
    };

    using Names = std::set<std::string, std::less<>>;

private:
    void total();

    SourceFile file_;
    std::filesystem::path sys_;
    Instances<Counts> disks_;
    std::optional<Names> wholeDisks_; // as sys/block lists them; nothing without sysfs
};

} // namespace platform::linuxcounters
