// The program: one Application on the system's desktop, for as long as its message loop runs.
#include "app/Application.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/NativeDesktop.h"
#include "util/log/AppLog.h"

int main() {
    std::string reason;
    std::unique_ptr<platform::Desktop> desktop = platform::openNativeDesktop(reason);
    if (!desktop) {
        ProgramFiles::ofThisProcess().openLog();
        util::log::logMessage(util::log::LogLevel::Critical, reason);
        return 0;
    }
    platform::installDesktop(desktop.get());
    int exitCode = 0;
    {
        Application application(util::system::monitoring::createDataCollector);
        exitCode = platform::runMessageLoop(); // not 0 only when the desktop itself went away
    }
    platform::installDesktop(nullptr);
    return exitCode;
}
