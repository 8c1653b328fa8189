#pragma once

#include "util/thread/ThreadBase.h"

namespace util {

// How long to sleep after a frame that took `elapsed` milliseconds, so that frames start one
// interval apart. A frame that overran the interval is followed by a full interval rather than
// a burst of catch-up frames.
constexpr std::uint32_t remainingWait(std::uint32_t interval, std::uint64_t elapsed) {
    return elapsed <= interval ? interval - static_cast<std::uint32_t>(elapsed) : interval;
}

// A frame thread with a fixed period: after each frame it sleeps for what is left of the
// interval.
template <typename T>
class Thread : public ThreadBase<T> {
public:
    Thread(std::uint32_t interval, typename ThreadBase<T>::Producer producer)
        : ThreadBase<T>(interval, std::move(producer)) {}

private:
    void loop(const StopSignal& signal) override {
        using Clock = std::chrono::steady_clock;
        while (this->keepRunning(signal)) {
            const std::uint32_t interval = this->interval();
            const auto started = Clock::now();
            this->deliverFrame();
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
            const auto wait = remainingWait(interval, static_cast<std::uint64_t>(elapsed.count()));
            this->sleepFor(std::chrono::milliseconds(wait));
        }
    }
};

} // namespace util
