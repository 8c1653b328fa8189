// The counter paths PDH lists, over enumeration functions of the test's own that answer as a
// German Windows does.
#include "platform/win32/PdhCounterList.h"

#include "platform/win32/Utf16.h"

#include <gtest/gtest.h>
#include <map>
#include <pdhmsg.h>

using platform::win32::PdhEnumeration;

namespace {

struct Object {
    std::vector<std::wstring> counters;
    std::vector<std::wstring> instances;
};

const std::vector<std::pair<std::wstring, Object>> objects = {
    {L"Prozessor", {{L"Prozessorzeit (%)"}, {L"0", L"1", L"_Total"}}},
    {L"Speicher", {{L"Verf\u00fcgbare Bytes", L"Zugesicherte verwendete Bytes (%)"}, {}}},
    {L"Prozess", {{L"Arbeitsseiten"}, {L"svchost", L"explorer", L"svchost"}}},
};

// A list of strings that ends in an empty one, sized as the library sizes it: in characters.
PDH_STATUS fill(const std::vector<std::wstring>& strings, wchar_t* buffer, DWORD& size) {
    std::wstring list;
    for (const std::wstring& string : strings)
        list.append(string).append(1, L'\0');
    list.append(1, L'\0');
    if (buffer == nullptr || size < list.size()) {
        size = static_cast<DWORD>(list.size());
        return static_cast<PDH_STATUS>(PDH_MORE_DATA);
    }
    std::copy(list.begin(), list.end(), buffer);
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI enumObjects(LPCWSTR, LPCWSTR, PZZWSTR buffer, LPDWORD size, DWORD, BOOL) {
    std::vector<std::wstring> names;
    for (const auto& [name, object] : objects)
        names.push_back(name);
    return fill(names, buffer, *size);
}

PDH_STATUS WINAPI enumItems(LPCWSTR, LPCWSTR, LPCWSTR object, PZZWSTR counters, LPDWORD counterSize,
                            PZZWSTR instances, LPDWORD instanceSize, DWORD, DWORD) {
    for (const auto& [name, items] : objects) {
        if (name != object)
            continue;
        const PDH_STATUS status = fill(items.counters, counters, *counterSize);
        if (items.instances.empty()) {
            *instanceSize = 0;
            return status;
        }
        const PDH_STATUS instanceStatus = fill(items.instances, instances, *instanceSize);
        return status == ERROR_SUCCESS ? instanceStatus : status;
    }
    return static_cast<PDH_STATUS>(PDH_CSTATUS_NO_OBJECT);
}

// "Zugesicherte verwendete Bytes (%)" has no English name here: it keeps its own.
std::map<std::string, std::string> englishNames() {
    return {{"Prozessor", "Processor"}, {"Prozessorzeit (%)", "% Processor Time"},
            {"Speicher", "Memory"},     {"Verf\xc3\xbcgbare Bytes", "Available Bytes"},
            {"Prozess", "Process"},     {"Arbeitsseiten", "Working Set"}};
}

std::vector<std::string> pathsOf(const std::vector<platform::CounterListing>& listed) {
    std::vector<std::string> paths;
    for (const auto& counter : listed)
        paths.push_back(counter.path);
    return paths;
}

} // namespace

TEST(PdhCounterList, ListsEveryInstancesCountersInEnglishWithTotalsAndNumberedTwins) {
    const PdhEnumeration pdh{enumObjects, enumItems, englishNames};
    std::vector<std::string> asked;
    const auto listed = platform::win32::listPdhCounters(pdh, [&](const std::string& path) {
        asked.push_back(path);
        return path != "\\Memory\\Zugesicherte verwendete Bytes (%)";
    });
    EXPECT_EQ(pathsOf(listed), (std::vector<std::string>{
                                   "\\Processor(_Total)\\% Processor Time",
                                   "\\Processor(0)\\% Processor Time",
                                   "\\Processor(1)\\% Processor Time",
                                   "\\Memory\\Available Bytes",
                                   "\\Process(_Total)\\Working Set",
                                   "\\Process(svchost)\\Working Set",
                                   "\\Process(explorer)\\Working Set",
                                   "\\Process(svchost#1)\\Working Set",
                               }));
    EXPECT_EQ(asked, (std::vector<std::string>{"\\Memory\\Available Bytes",
                                               "\\Memory\\Zugesicherte verwendete Bytes (%)"}))
        << "only paths without an instance are tried";
    EXPECT_EQ(listed.front().units, Units::Percentage) << "a counter's name tells its units";
    EXPECT_EQ(listed[3].units, Units::Size);
}

// Wine's library cannot enumerate: the well-known paths it takes are listed.
TEST(PdhCounterList, WithoutEnumerationTheWellKnownPathsTheLibraryTakes) {
    const PdhEnumeration pdh{nullptr, nullptr, englishNames};
    const auto listed = platform::win32::listPdhCounters(pdh, [](const std::string& path) {
        return path == "\\Processor(_Total)\\% Processor Time" ||
               path == "\\System\\System Up Time";
    });
    EXPECT_EQ(pathsOf(listed), (std::vector<std::string>{"\\Processor(_Total)\\% Processor Time",
                                                         "\\System\\System Up Time"}));
}
