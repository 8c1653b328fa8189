#pragma once

#include "platform/win32/GpuEngines.h"
#include "platform/win32/InstanceCounterQuery.h"

// windows.h comes before the other system headers.
// clang-format off
#include <windows.h>
// clang-format on

#include <memory>
#include <string>
#include <vector>

namespace platform::win32 {

// The counter query on Windows: PDH's own paths, and the paths PakVue serves itself where PDH
// has no counter of the same quantity in the same units, so that one path means the same on
// every system:
// - `\Temperature(zone)\Degrees Celsius`, from `\Thermal Zone Information(*)\Temperature`, which
//   is in kelvins; the total is the hottest zone;
// - `\GPU(adapter)\% Utilization`, the busiest engine of the adapter as Task Manager shows it,
//   from `\GPU Engine(*)\Utilization Percentage` (GpuEngines); the total is the busiest adapter;
// - `\GPU(adapter)\Dedicated Memory Bytes`, from `\GPU Adapter Memory(*)\Dedicated Usage`;
//   the total is all adapters' memory;
// - `\Battery(_Total)\% Charge`, from the system's power status.
class Win32CounterQuery final : public CounterQuery {
public:
    using PowerStatus = decltype(&GetSystemPowerStatus);

    Win32CounterQuery(std::unique_ptr<InstanceCounterQuery> pdh, PowerStatus power);

    std::size_t addCounter(const std::string& path) override;
    bool collect() override;
    double read(std::size_t counter) const override;

    // PakVue's own paths with the instances this system has now.
    std::vector<CounterListing> listOwn();

    // How one of PakVue's own counters is made.
    struct Own;

private:
    struct Counter {
        std::size_t handle = 0;      // the PDH counter read, for PakVue's own the one it is made of
        const Own* own = nullptr;    // null for PDH's own paths
        std::string instance;        // of PakVue's own
        std::optional<double> value; // of PakVue's own, at the last collect
    };

    std::size_t addOwn(const Own& own, std::string instance);
    std::optional<std::size_t> source(const Own& own);
    std::vector<std::string> instancesOf(const Own& own, std::size_t source);
    std::optional<double> gather(const Counter& counter);
    std::optional<double> batteryCharge() const;

    std::unique_ptr<InstanceCounterQuery> pdh_;
    PowerStatus power_;
    std::vector<Counter> counters_;
    std::vector<std::pair<const Own*, std::size_t>> sources_; // PDH counters made of, by kind
    std::size_t pdhCounters_ = 0;
    GpuEngines engines_;
};

// A query of the system's PDH and power status.
std::unique_ptr<Win32CounterQuery> openWin32CounterQuery();

} // namespace platform::win32
