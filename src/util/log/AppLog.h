#pragma once

#include "util/log/Storage.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <thread>

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

// While it lives, keeps the first message of level Error or above that the thread which made
// it logs, whether or not a log is open: what a user is told when a load fails. Lines that
// other threads log meanwhile are not the load's. One at a time.
class FirstError {
public:
    FirstError();
    ~FirstError();
    FirstError(const FirstError&) = delete;
    FirstError& operator=(const FirstError&) = delete;

    // Empty while none was logged.
    std::string message() const;

private:
    friend void logMessage(LogLevel level, std::string message);
    std::thread::id thread_ = std::this_thread::get_id();
    std::string message_; // under the log's guard
};

} // namespace util::log
