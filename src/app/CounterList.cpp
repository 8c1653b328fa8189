#include "app/CounterList.h"

#include "monitoring/ValueFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <ostream>
#include <thread>

namespace {

char lowered(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool holds(std::string_view text, std::string_view part) {
    return std::search(
               text.begin(), text.end(), part.begin(), part.end(),
               [](char a, char b) { return lowered(a) == lowered(b); }) != text.end();
}

// One query for all of them, so that the list takes one interval however long it is.
std::vector<std::optional<double>> sample(const std::vector<platform::CounterListing>& counters,
                                          std::chrono::milliseconds interval) {
    const auto query = platform::openCounterQuery();
    std::vector<std::optional<std::size_t>> handles;
    for (const platform::CounterListing& counter : counters) {
        try {
            handles.push_back(query->addCounter(counter.path));
        } catch (const std::exception&) {
            handles.push_back(std::nullopt); // gone since it was listed
        }
    }
    query->collect();
    std::this_thread::sleep_for(interval);
    query->collect();
    std::vector<std::optional<double>> values;
    for (const auto& handle : handles) {
        try {
            values.push_back(handle ? std::optional(query->read(*handle)) : std::nullopt);
        } catch (const std::exception&) {
            values.push_back(std::nullopt);
        }
    }
    return values;
}

} // namespace

std::vector<platform::CounterListing> filterCounters(std::vector<platform::CounterListing> listed,
                                                     std::string_view filter) {
    std::erase_if(listed, [&](const auto& counter) { return !holds(counter.path, filter); });
    return listed;
}

std::string jsonStringContent(std::string_view text) {
    static constexpr std::array<char, 17> hex{"0123456789abcdef"};
    std::string result;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"')
            result.append(1, '\\').append(1, c);
        else if (byte < 0x20)
            result.append("\\u00").append(1, hex[byte >> 4]).append(1, hex[byte & 15]);
        else
            result += c;
    }
    return result;
}

void printCounters(const std::vector<platform::CounterListing>& counters, std::ostream& out,
                   std::chrono::milliseconds interval) {
    const auto values = sample(counters, interval);
    for (std::size_t i = 0; i < counters.size(); ++i) {
        out << jsonStringContent(counters[i].path) << '\t'
            << (values[i] ? util::system::monitoring::formatValue(*values[i], counters[i].units)
                          : "no value")
            << '\n';
    }
}
