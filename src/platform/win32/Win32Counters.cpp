// The counter queries of Windows, and the paths it serves: PDH's, and PakVue's own beside them.
#include "platform/Counters.h"
#include "platform/win32/PdhCounterList.h"
#include "platform/win32/PdhCounterQuery.h"
#include "platform/win32/Win32CounterQuery.h"

namespace platform {

namespace win32 {

std::unique_ptr<Win32CounterQuery> openWin32CounterQuery() {
    return std::make_unique<Win32CounterQuery>(std::make_unique<PdhCounterQuery>(systemPdh()),
                                               GetSystemPowerStatus);
}

} // namespace win32

std::vector<CounterListing> listCounters() {
    const auto query = openCounterQuery();
    auto listed = win32::listPdhCounters(win32::systemEnumeration(), [&](const std::string& path) {
        try {
            query->addCounter(path);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    });
    const auto own = win32::openWin32CounterQuery()->listOwn();
    listed.insert(listed.end(), own.begin(), own.end());
    return listed;
}

} // namespace platform
