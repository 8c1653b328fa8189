#pragma once

#include "platform/win32/InstanceCounterQuery.h"
#include "platform/win32/PdhFunctions.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::win32 {

// A counter query of the Performance Data Helper library. A path that asks for an object's total
// is added with the instance wildcard, and its value is the `_Total` instance where the object
// has one, or else the instances' sum (their average for a percentage): Windows keeps no
// `_Total` of some objects, the network interfaces among them, and a query of such a `_Total`
// would collect nothing at all.
class PdhCounterQuery final : public InstanceCounterQuery {
public:
    explicit PdhCounterQuery(const PdhFunctions& pdh);
    ~PdhCounterQuery() override;
    PdhCounterQuery(const PdhCounterQuery&) = delete;
    PdhCounterQuery& operator=(const PdhCounterQuery&) = delete;

    std::size_t addCounter(const std::string& path) override;
    bool collect() override;
    double read(std::size_t counter) const override;
    void forEachInstance(std::size_t counter, const InstanceVisit& visit) override;

private:
    struct Counter {
        PDH_HCOUNTER handle = nullptr;
        bool everyInstance = false;  // added with the instance wildcard
        bool percentage = false;     // its instances are averaged, not summed
        std::optional<double> value; // from the last collect
    };

    bool add(const std::string& path, PDH_HCOUNTER& handle) const;
    bool displaysPercent(PDH_HCOUNTER handle) const;
    std::optional<double> valueOf(const Counter& counter);
    std::optional<double> single(PDH_HCOUNTER handle) const;
    std::optional<double> total(const Counter& counter);
    bool formatInstances(PDH_HCOUNTER handle, DWORD& count);
    bool formatIntoItems(PDH_HCOUNTER handle, DWORD& count);

    const PdhFunctions& pdh_;
    PDH_HQUERY query_ = nullptr;
    std::vector<Counter> counters_;
    // The instances' values, kept from one collect to the next so that sampling allocates only
    // when an object gains instances.
    std::vector<PDH_FMT_COUNTERVALUE_ITEM_W> items_;
};

} // namespace platform::win32
