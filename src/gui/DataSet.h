#pragma once

#include "gui/IDataSet.h"
#include "util/thread/ReentrantSharedMutex.h"
#include "util/thread/UpdateCounter.h"

#include <atomic>

namespace gui {

// The one place where an icon's samples are taken. Renderers hold the shared lock while they
// draw, so they never see a sampling pass half done; the detail window's thread sleeps in
// waitForUpdate() until the next pass.
class DataSet final : public IDataSet {
public:
    explicit DataSet(Collectors collectors) : collectors_(std::move(collectors)) {}

    Collectors& lockShared() override;
    void unlockShared() override { lock_.unlock_shared(); }
    Collectors& lock() override;
    void unlock() override { lock_.unlock(); }
    Collectors& data() override { return collectors_; }

    void update() override;
    std::uint32_t version() const override { return version_.load(std::memory_order_acquire); }
    std::uint32_t generation() const override { return generation_.get(); }
    std::uint32_t waitForUpdate(std::uint32_t lastSeen) override {
        return generation_.waitForChange(lastSeen);
    }

    // Threads blocked now on this data set: waiting for its lock or for its next pass.
    std::uint32_t waitingThreads() const { return lock_.waiting() + generation_.waiting(); }

private:
    util::ReentrantSharedMutex lock_;
    Collectors collectors_;
    std::atomic<std::uint32_t> version_{0};
    util::UpdateCounter generation_;
};

} // namespace gui
