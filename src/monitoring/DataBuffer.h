#pragma once

#include "monitoring/IDataBuffer.h"
#include "util/thread/UpdateCounter.h"

#include <vector>

namespace util::system::monitoring {

// The sample history behind a graph. Values live in a ring, so pushing never allocates.
//
// The values themselves are not locked: the data set that owns the collector serialises the
// sampling pass against readers. Only the count of pushes is guarded.
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
    std::uint32_t getUpdateCount() const override { return updates_.get(); }
    std::uint32_t waitForUpdate(std::uint32_t lastSeen) override {
        return updates_.waitForChange(lastSeen);
    }
    std::shared_ptr<IDataBufferView> createView(int offset, int size) override;

private:
    // Calls visit(value) for each stored value of the range, oldest first.
    template <typename Visit>
    void forEachInRange(std::uint32_t offset, std::uint32_t count, Visit visit) const;

    std::uint32_t capacity_;
    std::vector<double> ring_;
    std::uint32_t oldest_ = 0; // ring index of buffer index 0
    Units units_;
    util::UpdateCounter updates_;
};

} // namespace util::system::monitoring
