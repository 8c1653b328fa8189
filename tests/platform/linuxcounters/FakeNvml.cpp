// A stand-in for the NVIDIA management library: the functions PakVue calls, over devices that
// tests set up through fakeNvmlSet*, which they reach on the same loaded library.
#include "platform/linuxcounters/NvmlTypes.h"

#include <array>

// What the library keeps of a device, as far as the test sets it.
struct nvmlDevice_st {
    unsigned busy = 0;
    unsigned long long used = 0;
    bool lost = false;
};

namespace {

constexpr int success = 0;
constexpr int invalidArgument = 2;
constexpr int driverNotLoaded = 9;
constexpr int gpuIsLost = 15;

std::array<nvmlDevice_st, 4> devices;
unsigned count = 0;
bool driver = true;

} // namespace

extern "C" {

int nvmlInit_v2() {
    return driver ? success : driverNotLoaded;
}

int nvmlShutdown() {
    return success;
}

int nvmlDeviceGetCount_v2(unsigned* devicesFound) {
    *devicesFound = count;
    return success;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned index, nvmlDevice_st** handle) {
    if (index >= count)
        return invalidArgument;
    *handle = &devices[index];
    return success;
}

int nvmlDeviceGetUtilizationRates(nvmlDevice_st* device, nvmlUtilization_st* rates) {
    if (device->lost)
        return gpuIsLost;
    *rates = {device->busy, 0};
    return success;
}

int nvmlDeviceGetMemoryInfo(nvmlDevice_st* device, nvmlMemory_st* memory) {
    if (device->lost)
        return gpuIsLost;
    *memory = {1ull << 34, (1ull << 34) - device->used, device->used};
    return success;
}

void fakeNvmlSetDevices(unsigned devicesPresent, bool driverLoaded) {
    count = devicesPresent;
    driver = driverLoaded;
}

void fakeNvmlSetDevice(unsigned index, unsigned busy, unsigned long long used, bool lost) {
    devices[index] = {busy, used, lost};
}
}
