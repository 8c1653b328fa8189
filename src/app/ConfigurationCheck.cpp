#include "app/ConfigurationCheck.h"

#include "app/ConfigurationFile.h"
#include "util/log/AppLog.h"

#include <ostream>
#include <stdexcept>
#include <string_view>

using util::log::LogLevel;
using util::log::logMessage;

namespace {

// One closing line, not a log line: how much of the configuration loaded.
void summarise(std::ostream& out, const LoadedConfiguration& loaded) {
    out << loaded.icons.size() << " of " << loaded.icons.size() + loaded.failedIcons
        << " icons loaded";
    if (loaded.failedGraphs > 0)
        out << "; " << loaded.failedGraphs << (loaded.failedGraphs == 1 ? " graph" : " graphs")
            << " left out";
    out << ".\n";
}

// The log line of a refused counter path does not name it: the check names each one, and where
// the paths that do exist are listed.
ConfigurationLoader::CollectorFactory noting(const ConfigurationLoader::CollectorFactory& factory,
                                             std::vector<std::string>& refused) {
    return [&factory, &refused](Units units, const std::string& type, const std::string& name,
                                const std::string& label) {
        try {
            return factory(units, type, name, label);
        } catch (const std::invalid_argument& e) {
            if (std::string_view(e.what()) == "PdhAddCounter failed")
                refused.push_back(name);
            throw;
        }
    };
}

} // namespace

LoadedConfiguration loadWithoutDesktop(const ProgramFiles& files,
                                       const ConfigurationLoader::CollectorFactory& factory,
                                       WhenNothingLoads ending) {
    const LogLevel unreadable =
        ending == WhenNothingLoads::Exit ? LogLevel::Critical : LogLevel::Error;
    LoadedConfiguration loaded;
    javascript::JsonReader reader;
    try {
        readConfiguration(reader, files);
    } catch (const std::exception& e) {
        logMessage(unreadable, e.what());
        return loaded;
    }
    loaded.result = CheckResult::SomethingFailed;
    loaded.root = reader.root();
    const auto load = [&](const std::shared_ptr<javascript::Value>& entry) {
        ConfigurationLoader loader(reader.root(), factory);
        loaded.icons.push_back({entry, loader.loadIcon(entry)});
        loaded.failedGraphs += loader.failedGraphs();
    };
    try {
        loaded.failedIcons = loadIconEntries(reader, load, ending).failed;
    } catch (const std::exception& e) { // no "icons" array: the program ends on this too
        logMessage(unreadable, e.what());
        return loaded;
    }
    const bool whole = !loaded.icons.empty() && loaded.failedIcons == 0 && loaded.failedGraphs == 0;
    if (whole)
        loaded.result = CheckResult::Loaded;
    return loaded;
}

CheckResult checkConfiguration(const ProgramFiles& files,
                               const ConfigurationLoader::CollectorFactory& factory,
                               std::ostream& out) {
    const util::log::LogCopy copy(out);
    std::vector<std::string> refused;
    const LoadedConfiguration loaded = loadWithoutDesktop(files, noting(factory, refused));
    if (loaded.result != CheckResult::Unreadable)
        summarise(out, loaded);
    for (const std::string& path : refused)
        out << "\"" << path << "\" is no counter of this computer; pakvue --counters lists "
            << "those it serves.\n";
    return loaded.result;
}
