#pragma once

#include "app/ConfigurationFile.h"
#include "app/ConfigurationLoader.h"
#include "app/ProgramFiles.h"

#include <iosfwd>
#include <memory>
#include <vector>

// What a check of the configuration ends with.
enum class CheckResult : int { Loaded = 0, SomethingFailed = 1, Unreadable = 2 };

// One icon that loaded, with its entry in the configuration.
struct LoadedIcon {
    std::shared_ptr<javascript::Value> entry;
    std::shared_ptr<gui::MonitorConfiguration> monitor;
};

// A configuration read and loaded icon by icon as at start-up, but without a desktop.
struct LoadedConfiguration {
    CheckResult result = CheckResult::Unreadable;
    std::shared_ptr<javascript::Value> root; // the whole document, when it was read
    std::vector<LoadedIcon> icons;           // the icons that loaded, in order
    std::size_t failedIcons = 0;
    std::size_t failedGraphs = 0; // of the icons that loaded
};

// Logs what the program logs while it loads: a file that cannot be read at level Critical when
// the program ends on it, else at level Error.
LoadedConfiguration loadWithoutDesktop(const ProgramFiles& files,
                                       const ConfigurationLoader::CollectorFactory& factory,
                                       WhenNothingLoads ending = WhenNothingLoads::Exit);

// Reads the configuration and loads every icon as the program does at start-up, with collectors
// from `factory` but without a desktop, and writes each line the load logs to `out`. Leaves the
// log file alone: the check may run beside the program.
CheckResult checkConfiguration(const ProgramFiles& files,
                               const ConfigurationLoader::CollectorFactory& factory,
                               std::ostream& out);
