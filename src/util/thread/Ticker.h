#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace util {

// When the next frame starts, for a frame that started at `started` and ended at `now` (times
// on the steady clock). Frames start on multiples of the interval, so jobs of one interval tick
// together: their counters share one reading and the desktop draws all their pictures at once.
// The next tick is the first multiple at least half an interval after the frame's start (a job
// that starts just before a multiple waits for the one after) and not before `now` (a frame
// that overran its interval is followed by the next tick, not by catch-up frames).
constexpr std::chrono::nanoseconds nextTick(std::chrono::nanoseconds interval,
                                            std::chrono::nanoseconds started,
                                            std::chrono::nanoseconds now) {
    if (interval.count() <= 0)
        return now;
    const std::chrono::nanoseconds earliest = std::max(started + interval / 2, now);
    return (earliest + interval - std::chrono::nanoseconds(1)) / interval * interval;
}

// The one clock of the program's periodic frames: every job runs on one thread, at the ticks of
// its own interval, so that icons of one interval wake the program once a tick between them and
// icons of another interval join the same thread at theirs. The thread is the ticker's own, or
// a loop that takes the ticks over (host()), which then does a tick's work and whatever follows
// from it in one wake-up.
class Ticker {
public:
    using Clock = std::chrono::steady_clock;
    using Job = std::function<void()>;
    using Id = std::uint64_t;

    Ticker() = default;
    ~Ticker();
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

    // The program's ticker.
    static Ticker& shared();

    // Runs `job` at once and then at every tick of `interval`; from any thread.
    Id add(std::chrono::milliseconds interval, Job job);
    // Once it returns, the job neither runs nor will again. Called from the job itself, it only
    // keeps it from running again. cancel() does not wait for the job to end.
    void remove(Id id);
    void cancel(Id id);

    // A loop takes the ticks over from the ticker's own thread: `wake`, called from any thread,
    // tells it that a tick comes earlier than it last heard. unhost() gives them back.
    void host(std::function<void()> wake);
    void unhost();
    // For the hosting loop: how long it may sleep, -1 without jobs; and the jobs due now.
    int millisecondsToNextTick() const;
    void runDue();

private:
    struct Entry {
        Id id;
        std::chrono::milliseconds interval;
        std::shared_ptr<Job> job;
        Clock::time_point due;
        std::uint64_t round; // the last call of runDue() that ran it
    };
    using Lock = std::unique_lock<std::mutex>;

    void runDueLocked(Lock& lock, bool byHost);
    Entry* nextDueLocked(Clock::time_point now);
    std::optional<Clock::time_point> earliestLocked() const;
    void changedLocked();
    void ownLoop();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    Id lastId_ = 0;
    std::uint64_t round_ = 0;
    Id running_ = 0;                 // the job running now, 0 for none
    std::thread::id runningOn_;      // and the thread it runs on
    std::function<void()> hostWake_; // empty while the ticker's own thread runs the jobs
    std::thread own_;
    bool ending_ = false;
};

} // namespace util
