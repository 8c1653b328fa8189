#pragma once

#include "util/OwnedFile.h"
#include "util/log/LogEntry.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace util::log {

// The log's queue, its single writer thread and the output file. Callers only ever queue; the
// writer stamps, formats and appends, flushing each line so the file is complete if the process
// dies.
class Storage {
public:
    // Appends to `file`, open for writing at its end; throws std::runtime_error("Unable to open
    // log output stream.") when it is null.
    explicit Storage(OwnedFile file);
    // close()
    ~Storage();

    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Starts the writer thread unless it already runs or the log was closed.
    void start();
    bool isRunning() const { return running_.load(); }
    // Queues a copy of `entry` and returns at once; once the log is closed, writes it before
    // returning.
    void write(const LogEntry& entry);
    // Writes out every queued entry and ends the writer. Entries that arrive later are written
    // on the caller's thread, so nothing logged during the process's exit is lost.
    void close();

private:
    class Queue;

    std::atomic<bool> running_{false};
    std::atomic<bool> closed_{false};
    std::mutex startMutex_; // start() and close() do not overlap
    std::thread writer_;
    std::unique_ptr<Queue> queue_;
};

} // namespace util::log
