// The program: one Application on the system's desktop, for as long as its message loop runs;
// or, with options, a check or a preview of the configuration, or a word about the program.
#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ConfigurationCheck.h"
#include "app/CounterList.h"
#include "app/Preview.h"
#include "monitoring/WmiDataCollector.h"
#include "platform/NativeDesktop.h"
#include "platform/Process.h"
#include "util/log/AppLog.h"

#include <iostream>

namespace {

ProgramFiles filesOf(const CommandLine& command) {
    return command.configuration ? ProgramFiles::named(*command.configuration)
                                 : ProgramFiles::ofThisProcess();
}

int runInNotificationArea(const ProgramFiles& files) {
    std::string reason;
    std::unique_ptr<platform::Desktop> desktop = platform::openNativeDesktop(reason);
    if (!desktop) {
        std::string logFailure;
        files.openLog(logFailure);
        util::log::logMessage(util::log::LogLevel::Critical, reason);
        // Without a desktop there is nowhere else to tell the user.
        std::cerr << "pakvue: " << reason << std::endl;
        return 1; // a program that could not start says so to whoever started it
    }
    platform::installDesktop(desktop.get());
    int exitCode = 0;
    {
        Application application(util::system::monitoring::createDataCollector, files);
        exitCode = platform::runMessageLoop(); // not 0 only when the desktop itself went away
    }
    platform::installDesktop(nullptr);
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    const CommandLine command = CommandLine::parse(platform::commandArguments(argc, argv));
    if (command.action == CommandLine::Action::Run && command.error.empty())
        return runInNotificationArea(filesOf(command));
    platform::useStartingTerminal();
    if (!command.error.empty()) {
        std::cerr << "pakvue: " << command.error << "\n" << CommandLine::usage();
        return 2;
    }
    switch (command.action) {
    case CommandLine::Action::Help:
        std::cout << CommandLine::usage();
        return 0;
    case CommandLine::Action::Version:
        std::cout << CommandLine::version() << "\n";
        return 0;
    case CommandLine::Action::Check:
        return static_cast<int>(checkConfiguration(
            filesOf(command), util::system::monitoring::createDataCollector, std::cout));
    case CommandLine::Action::Render:
        return static_cast<int>(renderPreview(
            filesOf(command), {command.renderFolder, command.seconds, command.synthetic},
            util::system::monitoring::createDataCollector, std::cout));
    case CommandLine::Action::Counters:
        printCounters(filterCounters(platform::listCounters(), command.counterFilter), std::cout,
                      std::chrono::milliseconds(500));
        return 0;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}
