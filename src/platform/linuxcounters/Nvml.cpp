#include "platform/linuxcounters/Nvml.h"

#include "platform/linuxcounters/NvmlTypes.h"

#include <dlfcn.h>

namespace platform::linuxcounters {

namespace {

using Status = int;
using Device = nvmlDevice_st*;
using Utilization = nvmlUtilization_st;
using Memory = nvmlMemory_st;

template <typename Function>
bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace

struct Nvml::Functions {
    Status (*init)() = nullptr;
    Status (*shutdown)() = nullptr;
    Status (*count)(unsigned*) = nullptr;
    Status (*handle)(unsigned, Device*) = nullptr;
    Status (*utilization)(Device, Utilization*) = nullptr;
    Status (*memory)(Device, Memory*) = nullptr;

    bool bindAll(void* library) {
        return bind(library, "nvmlInit_v2", init) && bind(library, "nvmlShutdown", shutdown) &&
               bind(library, "nvmlDeviceGetCount_v2", count) &&
               bind(library, "nvmlDeviceGetHandleByIndex_v2", handle) &&
               bind(library, "nvmlDeviceGetUtilizationRates", utilization) &&
               bind(library, "nvmlDeviceGetMemoryInfo", memory);
    }
};

std::unique_ptr<Nvml> Nvml::load(const std::string& library) {
    if (library.empty())
        return nullptr;
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return nullptr;
    auto functions = std::make_unique<Functions>();
    if (!functions->bindAll(handle) || functions->init() != 0) {
        ::dlclose(handle);
        return nullptr;
    }
    return std::unique_ptr<Nvml>(new Nvml(handle, std::move(functions)));
}

Nvml::Nvml(void* library, std::unique_ptr<Functions> functions)
    : library_(library), functions_(std::move(functions)) {}

Nvml::~Nvml() {
    functions_->shutdown();
    ::dlclose(library_);
}

unsigned Nvml::deviceCount() const {
    unsigned count = 0;
    return functions_->count(&count) == 0 ? count : 0;
}

std::optional<double> Nvml::utilization(unsigned index) const {
    Device handle = device(index);
    Utilization rates{};
    if (handle == nullptr || functions_->utilization(handle, &rates) != 0)
        return std::nullopt;
    return rates.gpu;
}

std::optional<double> Nvml::memoryUsed(unsigned index) const {
    Device handle = device(index);
    Memory memory{};
    if (handle == nullptr || functions_->memory(handle, &memory) != 0)
        return std::nullopt;
    return static_cast<double>(memory.used);
}

// The library hands out the same handle for a device for as long as it is initialised.
nvmlDevice_st* Nvml::device(unsigned index) const {
    Device handle = nullptr;
    return functions_->handle(index, &handle) == 0 ? handle : nullptr;
}

} // namespace platform::linuxcounters
