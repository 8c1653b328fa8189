#include "platform/linuxcounters/SourceTable.h"

#include "platform/linuxcounters/BatterySource.h"
#include "platform/linuxcounters/DiskSource.h"
#include "platform/linuxcounters/GpuSource.h"
#include "platform/linuxcounters/MemorySource.h"
#include "platform/linuxcounters/NetworkSource.h"
#include "platform/linuxcounters/PressureSource.h"
#include "platform/linuxcounters/ProcessSource.h"
#include "platform/linuxcounters/ProcessorSource.h"
#include "platform/linuxcounters/SystemSources.h"
#include "platform/linuxcounters/TemperatureSource.h"

#include <array>

namespace platform::linuxcounters {

namespace {

using MakeSource = std::unique_ptr<Source> (*)(const SystemPaths&);

template <typename Kind>
std::unique_ptr<Source> make(const SystemPaths& paths) {
    return std::make_unique<Kind>(paths);
}

// Every source, in the order their objects are shown to users. A new source is one line here.
constexpr std::array sourceTable = std::to_array<MakeSource>({
    make<ProcessorSource>,
    make<MemorySource>,
    make<NetworkSource>,
    make<DiskSource>,
    make<ProcessCountSource>,
    make<ThreadCountSource>,
    make<UpTimeSource>,
    make<TemperatureSource>,
    make<GpuSource>,
    make<BatterySource>,
    make<PressureSource>,
    make<ProcessSource>,
});

static_assert(sourceTable.size() <= maxSources);

} // namespace

SourceList makeSources(const SystemPaths& paths) {
    SourceList sources;
    for (const MakeSource makeSource : sourceTable)
        sources.push_back(makeSource(paths));
    return sources;
}

} // namespace platform::linuxcounters
