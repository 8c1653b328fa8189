// The counters and the memory load of the Linux backends, from the live system.

#include "platform/Counters.h"
#include "platform/linuxcounters/LinuxCounterQuery.h"

#include <cstdlib>

namespace platform {

namespace {

// PAKVUE_SYSFS names a folder read in place of /sys: a copy of another machine's sensors,
// batteries and GPUs, for tests and for measuring what reading them costs.
linuxcounters::SystemPaths livePaths() {
    linuxcounters::SystemPaths paths;
    if (const char* sys = std::getenv("PAKVUE_SYSFS"); sys != nullptr && *sys != '\0')
        paths.sys = sys;
    return paths;
}

// One reader for the whole process: the icons of one tick collect within a few milliseconds of
// each other, and a shorter update interval than these is never used.
const std::shared_ptr<linuxcounters::SourceReader>& liveReader() {
    static const auto reader =
        linuxcounters::SourceReader::create(livePaths(), std::chrono::milliseconds(10));
    return reader;
}

} // namespace

std::unique_ptr<CounterQuery> openCounterQuery() {
    return std::make_unique<linuxcounters::LinuxCounterQuery>(liveReader());
}

std::uint32_t memoryLoad() {
    return liveReader()->memoryLoad();
}

std::vector<CounterListing> listCounters() {
    return liveReader()->list();
}

} // namespace platform
