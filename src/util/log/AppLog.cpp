#include "util/log/AppLog.h"

#include "util/log/LogText.h"

#include <mutex>
#include <ostream>

namespace util::log {

namespace {

// The singleton and its guard live in one object so that they are destroyed together, after
// every other static that was constructed later has logged its last line. The log is closed
// there even if someone still holds a copy (a frame that exit() does not unwind), so that
// everything queued reaches the file.
struct Singleton {
    std::mutex mutex;
    std::shared_ptr<AppLog> log;
    std::ostream* copy = nullptr;
    FirstError* firstError = nullptr;

    ~Singleton() {
        if (log)
            log->close();
    }
};

Singleton& singleton() {
    static Singleton instance;
    return instance;
}

void copyLine(std::ostream& out, LogLevel level, std::string_view message) {
    std::string line(levelName(level));
    line += " - ";
    appendLogText(line, message, "\n - ");
    out << line << std::endl;
}

} // namespace

std::shared_ptr<AppLog> AppLog::create(const FileOpener& open) {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    if (!s.log)
        s.log = std::make_shared<AppLog>(open());
    return s.log;
}

std::shared_ptr<AppLog> AppLog::instance() {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    return s.log;
}

void AppLog::release() {
    std::shared_ptr<AppLog> released;
    {
        Singleton& s = singleton();
        std::lock_guard lock(s.mutex);
        released = std::move(s.log);
    }
    if (released)
        released->close();
}

void AppLog::log(const LogEntry& entry) {
    if (!isRunning())
        start();
    write(entry);
}

void logMessage(LogLevel level, std::string message) {
    std::shared_ptr<AppLog> log;
    {
        Singleton& s = singleton();
        std::lock_guard lock(s.mutex);
        if (s.copy != nullptr)
            copyLine(*s.copy, level, message);
        if (FirstError* first = s.firstError; first != nullptr && level >= LogLevel::Error &&
                                              first->message_.empty() &&
                                              first->thread_ == std::this_thread::get_id())
            first->message_ = message;
        log = s.log;
    }
    if (log)
        log->log(LogEntry(std::move(message), level));
}

LogCopy::LogCopy(std::ostream& stream) {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    s.copy = &stream;
}

LogCopy::~LogCopy() {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    s.copy = nullptr;
}

FirstError::FirstError() {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    s.firstError = this;
}

FirstError::~FirstError() {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    s.firstError = nullptr;
}

std::string FirstError::message() const {
    Singleton& s = singleton();
    std::lock_guard lock(s.mutex);
    return message_;
}

} // namespace util::log
