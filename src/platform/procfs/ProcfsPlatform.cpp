// The counters and the memory load of the Linux backends, from the live procfs.

#include "platform/Counters.h"
#include "platform/procfs/ProcfsCounterQuery.h"

namespace platform {

std::unique_ptr<CounterQuery> openCounterQuery() {
    return std::make_unique<procfs::ProcfsCounterQuery>("/");
}

std::uint32_t memoryLoad() {
    return procfs::memoryLoad("/");
}

} // namespace platform
