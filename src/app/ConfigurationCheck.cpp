#include "app/ConfigurationCheck.h"

#include "app/ConfigurationFile.h"
#include "util/log/AppLog.h"

#include <ostream>

using util::log::LogLevel;
using util::log::logMessage;

namespace {

// One closing line, not a log line: how much of the configuration loaded.
void summarise(std::ostream& out, const IconCount& icons, std::size_t failedGraphs) {
    out << icons.loaded << " of " << icons.loaded + icons.failed << " icons loaded";
    if (failedGraphs > 0)
        out << "; " << failedGraphs << (failedGraphs == 1 ? " graph" : " graphs") << " left out";
    out << ".\n";
}

CheckResult check(const ProgramFiles& files, const ConfigurationLoader::CollectorFactory& factory,
                  std::ostream& out) {
    javascript::JsonReader reader;
    try {
        readConfiguration(reader, files);
    } catch (const std::exception& e) {
        logMessage(LogLevel::Critical, e.what());
        return CheckResult::Unreadable;
    }
    std::size_t failedGraphs = 0;
    IconCount icons;
    try {
        icons = loadIconEntries(
            reader,
            [&](const std::shared_ptr<javascript::Value>& entry) {
                ConfigurationLoader loader(reader.root(), factory);
                loader.loadIcon(entry); // an icon that throws is counted as failed whole
                failedGraphs += loader.failedGraphs();
            });
    } catch (const std::exception& e) { // no "icons" array: the program ends on this too
        logMessage(LogLevel::Critical, e.what());
        return CheckResult::SomethingFailed;
    }
    summarise(out, icons, failedGraphs);
    const bool whole = icons.loaded > 0 && icons.failed == 0 && failedGraphs == 0;
    return whole ? CheckResult::Loaded : CheckResult::SomethingFailed;
}

} // namespace

CheckResult checkConfiguration(const ProgramFiles& files,
                               const ConfigurationLoader::CollectorFactory& factory,
                               std::ostream& out) {
    util::log::copyLogTo(&out);
    const CheckResult result = check(files, factory, out);
    util::log::copyLogTo(nullptr);
    return result;
}
