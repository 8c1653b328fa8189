// Counters through the Performance Data Helper library and the memory load through the
// memory-status call: the counter seam on Windows.
#include "platform/Counters.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
#include <pdh.h>
// clang-format on

#include <stdexcept>
#include <vector>

namespace platform {

namespace {

class PdhCounterQuery final : public CounterQuery {
public:
    PdhCounterQuery() {
        if (PdhOpenQueryA(nullptr, 0, &query_) != ERROR_SUCCESS)
            query_ = nullptr;
    }
    ~PdhCounterQuery() override {
        if (query_ != nullptr)
            PdhCloseQuery(query_);
    }
    PdhCounterQuery(const PdhCounterQuery&) = delete;
    PdhCounterQuery& operator=(const PdhCounterQuery&) = delete;

    std::size_t addCounter(const std::string& path) override {
        PDH_HCOUNTER counter = nullptr;
        // English names, so that a configuration works whatever the system's language.
        if (query_ == nullptr ||
            PdhAddEnglishCounterA(query_, path.c_str(), 0, &counter) != ERROR_SUCCESS)
            throw std::invalid_argument("PdhAddCounter failed");
        counters_.push_back(counter);
        return counters_.size() - 1;
    }

    bool collect() override {
        return query_ != nullptr && PdhCollectQueryData(query_) == ERROR_SUCCESS;
    }

    double read(std::size_t counter) const override {
        PDH_FMT_COUNTERVALUE value{};
        if (counter >= counters_.size() ||
            PdhGetFormattedCounterValue(counters_[counter], PDH_FMT_DOUBLE | PDH_FMT_NOCAP100,
                                        nullptr, &value) != ERROR_SUCCESS)
            throw std::invalid_argument("GetFormattedCounterValue failed");
        return value.doubleValue;
    }

private:
    PDH_HQUERY query_ = nullptr;
    std::vector<PDH_HCOUNTER> counters_;
};

} // namespace

std::unique_ptr<CounterQuery> openCounterQuery() {
    return std::make_unique<PdhCounterQuery>();
}

std::uint32_t memoryLoad() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.dwMemoryLoad : 0;
}

} // namespace platform
