#pragma once

#include "platform/Counters.h"

#include <chrono>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// The counters that `listed` names whose paths hold `filter`, without regard to its case; all
// of them for an empty filter.
std::vector<platform::CounterListing> filterCounters(std::vector<platform::CounterListing> listed,
                                                     std::string_view filter);

// A text as it is written between the quotes of a JSON string.
std::string jsonStringContent(std::string_view text);

// Writes one line per counter: its path as written in a JSON string, a tab, and its value in
// its units, sampled over `interval` so that rates have one. A counter that gives no value
// (its instance went away) says so.
void printCounters(const std::vector<platform::CounterListing>& counters, std::ostream& out,
                   std::chrono::milliseconds interval);
