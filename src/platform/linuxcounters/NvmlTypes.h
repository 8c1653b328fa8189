#pragma once

// The types of the NVIDIA management library's C interface that PakVue passes, by the names its
// header gives them; its functions return 0 for success.
struct nvmlDevice_st;

struct nvmlUtilization_st {
    unsigned gpu; // percent of the last sample period in which a kernel ran
    unsigned memory;
};

struct nvmlMemory_st {
    unsigned long long total; // bytes
    unsigned long long free;
    unsigned long long used;
};
