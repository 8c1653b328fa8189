#pragma once

#include "monitoring/DataCollector.h"
#include "util/SharedPtrProvider.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gui {

using Collectors = std::vector<std::shared_ptr<util::system::monitoring::DataCollector>>;

// The locking half of a data set: a reader/writer lock around an icon's collectors.
class LockableDataSet {
public:
    // Waits for a shared hold; a thread that already has one always gets another at once.
    virtual Collectors& lockShared() = 0;
    virtual void unlockShared() = 0;
    virtual Collectors& lock() = 0;
    virtual void unlock() = 0;
    // The collectors without any locking.
    virtual Collectors& data() = 0;

protected:
    ~LockableDataSet() = default;
};

// An icon's collectors with its sampling pass and the counters that announce each pass.
class IDataSet : public LockableDataSet,
                 public SharedPtrProvider<IDataSet>,
                 public std::enable_shared_from_this<IDataSet> {
public:
    // Samples every collector once under the exclusive hold, then announces the new frame.
    virtual void update() = 0;
    // Passes so far; written under the exclusive hold, readable without any lock.
    virtual std::uint32_t version() const = 0;
    virtual std::uint32_t generation() const = 0;
    // Blocks until the generation differs from `lastSeen` and returns it; an interruption point
    // of the frame threads.
    virtual std::uint32_t waitForUpdate(std::uint32_t lastSeen) = 0;

protected:
    ~IDataSet() = default;
};

// Holds a data set's shared lock for a scope, and the data set with it.
class SharedDataSetLock {
public:
    explicit SharedDataSetLock(std::shared_ptr<IDataSet> dataSet) : dataSet_(std::move(dataSet)) {
        dataSet_->lockShared();
    }
    ~SharedDataSetLock() { dataSet_->unlockShared(); }

    SharedDataSetLock(const SharedDataSetLock&) = delete;
    SharedDataSetLock& operator=(const SharedDataSetLock&) = delete;

private:
    std::shared_ptr<IDataSet> dataSet_;
};

} // namespace gui
