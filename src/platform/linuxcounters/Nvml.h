#pragma once

#include <memory>
#include <optional>
#include <string>

struct nvmlDevice_st;

namespace platform::linuxcounters {

// The NVIDIA management library, loaded at run time: the driver installs it, and a machine
// without an NVIDIA driver has none, which is no error.
class Nvml {
public:
    // The library by its file name or path, initialised; nothing when it cannot be loaded or
    // finds no driver.
    static std::unique_ptr<Nvml> load(const std::string& library);
    ~Nvml();
    Nvml(const Nvml&) = delete;
    Nvml& operator=(const Nvml&) = delete;

    unsigned deviceCount() const;
    // The share of the last sample period in which the GPU ran a kernel, in percent; nothing
    // when the device cannot be asked (it fell off the bus).
    std::optional<double> utilization(unsigned device) const;
    // The device's own memory in use, in bytes.
    std::optional<double> memoryUsed(unsigned device) const;

private:
    struct Functions;
    Nvml(void* library, std::unique_ptr<Functions> functions);
    nvmlDevice_st* device(unsigned index) const;

    void* library_;
    std::unique_ptr<Functions> functions_;
};

} // namespace platform::linuxcounters
