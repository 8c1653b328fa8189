#include "monitoring/DataBufferView.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace util::system::monitoring {

DataBufferView::DataBufferView(int offset, int size, std::shared_ptr<IDataBuffer> buffer)
    : buffer_(std::move(buffer)) {
    checkSize(size);
    size_ = size;
    setOffset(offset);
}

void DataBufferView::checkSize(int size) const {
    if (static_cast<std::int64_t>(size) > buffer_->getCapacity())
        throw std::invalid_argument("specified view size greater than buffer size.");
}

int DataBufferView::setOffset(int offset) {
    const std::int64_t maxOffset = std::int64_t{buffer_->getCapacity()} - getSize();
    const auto clamped = static_cast<int>(std::clamp<std::int64_t>(
        offset, 0, std::clamp<std::int64_t>(maxOffset, 0, std::numeric_limits<int>::max())));
    offset_.store(clamped, std::memory_order_relaxed);
    if (offsetChanged_)
        offsetChanged_(static_cast<std::uint32_t>(clamped));
    return clamped;
}

int DataBufferView::scroll(int delta) {
    const std::int64_t target = std::int64_t{getOffset()} + delta;
    return setOffset(static_cast<int>(std::clamp<std::int64_t>(
        target, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
}

int DataBufferView::setSize(int size) {
    checkSize(size);
    size_.store(size, std::memory_order_relaxed);
    return static_cast<int>(buffer_->getCapacity());
}

// The window as it fits the buffer now: size and offset are clamped to the capacity.
DataBufferView::Window DataBufferView::window() const {
    const std::int64_t capacity = buffer_->getCapacity();
    const std::int64_t size = std::clamp<std::int64_t>(getSize(), 0, capacity);
    const std::int64_t offset = std::clamp<std::int64_t>(getOffset(), 0, capacity - size);
    return {capacity - offset - size, size};
}

double DataBufferView::getValue(int index) const {
    const std::int64_t bufferIndex = window().start + index;
    if (bufferIndex < 0 || bufferIndex >= buffer_->getCapacity())
        return 0.0;
    return buffer_->getValue(static_cast<std::uint32_t>(bufferIndex));
}

double DataBufferView::getLast() const {
    const Window w = window();
    return getValue(static_cast<int>(w.size) - 1);
}

double DataBufferView::getMaximum() const {
    const Window w = window();
    return buffer_->getMaximum(static_cast<std::uint32_t>(w.start),
                               static_cast<std::uint32_t>(w.size));
}

double DataBufferView::getScaledMaximum() const {
    const Window w = window();
    return buffer_->getScaledMaximum(static_cast<std::uint32_t>(w.start),
                                     static_cast<std::uint32_t>(w.size));
}

double DataBufferView::getAverage() const {
    const Window w = window();
    return buffer_->getAverage(static_cast<std::uint32_t>(w.start),
                               static_cast<std::uint32_t>(w.size));
}

void DataBufferView::setOffsetChangedHandler(OffsetChangedHandler handler) {
    offsetChanged_ = std::move(handler);
}

} // namespace util::system::monitoring
