#pragma once

#include "platform/Counters.h"
#include "platform/win32/PdhEnumeration.h"

#include <functional>
#include <vector>

namespace platform::win32 {

// Every counter path of the objects PDH serves, with English names where the system has them
// (as a configuration names counters), those of one object together, each instance's in turn.
// Instances of one name are numbered as PDH numbers them (svchost, svchost#1); an object with
// instances gets its `_Total`, which PakVue serves where the object keeps none. Paths without
// an instance are listed where `accepts` takes them, since an object whose instances are all
// gone looks the same. Where PDH cannot enumerate, the well-known paths that `accepts` takes.
std::vector<CounterListing> listPdhCounters(const PdhEnumeration& pdh,
                                            const std::function<bool(const std::string&)>& accepts);

// Units told by a counter's name: "% ..." a percentage, bytes per second a rate, bytes a size.
Units unitsOfCounter(std::string_view counter);

} // namespace platform::win32
