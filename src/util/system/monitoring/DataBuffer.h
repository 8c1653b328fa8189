#pragma once

#include "util/system/monitoring/IDataBuffer.h"
#include "util/thread/Interruption.h"

#include <mutex>
#include <vector>

namespace util::system::monitoring {

// The sample history behind a graph. Values live in a ring, so pushing never allocates.
//
// The values themselves are not locked: the data set that owns the collector serialises the
// sampling pass against readers. Only the update count is guarded here.
class DataBuffer : public IDataBuffer, public std::enable_shared_from_this<DataBuffer> {
public:
    DataBuffer(Units units, std::uint32_t capacity);

    void push(double value) override;
    void setCapacity(std::uint32_t capacity) override;
    std::uint32_t getCapacity() const override { return capacity_; }
    double getValue(std::uint32_t index) const override;
    double getLast() const override;
    double getMaximum(std::uint32_t offset, std::uint32_t count) const override;
    double getMaximum() const override { return getMaximum(0, capacity_); }
    double getScaledMaximum(std::uint32_t offset, std::uint32_t count) const override;
    double getScaledMaximum() const override { return getScaledMaximum(0, capacity_); }
    double getAverage(std::uint32_t offset, std::uint32_t count) const override;
    double getAverage() const override { return getAverage(0, capacity_); }
    Units getUnits() const override { return units_; }
    std::uint32_t getUpdateCount() const override;
    std::uint32_t waitForUpdate(std::uint32_t lastSeen) override;
    std::shared_ptr<IDataBufferView> createView(int offset, int size) override;

private:
    // Calls visit(value) for each stored value of the range, oldest first.
    template <typename Visit>
    void forEachInRange(std::uint32_t offset, std::uint32_t count, Visit visit) const;

    std::uint32_t capacity_;
    std::vector<double> ring_;
    std::uint32_t oldest_ = 0; // ring index of buffer index 0
    Units units_;
    mutable std::mutex updateMutex_;
    std::uint32_t updateCount_ = 0;
    util::InterruptibleCondition updated_;
};

} // namespace util::system::monitoring
