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
    for (const auto& collector : collectors_)
        collector->collect();
    version_.fetch_add(1, std::memory_order_release);
    generation_.advance();
}

} // namespace gui
