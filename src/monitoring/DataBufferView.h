#pragma once

#include "monitoring/IDataBuffer.h"
#include "monitoring/IDataBufferView.h"

#include <atomic>

namespace util::system::monitoring {

// A scrollable window onto a buffer. Offset and size are set on the user-interface thread and
// read by drawing threads, hence atomic. Reads clamp the window to the buffer as it is now, so a
// buffer that shrank under the view is never read outside its values.
class DataBufferView final : public IDataBufferView {
public:
    // Throws std::invalid_argument when `size` exceeds the buffer's capacity.
    DataBufferView(int offset, int size, std::shared_ptr<IDataBuffer> buffer);

    int setOffset(int offset) override;
    int getOffset() const override { return offset_.load(std::memory_order_relaxed); }
    int scroll(int delta) override;
    int setSize(int size) override;
    int getSize() const override { return size_.load(std::memory_order_relaxed); }
    double getValue(int index) const override;
    double getLast() const override;
    double getMaximum() const override;
    double getScaledMaximum() const override;
    double getAverage() const override;
    Units getUnits() const override { return buffer_->getUnits(); }
    void setOffsetChangedHandler(OffsetChangedHandler handler) override;

private:
    struct Window {
        std::int64_t start;
        std::int64_t size;
    };
    Window window() const;
    void checkSize(int size) const;

    std::shared_ptr<IDataBuffer> buffer_;
    std::atomic<int> offset_{0};
    std::atomic<int> size_{0};
    OffsetChangedHandler offsetChanged_;
};

} // namespace util::system::monitoring
