#pragma once

#include "platform/linuxcounters/Source.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform::linuxcounters {

// For a source that looks its instances up and reads only what counters want of them (sensors,
// batteries, GPUs): the counters wanted of each instance by its name, kept while the instance is
// away so that it is read again when it comes back, and of the total; and when to look the
// instances up again. An instance that went away may come back under another number: the
// source looks again, but not at every tick while it stays away.
template <std::size_t Counters>
class WantedInstances {
public:
    using Wanted = std::array<bool, Counters>;

    explicit WantedInstances(Clock::duration relistEvery) : relistEvery_(relistEvery) {}

    void want(std::string_view instance, std::size_t counter) {
        named_[std::string(instance)][counter] = true;
    }
    void wantTotal(std::size_t counter) { total_[counter] = true; }
    const Wanted& total() const { return total_; }

    // What is wanted of an instance: by its name, and for the total where it counts in it.
    Wanted of(std::string_view instance, bool inTotal) const {
        Wanted wanted = inTotal ? total_ : Wanted{};
        if (const auto named = named_.find(instance); named != named_.end())
            for (std::size_t counter = 0; counter < Counters; ++counter)
                wanted[counter] = wanted[counter] || named->second[counter];
        return wanted;
    }

    bool mustList(Clock::time_point now) const {
        return !listedAt_ || (missing_ && now - *listedAt_ >= relistEvery_);
    }
    void listed(Clock::time_point now) { listedAt_ = now; }

    // After a refresh: whether a counter wanted by name has no value (`hasValue(name, counter)`
    // is false for an instance that is gone), or a part of the total was not read.
    template <typename HasValue>
    void check(HasValue hasValue, bool totalIncomplete) {
        missing_ = totalIncomplete;
        for (const auto& [name, wanted] : named_)
            for (std::size_t counter = 0; counter < Counters; ++counter)
                missing_ = missing_ || (wanted[counter] && !hasValue(name, counter));
    }

private:
    std::map<std::string, Wanted, std::less<>> named_;
    Wanted total_{};
    Clock::duration relistEvery_;
    std::optional<Clock::time_point> listedAt_;
    bool missing_ = false;
};

} // namespace platform::linuxcounters
