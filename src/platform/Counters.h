#pragma once

#include "values/ConfigurationValues.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Performance counters and the memory load, as each platform serves them. Counters are named by
// counter paths in the Windows syntax, `\Object(Instance)\Counter` or `\Object\Counter`, on
// every platform (CounterPath). The instance `_Total` or `*` asks for the object's total, which
// is served whether or not the system keeps a `_Total` instance of that object: the sum of the
// instances, or their average for a percentage. Counters are those of this computer only.
namespace platform {

// A set of counters sampled together. Rates and percentages are computed between the last two
// collects, so a counter needs two collects before it has a value.
class CounterQuery {
public:
    virtual ~CounterQuery() = default;

    // Adds a counter and returns its handle. Throws std::invalid_argument("PdhAddCounter
    // failed") for a path this system does not serve, and ("remote counter paths are not
    // supported.") for a path that names a computer.
    virtual std::size_t addCounter(const std::string& path) = 0;
    // Takes one sample of every counter; false when the sources could not be read at all.
    virtual bool collect() = 0;
    // The counter's value from the last collects. Throws std::invalid_argument(
    // "GetFormattedCounterValue failed") when it has none (too few samples, or a source that
    // went away).
    virtual double read(std::size_t counter) const = 0;
};

std::unique_ptr<CounterQuery> openCounterQuery();

// A counter path this computer serves, and the units its values read in.
struct CounterListing {
    std::string path;
    Units units = Units::None;
};

// Every counter path this computer serves now, those of one object together: each loads with
// addCounter, as long as its instance lasts.
std::vector<CounterListing> listCounters();

// Physical memory in use, in whole percent (0 to 100).
std::uint32_t memoryLoad();

} // namespace platform
