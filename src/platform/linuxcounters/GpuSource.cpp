#include "platform/linuxcounters/GpuSource.h"

#include "platform/linuxcounters/Instances.h"
#include "platform/linuxcounters/TextFields.h"

#include <algorithm>

namespace platform::linuxcounters {

namespace {

constexpr CounterSpec counters[] = {
    {"% Utilization", Units::Percentage, Measure::Level},
    {"Dedicated Memory Bytes", Units::Size, Measure::Level},
};
constexpr SourceInfo served{"GPU", true, counters};
enum Counter : std::size_t { Utilization, Memory };

constexpr std::array<std::string_view, 2> amdgpuFiles = {"gpu_busy_percent", "mem_info_vram_used"};

} // namespace

GpuSource::GpuSource(const SystemPaths& paths)
    : Source(served), sys_(paths.sys), live_(paths.live), relistEvery_(paths.relistEvery),
      nvmlLibrary_(paths.nvml) {}

void GpuSource::refresh(const Moment& moment) {
    if (mustList(moment.now))
        list(moment.now);
    for (Gpu& gpu : gpus_)
        readGpu(gpu, wantedOf(gpu));
    total();
    missing_ = anyMissing();
}

std::optional<Reading> GpuSource::read(std::size_t counter, std::string_view instance) const {
    if (instance == totalName)
        return levelReading(totals_[counter]);
    const Gpu* gpu = find(instance);
    return gpu != nullptr ? levelReading(gpu->counts[counter]) : std::nullopt;
}

bool GpuSource::want(std::size_t counter, std::string_view instance) {
    if (instance == totalName) {
        totalWanted_[counter] = !gpus_.empty();
        return totalWanted_[counter];
    }
    if (find(instance) == nullptr)
        return false;
    wanted_[std::string(instance)][counter] = true;
    return true;
}

void GpuSource::listInstances(std::vector<std::string>& into) {
    if (!gpus_.empty())
        into.emplace_back(totalName);
    for (const Gpu& gpu : gpus_)
        into.push_back(gpu.name);
}

bool GpuSource::mustList(Clock::time_point now) const {
    return !listedAt_ || (missing_ && now - *listedAt_ >= relistEvery_);
}

void GpuSource::list(Clock::time_point now) {
    listedAt_ = now;
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

GpuSource::Wanted GpuSource::wantedOf(const Gpu& gpu) const {
    Wanted wanted = totalWanted_;
    if (const auto named = wanted_.find(gpu.name); named != wanted_.end())
        for (std::size_t counter = 0; counter < wanted.size(); ++counter)
            wanted[counter] = wanted[counter] || named->second[counter];
    return wanted;
}

bool GpuSource::anyMissing() const {
    for (const auto& [name, wanted] : wanted_) {
        const Gpu* gpu = find(name);
        for (std::size_t counter = 0; counter < wanted.size(); ++counter)
            if (wanted[counter] && (gpu == nullptr || !gpu->counts[counter]))
                return true;
    }
    return false;
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
