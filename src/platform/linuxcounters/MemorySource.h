#pragma once

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

#include <cstdint>

namespace platform::linuxcounters {

// Memory from /proc/meminfo: `\Memory\...`, and the memory load of a "win32" graph.
class MemorySource final : public Source {
public:
    explicit MemorySource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;

    // Used physical memory over total, in whole percent, as Windows reports its memory load; 0
    // when meminfo could not be read.
    std::uint32_t memoryLoad() const;

private:
    std::optional<double> bytes(std::string_view key) const;

    SourceFile file_;
    Instances<double> bytes_; // every line of meminfo, in bytes
};

} // namespace platform::linuxcounters
