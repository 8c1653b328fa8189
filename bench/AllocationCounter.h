#pragma once

#include <cstdint>

namespace bench {

// Heap allocations made through operator new by any thread since the program started.
std::uint64_t allocationCount();

} // namespace bench
