#pragma once

#include "platform/linuxcounters/Nvml.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"
#include "platform/linuxcounters/WantedInstances.h"

#include <array>

namespace platform::linuxcounters {

// Graphics processors: `\GPU(card0)\% Utilization`, the share of the time the GPU was busy as
// its driver measures it, and `Dedicated Memory Bytes`, its own memory in use. AMD cards are
// read from amdgpu's sysfs files (`/sys/class/drm/cardN/device/gpu_busy_percent` and
// `mem_info_vram_used`), NVIDIA ones through the NVIDIA management library, loaded when a
// counter first looks for GPUs (`nvidia0`, `nvidia1` in the library's order). The total is the
// busiest GPU and all their memory. Only what counters want is read; a GPU that goes away is
// looked for again, once per relisting interval.
class GpuSource final : public Source {
public:
    explicit GpuSource(const SystemPaths& paths);

    void refresh(const Moment& moment) override;
    std::optional<Reading> read(std::size_t counter, std::string_view instance) const override;
    bool want(std::size_t counter, std::string_view instance) override;
    void listInstances(std::vector<std::string>& into) override;

private:
    using Counts = std::array<std::optional<double>, 2>; // by counter
    using Wanted = WantedInstances<2>::Wanted;

    struct Gpu {
        std::string name;
        std::array<std::optional<SourceFile>, 2> files; // amdgpu's, by counter
        std::optional<unsigned> nvmlDevice;
        Counts counts;
    };

    void list(Clock::time_point now);
    void listAmdgpu();
    void listNvidia();
    void readGpu(Gpu& gpu, const Wanted& wanted);
    void check();
    void total();
    const Gpu* find(std::string_view name) const;

    std::filesystem::path sys_;
    bool live_;
    std::string nvmlLibrary_;
    std::unique_ptr<Nvml> nvml_;
    bool nvmlTried_ = false;
    std::vector<Gpu> gpus_;
    WantedInstances<2> wanted_;
    Counts totals_;
};

} // namespace platform::linuxcounters
