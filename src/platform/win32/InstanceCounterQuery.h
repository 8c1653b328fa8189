#pragma once

#include "platform/Counters.h"

#include <functional>
#include <optional>
#include <string_view>

namespace platform::win32 {

// A counter query that also tells the value of every instance of a counter added with the
// instance wildcard `*`: PakVue's own counters are made of several instances of the system's.
class InstanceCounterQuery : public CounterQuery {
public:
    using InstanceVisit = std::function<void(std::string_view name, std::optional<double> value)>;

    // Calls visit(name, value) for every instance of the counter at the last collect, in UTF-8;
    // the value is empty where the instance has none yet (a rate after one collect).
    virtual void forEachInstance(std::size_t counter, const InstanceVisit& visit) = 0;
};

} // namespace platform::win32
