#pragma once

#include "platform/linuxcounters/Source.h"

#include <memory>
#include <vector>

namespace platform::linuxcounters {

using SourceList = std::vector<std::unique_ptr<Source>>;

// A reader keeps the sources a query reads as bits of one word.
inline constexpr std::size_t maxSources = 32;

// One of every source of counters, reading the system at `paths`. Building a source reads
// nothing: a source is read only once a counter wants it.
SourceList makeSources(const SystemPaths& paths);

} // namespace platform::linuxcounters
