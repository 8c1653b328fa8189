#pragma once

#include "util/log/Storage.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace util::log {

// The process-wide log. Created once on a file name; everyone else reaches it through
// instance(). It is released at process exit, which writes out everything still queued.
class AppLog : public Storage {
public:
    // Opens the log's file: null, or an exception saying why, when it cannot.
    using FileOpener = std::function<OwnedFile()>;

    explicit AppLog(OwnedFile file) : Storage(std::move(file)) {}

    // Creates the log on the file `open` gives unless one exists (then `open` is not called)
    // and returns it. A failure to open the file propagates and leaves no log behind.
    static std::shared_ptr<AppLog> create(const FileOpener& open);
    // The log, or an empty pointer before create() succeeded.
    static std::shared_ptr<AppLog> instance();
    // Writes out and closes the log, so that the next create() opens a new one: for hosts that
    // run the program more than once in a process, such as tests.
    static void release();

    // Queues `entry`, starting the writer on first use.
    void log(const LogEntry& entry);
};

// Logs through the process log; without one (it could not be opened) the line is dropped and
// the program goes on.
void logMessage(LogLevel level, std::string message);

// While it lives, every logged line is also written to `stream` at once, as
// "<Level> - <message>" in the log's text, whether or not a log is open. For a check run from a
// terminal.
class LogCopy {
public:
    explicit LogCopy(std::ostream& stream);
    ~LogCopy();
    LogCopy(const LogCopy&) = delete;
    LogCopy& operator=(const LogCopy&) = delete;
};

} // namespace util::log
