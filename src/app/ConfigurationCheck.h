#pragma once

#include "app/ConfigurationLoader.h"
#include "app/ProgramFiles.h"

#include <iosfwd>

// What a check of the configuration ends with.
enum class CheckResult : int { Loaded = 0, SomethingFailed = 1, Unreadable = 2 };

// Reads the configuration and loads every icon as the program does at start-up, with collectors
// from `factory` but without a desktop, and writes each line the load logs to `out`. Leaves the
// log file alone: the check may run beside the program.
CheckResult checkConfiguration(const ProgramFiles& files,
                               const ConfigurationLoader::CollectorFactory& factory,
                               std::ostream& out);
