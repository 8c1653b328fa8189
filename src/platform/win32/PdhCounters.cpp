// Counters through the Performance Data Helper library and the memory load through the
// memory-status call: the counter seam on Windows.
#include "platform/Counters.h"
#include "platform/win32/PdhFunctions.h"
#include "platform/win32/Win32CounterQuery.h"

namespace platform {

namespace win32 {

const PdhFunctions& systemPdh() {
    static const PdhFunctions functions{
        PdhOpenQueryW,
        PdhAddEnglishCounterW,
        PdhAddCounterW,
        PdhGetCounterInfoW,
        PdhCollectQueryData,
        PdhGetFormattedCounterValue,
        PdhGetFormattedCounterArrayW,
        PdhCloseQuery,
    };
    return functions;
}

} // namespace win32

std::unique_ptr<CounterQuery> openCounterQuery() {
    return win32::openWin32CounterQuery();
}

std::uint32_t memoryLoad() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.dwMemoryLoad : 0;
}

} // namespace platform
