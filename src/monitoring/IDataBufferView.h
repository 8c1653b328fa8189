#pragma once

#include "values/ConfigurationValues.h"

#include <cstdint>
#include <functional>

namespace util::system::monitoring {

// A window of `size` samples onto a buffer whose newest end lies `offset` samples before the
// buffer's newest sample. View index 0 is the oldest sample in the window.
class IDataBufferView {
public:
    using OffsetChangedHandler = std::function<void(std::uint32_t)>;

    // Sets the offset, clamped to 0 ... capacity - size, and returns what was stored.
    virtual int setOffset(int offset) = 0;
    virtual int getOffset() const = 0;
    // Moves the window back in time by `delta` samples (forward when negative).
    virtual int scroll(int delta) = 0;
    // Throws std::invalid_argument when `size` exceeds the buffer's capacity; returns the
    // capacity.
    virtual int setSize(int size) = 0;
    virtual int getSize() const = 0;
    virtual double getValue(int index) const = 0;
    virtual double getLast() const = 0;
    virtual double getMaximum() const = 0;
    virtual double getScaledMaximum() const = 0;
    virtual double getAverage() const = 0;
    virtual Units getUnits() const = 0;
    // Called with the new offset whenever the offset is set.
    virtual void setOffsetChangedHandler(OffsetChangedHandler handler) = 0;

protected:
    ~IDataBufferView() = default;
};

} // namespace util::system::monitoring
