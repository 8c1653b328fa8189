// The program: one Application on the system's desktop, for as long as its message loop runs.
#include "app/Application.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/NativeDesktop.h"
#include "util/log/AppLog.h"

#include <iostream>

int main() {
    std::string reason;
    std::unique_ptr<platform::Desktop> desktop = platform::openNativeDesktop(reason);
    if (!desktop) {
        try {
            util::log::AppLog::create(Application::logFile);
        } catch (const std::exception& e) {
            std::cerr << e.what();
        }
        util::log::logMessage(util::log::LogLevel::Critical, reason);
        return 0;
    }
    platform::installDesktop(desktop.get());
    {
        Application application(util::system::monitoring::createDataCollector);
        platform::runMessageLoop();
    }
    platform::installDesktop(nullptr);
    return 0; // whatever ended the loop
}
