#include "platform/win32/PdhCounterList.h"

#include "platform/CounterPath.h"
#include "platform/win32/Utf16.h"

#include <array>
#include <map>
#include <pdhmsg.h>
#include <string_view>

namespace platform::win32 {

namespace {

constexpr std::string_view totalName = "_Total";

// Paths that most Windows systems serve, for a library that cannot say which it serves.
constexpr std::array<std::string_view, 14> wellKnownPaths = {
    "\\Processor(_Total)\\% Processor Time",
    "\\Processor(_Total)\\% User Time",
    "\\Processor(_Total)\\% Privileged Time",
    "\\Memory\\Available Bytes",
    "\\Memory\\Cache Bytes",
    "\\Memory\\% Committed Bytes In Use",
    "\\Network Interface(_Total)\\Bytes Total/sec",
    "\\PhysicalDisk(_Total)\\Disk Read Bytes/sec",
    "\\PhysicalDisk(_Total)\\Disk Write Bytes/sec",
    "\\PhysicalDisk(_Total)\\% Disk Time",
    "\\System\\Processes",
    "\\System\\Threads",
    "\\System\\Processor Queue Length",
    "\\System\\System Up Time",
};

bool isMoreData(PDH_STATUS status) {
    return static_cast<DWORD>(status) == PDH_MORE_DATA;
}

// The strings of a list that ends in an empty one, in UTF-8.
std::vector<std::string> strings(const std::vector<wchar_t>& list) {
    std::vector<std::string> result;
    for (const wchar_t* at = list.data(); at < list.data() + list.size() && *at != L'\0';
         at += wcslen(at) + 1)
        result.push_back(utf8Of(at));
    return result;
}

std::vector<std::string> objects(const PdhEnumeration& pdh) {
    DWORD size = 0;
    if (!isMoreData(pdh.enumObjects(nullptr, nullptr, nullptr, &size, PERF_DETAIL_WIZARD, TRUE)))
        return {};
    std::vector<wchar_t> list(size + 1, L'\0');
    if (pdh.enumObjects(nullptr, nullptr, list.data(), &size, PERF_DETAIL_WIZARD, FALSE) !=
        ERROR_SUCCESS)
        return {};
    return strings(list);
}

struct Items {
    std::vector<std::string> counters;
    std::vector<std::string> instances;
};

Items itemsOf(const PdhEnumeration& pdh, const std::string& object) {
    const std::wstring name = utf16Of(object);
    DWORD counters = 0, instances = 0;
    if (!isMoreData(pdh.enumObjectItems(nullptr, nullptr, name.c_str(), nullptr, &counters, nullptr,
                                        &instances, PERF_DETAIL_WIZARD, 0)))
        return {};
    std::vector<wchar_t> counterList(counters + 1, L'\0'), instanceList(instances + 1, L'\0');
    if (pdh.enumObjectItems(nullptr, nullptr, name.c_str(), counterList.data(), &counters,
                            instanceList.data(), &instances, PERF_DETAIL_WIZARD,
                            0) != ERROR_SUCCESS)
        return {};
    return {strings(counterList), strings(instanceList)};
}

// Instances of one name, numbered as PDH's paths number them; the total first, kept or made.
std::vector<std::string> pathInstances(const std::vector<std::string>& instances) {
    std::vector<std::string> result{std::string(totalName)};
    std::map<std::string, int> seen;
    for (const std::string& instance : instances) {
        if (instance == totalName)
            continue;
        const int earlier = seen[instance]++;
        result.push_back(earlier == 0 ? instance : instance + "#" + std::to_string(earlier));
    }
    return result;
}

std::string english(const std::map<std::string, std::string>& names, const std::string& name) {
    const auto found = names.find(name);
    return found != names.end() ? found->second : name;
}

void listObject(const PdhEnumeration& pdh, const std::map<std::string, std::string>& names,
                const std::string& object, const std::function<bool(const std::string&)>& accepts,
                std::vector<CounterListing>& into) {
    const Items items = itemsOf(pdh, object);
    const std::string objectName = english(names, object);
    if (items.instances.empty()) {
        for (const std::string& counter : items.counters) {
            const std::string counterName = english(names, counter);
            std::string path = makeCounterPath(objectName, "", counterName);
            if (accepts(path))
                into.push_back({std::move(path), unitsOfCounter(counterName)});
        }
        return;
    }
    for (const std::string& instance : pathInstances(items.instances))
        for (const std::string& counter : items.counters) {
            const std::string counterName = english(names, counter);
            into.push_back(
                {makeCounterPath(objectName, instance, counterName), unitsOfCounter(counterName)});
        }
}

} // namespace

std::vector<CounterListing>
listPdhCounters(const PdhEnumeration& pdh, const std::function<bool(const std::string&)>& accepts) {
    std::vector<CounterListing> listed;
    if (pdh.enumObjects == nullptr || pdh.enumObjectItems == nullptr) {
        for (const std::string_view path : wellKnownPaths)
            if (accepts(std::string(path)))
                listed.push_back(
                    {std::string(path), unitsOfCounter(path.substr(path.rfind('\\') + 1))});
        return listed;
    }
    const auto names = pdh.englishNames();
    for (const std::string& object : objects(pdh))
        listObject(pdh, names, object, accepts, listed);
    return listed;
}

Units unitsOfCounter(std::string_view counter) {
    if (counter.starts_with("%"))
        return Units::Percentage;
    if (counter.find("Bytes") == std::string_view::npos)
        return Units::None;
    return counter.ends_with("/sec") ? Units::Rate : Units::Size;
}

} // namespace platform::win32
