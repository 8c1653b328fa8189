#pragma once

#include "util/thread/ThreadBase.h"

#include <algorithm>
#include <chrono>

namespace util {

// When the next frame starts, for a frame that started at `started` and ended at `now` (times
// on the steady clock). Frames start on multiples of the interval, so threads of one interval
// tick together: their counters share one reading and the desktop draws all their pictures at
// once. The next tick is the first multiple at least half an interval after the frame's start
// (a thread that starts just before a multiple waits for the one after) and not before `now` (a
// frame that overran its interval is followed by the next tick, not by catch-up frames).
constexpr std::chrono::nanoseconds nextTick(std::chrono::nanoseconds interval,
                                            std::chrono::nanoseconds started,
                                            std::chrono::nanoseconds now) {
    if (interval.count() <= 0)
        return now;
    const std::chrono::nanoseconds earliest = std::max(started + interval / 2, now);
    return (earliest + interval - std::chrono::nanoseconds(1)) / interval * interval;
}

// A frame thread with a fixed period: after each frame it sleeps until the next tick.
template <typename T>
class Thread : public ThreadBase<T> {
public:
    Thread(std::uint32_t interval, typename ThreadBase<T>::Producer producer)
        : ThreadBase<T>(interval, std::move(producer)) {}

private:
    void loop(const StopSignal& signal) override {
        using Clock = std::chrono::steady_clock;
        while (this->keepRunning(signal)) {
            const std::chrono::milliseconds interval(this->interval());
            const auto started = Clock::now().time_since_epoch();
            this->deliverFrame();
            const auto now = Clock::now().time_since_epoch();
            this->sleepFor(nextTick(interval, started, now) - now);
        }
    }
};

} // namespace util
