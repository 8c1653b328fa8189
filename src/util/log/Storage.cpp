#include "util/log/Storage.h"

#include "util/log/LogText.h"

#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <iostream>
#include <stdexcept>

namespace util::log {

namespace {

// Appends the local time now, formatted by strftime into a buffer of 32 characters.
// std::localtime shares one result buffer per process on some C libraries; only the log's drain
// calls this, one drain at a time.
void appendTimestamp(std::string& line) {
    const std::time_t now = std::time(nullptr);
    char buffer[32] = {};
    if (const std::tm* local = std::localtime(&now))
        std::strftime(buffer, sizeof buffer, "%Y-%b-%d %H:%M:%S", local);
    line.append(buffer);
}

} // namespace

// The entries waiting to be written, the file they go to, and the writer's side of the hand-over.
class Storage::Queue {
public:
    explicit Queue(OwnedFile output);

    void push(const LogEntry& entry);
    // Wakes the writer to drain the queue.
    void wake();
    // Tells the writer to end.
    void finish();
    // The writer thread's body.
    void run();
    void drain();

private:
    bool writeEntry(const LogEntry& entry);
    // Writes and flushes line_; false when the stream failed.
    bool writeLine();

    std::mutex wakeMutex_;
    bool pending_ = false; // guarded by wakeMutex_
    bool last_ = false;    // guarded by wakeMutex_
    std::condition_variable wakeUp_;
    std::mutex queueMutex_;
    std::deque<LogEntry> entries_;
    std::mutex drainMutex_;      // one drain at a time: the writer's, or a caller's once closed
    std::deque<LogEntry> batch_; // the drain's copy of the queue while it writes
    std::string line_;           // reused by the drain for each formatted line
    OwnedFile output_;
};

// Unbuffered: each line goes to the file in one write, and a write that failed leaves nothing
// behind to come out later.
Storage::Queue::Queue(OwnedFile output) : output_(std::move(output)) {
    if (!output_)
        throw std::runtime_error("Unable to open log output stream.");
    std::setvbuf(output_.get(), nullptr, _IONBF, 0);
}

void Storage::Queue::push(const LogEntry& entry) {
    std::lock_guard lock(queueMutex_);
    entries_.push_back(entry);
}

void Storage::Queue::wake() {
    std::lock_guard lock(wakeMutex_);
    pending_ = true;
    wakeUp_.notify_one();
}

void Storage::Queue::finish() {
    std::lock_guard lock(wakeMutex_);
    last_ = true;
    wakeUp_.notify_one();
}

void Storage::Queue::run() {
    for (;;) {
        {
            std::unique_lock lock(wakeMutex_);
            wakeUp_.wait(lock, [this] { return pending_ || last_; });
            if (last_)
                return; // close() drains what is left, after this thread is gone
        }
        drain();
    }
}

// Takes the queue over in one step and writes it without holding the queue's lock, so callers
// never wait for the disk. An entry that fails goes back to the head of the queue with those
// behind it, in order, and is tried again at the next wake-up.
void Storage::Queue::drain() {
    std::lock_guard drainLock(drainMutex_);
    {
        std::lock_guard queueLock(queueMutex_);
        batch_.swap(entries_);
        std::lock_guard wakeLock(wakeMutex_);
        pending_ = false;
    }
    while (!batch_.empty() && writeEntry(batch_.front()))
        batch_.pop_front();
    if (!batch_.empty()) {
        std::lock_guard queueLock(queueMutex_);
        entries_.insert(entries_.begin(), std::make_move_iterator(batch_.begin()),
                        std::make_move_iterator(batch_.end()));
        batch_.clear();
    }
}

// A line end inside a message continues the entry on a line of its own, as a further item does.
bool Storage::Queue::writeEntry(const LogEntry& entry) {
    static constexpr const char* separator = " - ";
    try {
        bool first = true;
        for (const auto& [level, message] : entry.items()) {
            line_.clear();
            if (first) {
                appendTimestamp(line_);
                line_.append(separator).append(levelName(level));
                first = false;
            }
            line_.append(separator);
            appendLogText(line_, message, "\r\n - ");
            line_.append("\r\n");
            if (!writeLine())
                break; // further lines alone would read as part of the entry before
        }
        return true;
    } catch (const std::exception& e) {
        std::cerr << e.what();
        return false;
    }
}

// A failed write (a full disk) marks the stream failed; clearing the mark lets the next entry try
// again, so the log goes on once space returns. The line that failed, or its unwritten part, is
// lost.
bool Storage::Queue::writeLine() {
    if (std::fwrite(line_.data(), 1, line_.size(), output_.get()) == line_.size())
        return true;
    std::clearerr(output_.get());
    return false;
}

Storage::Storage(OwnedFile file) : queue_(std::make_unique<Queue>(std::move(file))) {}

Storage::~Storage() {
    close();
}

void Storage::start() {
    std::lock_guard lock(startMutex_);
    if (closed_ || running_)
        return;
    running_ = true;
    writer_ = std::thread([queue = queue_.get()] { queue->run(); });
}

void Storage::close() {
    {
        std::lock_guard lock(startMutex_);
        closed_ = true;
        if (running_.exchange(false)) {
            queue_->finish();
            writer_.join();
        }
    }
    queue_->drain();
}

void Storage::write(const LogEntry& entry) {
    queue_->push(entry);
    if (closed_)
        queue_->drain();
    else
        queue_->wake();
}

} // namespace util::log
