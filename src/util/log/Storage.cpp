#include "util/log/Storage.h"

#include <ctime>
#include <iostream>
#include <stdexcept>

namespace util::log {

Storage::Storage(std::string fileName) : fileName_(std::move(fileName)) {
    output_.open(fileName_, std::ios::out | std::ios::app | std::ios::binary);
    if (!output_.is_open()) {
        throw std::runtime_error("Unable to open log output stream.");
    }
}

Storage::~Storage() {
    close();
}

void Storage::start() {
    std::lock_guard lock(startMutex_);
    if (closed_ || running_) {
        return;
    }
    running_ = true;
    writer_ = std::thread([this] { run(); });
}

void Storage::close() {
    {
        std::lock_guard lock(startMutex_);
        closed_ = true;
        if (running_.exchange(false)) {
            wake();
            writer_.join();
        }
    }
    drain(); // whatever was queued without a writer
}

void Storage::write(const LogEntry& entry) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(entry);
    }
    if (closed_) {
        drain();
    } else {
        wake();
    }
}

void Storage::wake() {
    std::lock_guard lock(wakeMutex_);
    pending_ = true;
    wakeUp_.notify_one();
}

void Storage::run() {
    for (;;) {
        waitForPending();
        // Read before draining: the destructor clears the flag before its last wake-up, so a
        // writer that sees it cleared drains everything handed in before destruction began.
        const bool last = !running_.load();
        drain();
        if (last) {
            return;
        }
    }
}

void Storage::waitForPending() {
    std::unique_lock lock(wakeMutex_);
    wakeUp_.wait(lock, [this] { return pending_; });
}

// Takes the queue over in one step and writes it without holding the queue's lock, so callers
// never wait for the disk. An entry that fails goes back to the head of the queue with those
// behind it, in order, and is tried again at the next wake-up.
void Storage::drain() {
    std::lock_guard drainLock(drainMutex_);
    {
        std::lock_guard queueLock(queueMutex_);
        batch_.swap(queue_);
        std::lock_guard wakeLock(wakeMutex_);
        pending_ = false;
    }
    while (!batch_.empty() && writeEntry(batch_.front())) {
        batch_.pop_front();
    }
    if (!batch_.empty()) {
        std::lock_guard queueLock(queueMutex_);
        queue_.insert(queue_.begin(), std::make_move_iterator(batch_.begin()),
                      std::make_move_iterator(batch_.end()));
        batch_.clear();
    }
}

bool Storage::writeEntry(const LogEntry& entry) {
    static constexpr const char* separator = " - ";
    try {
        bool first = true;
        for (const auto& [level, message] : entry.items()) {
            line_.clear();
            if (first) {
                line_.append(timestamp("%Y-%b-%d %H:%M:%S")).append(separator);
                line_.append(levelName(level));
                first = false;
            }
            line_.append(separator).append(message).append("\r\n");
            output_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
            output_.flush();
        }
        return true;
    } catch (const std::exception& e) {
        std::cerr << e.what();
        return false;
    }
}

std::string timestamp(const char* format) {
    // std::localtime shares one result buffer per process on some C libraries; the lock keeps
    // two callers from reading each other's time.
    static std::mutex localTimeMutex;
    const std::time_t now = std::time(nullptr);
    char buffer[32] = {};
    std::lock_guard lock(localTimeMutex);
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(buffer, sizeof buffer, format, local);
    }
    return buffer;
}

} // namespace util::log
