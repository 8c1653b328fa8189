#pragma once

#include "platform/linuxcounters/Nvml.h"
#include "platform/linuxcounters/Source.h"
#include "platform/linuxcounters/SourceFile.h"

#include <array>
#include <map>

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
    using Wanted = std::array<bool, 2>;

    struct Gpu {
        std::string name;
        std::array<std::optional<SourceFile>, 2> files; // amdgpu's, by counter
        std::optional<unsigned> nvmlDevice;
        Counts counts;
    };

    bool mustList(Clock::time_point now) const;
    void list(Clock::time_point now);
    void listAmdgpu();
    void listNvidia();
    void readGpu(Gpu& gpu, const Wanted& wanted);
    Wanted wantedOf(const Gpu& gpu) const;
    bool anyMissing() const;
    void total();
    const Gpu* find(std::string_view name) const;

    std::filesystem::path sys_;
    bool live_;
    Clock::duration relistEvery_;
    std::string nvmlLibrary_;
    std::unique_ptr<Nvml> nvml_;
    bool nvmlTried_ = false;
    std::vector<Gpu> gpus_;
    std::map<std::string, Wanted, std::less<>> wanted_; // by name, kept while one is away
    Wanted totalWanted_{};
    Counts totals_;
    std::optional<Clock::time_point> listedAt_;
    bool missing_ = false;
};

} // namespace platform::linuxcounters
