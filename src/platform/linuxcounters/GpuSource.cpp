#include "platform/linuxcounters/GpuSource.h"

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/TextFields.h"

#include <algorithm>

namespace platform::linuxcounters {

namespace {

constexpr ServedCounter counters[] = {
    {"% Utilization", Units::Percentage, Measure::Level},
    {"Dedicated Memory Bytes", Units::Size, Measure::Level},
};
constexpr SourceInfo served{"GPU", true, counters};
enum Counter : std::size_t { Utilization, Memory };

constexpr std::array<std::string_view, 2> amdgpuFiles = {"gpu_busy_percent", "mem_info_vram_used"};

} // namespace

GpuSource::GpuSource(const SystemPaths& paths)
    : Source(served), sys_(paths.sys), live_(paths.live), nvmlLibrary_(paths.nvml),
      wanted_(paths.relistEvery) {}

void GpuSource::refresh(const Moment& moment) {
    if (wanted_.mustList(moment.now))
        list(moment.now);
    for (Gpu& gpu : gpus_)
        readGpu(gpu, wanted_.of(gpu.name, true));
    total();
    check();
}

std::optional<Reading> GpuSource::read(std::size_t counter, std::string_view instance) const {
    if (instance == totalName)
        return levelReading(totals_[counter]);
    const Gpu* gpu = find(instance);
    return gpu != nullptr ? levelReading(gpu->counts[counter]) : std::nullopt;
}

bool GpuSource::want(std::size_t counter, std::string_view instance) {
    if (instance == totalName ? gpus_.empty() : find(instance) == nullptr)
        return false;
    if (instance == totalName)
        wanted_.wantTotal(counter);
    else
        wanted_.want(instance, counter);
    return true;
}

void GpuSource::listInstances(std::vector<std::string>& into) {
    if (!gpus_.empty())
        into.emplace_back(totalName);
    for (const Gpu& gpu : gpus_)
        into.push_back(gpu.name);
}

void GpuSource::list(Clock::time_point now) {
    wanted_.listed(now);
    gpus_.clear();
    listAmdgpu();
    listNvidia();
}

// Connectors (card0-DP-1) and render nodes share the folder; only cards have a number alone.
void GpuSource::listAmdgpu() {
    for (const auto& card : numberedEntries(sys_ / "class/drm", "card")) {
        if (!std::filesystem::exists(card / "device" / amdgpuFiles[Utilization]))
            continue;
        Gpu gpu{card.filename().string(), {}, std::nullopt, {}};
        for (std::size_t counter = 0; counter < amdgpuFiles.size(); ++counter)
            gpu.files[counter].emplace(card / "device" / amdgpuFiles[counter], live_, 32);
        gpus_.push_back(std::move(gpu));
    }
}

// The library is loaded once: a machine without the driver is asked once only.
void GpuSource::listNvidia() {
    if (!nvmlTried_) {
        nvmlTried_ = true;
        nvml_ = Nvml::load(nvmlLibrary_);
    }
    if (!nvml_)
        return;
    const unsigned count = nvml_->deviceCount();
    for (unsigned device = 0; device < count; ++device)
        gpus_.push_back({"nvidia" + std::to_string(device), {}, device, {}});
}

void GpuSource::readGpu(Gpu& gpu, const Wanted& wanted) {
    for (std::size_t counter = 0; counter < wanted.size(); ++counter) {
        if (!wanted[counter]) {
            gpu.counts[counter].reset();
        } else if (gpu.nvmlDevice) {
            gpu.counts[counter] = counter == Utilization ? nvml_->utilization(*gpu.nvmlDevice)
                                                         : nvml_->memoryUsed(*gpu.nvmlDevice);
        } else {
            const auto text = gpu.files[counter]->read();
            gpu.counts[counter] = text ? firstNumber(*text) : std::nullopt;
        }
    }
}

// A GPU named by a counter that is gone or could not be read, or one of the total's.
void GpuSource::check() {
    bool totalIncomplete = false;
    for (const Gpu& gpu : gpus_)
        for (std::size_t counter = 0; counter < gpu.counts.size(); ++counter)
            totalIncomplete = totalIncomplete || (wanted_.total()[counter] && !gpu.counts[counter]);
    wanted_.check(
        [this](std::string_view name, std::size_t counter) {
            const Gpu* gpu = find(name);
            return gpu != nullptr && gpu->counts[counter].has_value();
        },
        totalIncomplete);
}

// The busiest GPU, as a task manager shows one figure for all of them; their memory summed.
void GpuSource::total() {
    totals_ = {};
    for (const Gpu& gpu : gpus_) {
        if (const auto busy = gpu.counts[Utilization])
            totals_[Utilization] = std::max(totals_[Utilization].value_or(0.0), *busy);
        if (const auto used = gpu.counts[Memory])
            totals_[Memory] = totals_[Memory].value_or(0.0) + *used;
    }
}

const GpuSource::Gpu* GpuSource::find(std::string_view name) const {
    const auto found =
        std::find_if(gpus_.begin(), gpus_.end(), [&](const Gpu& gpu) { return gpu.name == name; });
    return found != gpus_.end() ? &*found : nullptr;
}

} // namespace platform::linuxcounters
