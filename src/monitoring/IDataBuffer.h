#pragma once

#include "values/ConfigurationValues.h"

#include <cstdint>
#include <memory>

namespace util::system::monitoring {

class IDataBufferView;

// A fixed-length history of samples, oldest first (index 0), always holding exactly its
// capacity of values. Ranges are given as (offset, count) in buffer indices; a part of a range
// outside the stored values reads as 0.0.
class IDataBuffer {
public:
    virtual void push(double value) = 0;
    virtual void setCapacity(std::uint32_t capacity) = 0;
    virtual std::uint32_t getCapacity() const = 0;
    // The value at `index`, or 0.0 when there is none.
    virtual double getValue(std::uint32_t index) const = 0;
    virtual double getLast() const = 0;
    // The largest value of the range, never below 0.0.
    virtual double getMaximum(std::uint32_t offset, std::uint32_t count) const = 0;
    virtual double getMaximum() const = 0;
    // The maximum, raised for Size and Rate to a power of two of at least 2.
    virtual double getScaledMaximum(std::uint32_t offset, std::uint32_t count) const = 0;
    virtual double getScaledMaximum() const = 0;
    // The sum of the range divided by `count` (not a number for a count of 0).
    virtual double getAverage(std::uint32_t offset, std::uint32_t count) const = 0;
    virtual double getAverage() const = 0;
    virtual Units getUnits() const = 0;
    // How many values were pushed so far (wrapping).
    virtual std::uint32_t getUpdateCount() const = 0;
    // Blocks until the update count differs from `lastSeen` and returns it; an interruption
    // point of the frame threads.
    virtual std::uint32_t waitForUpdate(std::uint32_t lastSeen) = 0;
    virtual std::shared_ptr<IDataBufferView> createView(int offset, int size) = 0;
    virtual ~IDataBuffer() = default;
};

} // namespace util::system::monitoring
