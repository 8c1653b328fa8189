#include "app/ConfigurationFile.h"

#include "util/log/AppLog.h"

#include <stdexcept>
#include <string>

using util::log::LogLevel;
using util::log::logMessage;

// Without a configuration nothing is opened, as something else than a file (a FIFO) could keep
// the read waiting for ever: the reader's text for an empty file says what is wrong, then which
// file was looked for, and where. A file swapped for a FIFO after it was found would still be
// waited for; only someone who may write the folder can do that.
void readConfiguration(javascript::JsonReader& reader, const ProgramFiles& files) {
    for (const std::string& warning : files.passedOver())
        logMessage(LogLevel::Warning, warning);
    if (files.found()) {
        reader.load(files.configuration());
        return;
    }
    std::string empty; // the reader's message for a file without text
    try {
        reader.parse("", files.configuration().string());
    } catch (const std::exception& e) {
        empty = e.what();
    }
    throw std::runtime_error(empty + files.notFound());
}

IconCount
loadIconEntries(const javascript::JsonReader& reader,
                const std::function<void(const std::shared_ptr<javascript::Value>&)>& load,
                WhenNothingLoads ending) {
    const std::string outcome =
        ending == WhenNothingLoads::Exit ? "exiting." : "the icons shown stay.";
    IconCount count;
    const javascript::Array* entries = reader.getArray("icons");
    if (entries == nullptr || entries->size() == 0)
        logMessage(LogLevel::Error, "empty configuration; " + outcome);
    if (entries != nullptr) {
        for (const std::shared_ptr<javascript::Value>& entry : entries->elements()) {
            try {
                load(entry);
                ++count.loaded;
            } catch (const std::exception& e) {
                logMessage(LogLevel::Error, e.what());
                ++count.failed;
            }
        }
    }
    if (count.loaded == 0)
        logMessage(LogLevel::Error, "no icons loaded successfully; " + outcome);
    return count;
}
