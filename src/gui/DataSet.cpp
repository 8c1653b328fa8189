#include "gui/DataSet.h"

namespace gui {

Collectors& DataSet::lockShared() {
    lock_.lock_shared();
    return collectors_;
}

Collectors& DataSet::lock() {
    lock_.lock();
    return collectors_;
}

void DataSet::update() {
    const auto self = shared_from_this(); // the data set outlives its own pass
    std::lock_guard hold(lock_);
    for (const auto& collector : collectors_) {
        collector->collect();
    }
    version_.fetch_add(1, std::memory_order_release);
    {
        std::lock_guard lock(generationMutex_);
        ++generation_;
    }
    updated_.notifyAll();
}

std::uint32_t DataSet::generation() const {
    std::lock_guard lock(generationMutex_);
    return generation_;
}

std::uint32_t DataSet::waitForUpdate(std::uint32_t lastSeen) {
    std::unique_lock lock(generationMutex_);
    updated_.wait(lock, [&] { return generation_ != lastSeen; });
    return generation_;
}

} // namespace gui
