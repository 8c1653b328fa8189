#include "util/thread/Ticker.h"

#include <algorithm>
#include <limits>

namespace util {

Ticker::~Ticker() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (own_.joinable())
        own_.join();
}

Ticker& Ticker::shared() {
    static Ticker ticker;
    return ticker;
}

Ticker::Id Ticker::add(std::chrono::milliseconds interval, Job job) {
    std::lock_guard lock(mutex_);
    entries_.push_back(
        {++lastId_, interval, std::make_shared<Job>(std::move(job)), Clock::now(), 0});
    changedLocked();
    return lastId_;
}

void Ticker::remove(Id id) {
    Lock lock(mutex_);
    std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
    if (id != 0 && running_ == id && runningOn_ != std::this_thread::get_id())
        changed_.wait(lock, [this, id] { return running_ != id; });
}

void Ticker::cancel(Id id) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; });
}

// The own thread finishes the job it runs, then sleeps until the ticks are given back.
void Ticker::host(std::function<void()> wake) {
    Lock lock(mutex_);
    hostWake_ = std::move(wake);
    changed_.notify_all();
    changed_.wait(lock, [this] { return running_ == 0; });
}

void Ticker::unhost() {
    std::lock_guard lock(mutex_);
    hostWake_ = nullptr;
    changedLocked();
}

int Ticker::millisecondsToNextTick() const {
    std::lock_guard lock(mutex_);
    const std::optional<Clock::time_point> next = earliestLocked();
    if (!next)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
}

void Ticker::runDue() {
    Lock lock(mutex_);
    runDueLocked(lock, true);
}

// Each job due now runs once, earliest first, without the lock: a job may add or remove jobs,
// its own among them. A job of no interval is due again at once, but in the next round, so
// that it never keeps the others or the hosting loop waiting. Only the thread that has the
// ticks runs them: a loop that takes them over stops the own thread between two jobs.
void Ticker::runDueLocked(Lock& lock, bool byHost) {
    const std::uint64_t round = ++round_;
    const Clock::time_point now = Clock::now();
    for (Entry* entry = nextDueLocked(now); entry != nullptr && byHost == (hostWake_ != nullptr);
         entry = nextDueLocked(now)) {
        entry->round = round;
        const Id id = entry->id;
        const std::shared_ptr<Job> job = entry->job;
        running_ = id;
        runningOn_ = std::this_thread::get_id();
        lock.unlock();
        const Clock::time_point started = Clock::now();
        (*job)();
        lock.lock();
        running_ = 0;
        changed_.notify_all();
        const auto still = std::find_if(entries_.begin(), entries_.end(),
                                        [id](const Entry& each) { return each.id == id; });
        if (still != entries_.end())
            still->due = Clock::time_point(nextTick(still->interval, started.time_since_epoch(),
                                                    Clock::now().time_since_epoch()));
    }
}

Ticker::Entry* Ticker::nextDueLocked(Clock::time_point now) {
    Entry* next = nullptr;
    for (Entry& entry : entries_)
        if (entry.round != round_ && entry.due <= now && (next == nullptr || entry.due < next->due))
            next = &entry;
    return next;
}

std::optional<Ticker::Clock::time_point> Ticker::earliestLocked() const {
    std::optional<Clock::time_point> earliest;
    for (const Entry& entry : entries_)
        if (!earliest || entry.due < *earliest)
            earliest = entry.due;
    return earliest;
}

void Ticker::changedLocked() {
    if (hostWake_) {
        hostWake_();
        return;
    }
    if (!own_.joinable())
        own_ = std::thread([this] { ownLoop(); });
    changed_.notify_all();
}

void Ticker::ownLoop() {
    Lock lock(mutex_);
    while (!ending_) {
        const std::optional<Clock::time_point> next = earliestLocked();
        if (hostWake_ || !next)
            changed_.wait(lock);
        else if (*next > Clock::now())
            changed_.wait_until(lock, *next);
        else
            runDueLocked(lock, false);
    }
}

} // namespace util
