#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::win32 {

// GPU use as Windows' Task Manager shows it, from the instances of `\GPU Engine(*)\Utilization
// Percentage`: one per process and engine, named pid_1234_luid_0x..._0x..._phys_0_eng_3_engtype_
// VideoDecode. The processes' shares of one engine add up; an adapter (luid_..._phys_0) is as
// busy as its busiest engine. Summing all instances would give 104-118 % on real machines.
class GpuEngines {
public:
    // Forgets the last collect's shares, keeping the engines it knew: no allocation while the
    // engines stay the same.
    void clear();
    void add(std::string_view instance, double utilization);

    // The adapter's busiest engine, or of all adapters for `_Total`; nothing for an adapter that
    // has no engine.
    std::optional<double> busiest(std::string_view adapter) const;
    // The adapters that have engines.
    std::vector<std::string> adapters() const;

private:
    struct Engine {
        std::string name;    // luid_..._phys_0_eng_3_engtype_VideoDecode
        std::size_t adapter; // the length of the adapter's name at its start
        double utilization;
        bool present;
    };

    std::vector<Engine> engines_;
};

} // namespace platform::win32
