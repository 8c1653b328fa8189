#include "monitoring/DataBuffer.h"

#include "monitoring/DataBufferView.h"

#include <algorithm>
#include <limits>

namespace util::system::monitoring {

DataBuffer::DataBuffer(Units units, std::uint32_t capacity)
    : capacity_(capacity), ring_(capacity, 0.0), units_(units) {}

void DataBuffer::push(double value) {
    if (capacity_ > 0) {
        ring_[oldest_] = value; // the oldest value makes room for the newest
        oldest_ = (oldest_ + 1) % capacity_;
    }
    updates_.advance();
}

// Growing appends zeros as the newest values; shrinking drops the newest values, keeping the
// oldest.
void DataBuffer::setCapacity(std::uint32_t capacity) {
    if (capacity == capacity_)
        return;
    std::vector<double> values(capacity, 0.0);
    for (std::uint32_t i = 0; i < std::min(capacity, capacity_); ++i)
        values[i] = getValue(i);
    ring_.swap(values);
    capacity_ = capacity;
    oldest_ = 0;
}

double DataBuffer::getValue(std::uint32_t index) const {
    if (index >= capacity_)
        return 0.0;
    return ring_[(oldest_ + static_cast<std::uint64_t>(index)) % capacity_];
}

double DataBuffer::getLast() const {
    return capacity_ > 0 ? getValue(capacity_ - 1) : 0.0;
}

template <typename Visit>
void DataBuffer::forEachInRange(std::uint32_t offset, std::uint32_t count, Visit visit) const {
    const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t{offset} + count, capacity_);
    for (std::uint64_t index = offset; index < end; ++index)
        visit(ring_[(oldest_ + index) % capacity_]);
}

double DataBuffer::getMaximum(std::uint32_t offset, std::uint32_t count) const {
    double maximum = 0.0;
    forEachInRange(offset, count, [&maximum](double value) {
        if (value > maximum)
            maximum = value;
    });
    return maximum;
}

double DataBuffer::getScaledMaximum(std::uint32_t offset, std::uint32_t count) const {
    const double maximum = getMaximum(offset, count);
    if (units_ != Units::Size && units_ != Units::Rate)
        return maximum;
    // Byte scales read best at powers of two; an infinite maximum stays infinite.
    double scaled = 2.0;
    while (maximum > scaled && scaled < std::numeric_limits<double>::max())
        scaled *= 2.0;
    return scaled;
}

double DataBuffer::getAverage(std::uint32_t offset, std::uint32_t count) const {
    double sum = 0.0;
    forEachInRange(offset, count, [&sum](double value) { sum += value; });
    return sum / count;
}

std::shared_ptr<IDataBufferView> DataBuffer::createView(int offset, int size) {
    return std::make_shared<DataBufferView>(offset, size, shared_from_this());
}

} // namespace util::system::monitoring
