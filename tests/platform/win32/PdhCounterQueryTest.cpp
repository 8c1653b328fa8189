// The PDH counter query over a library of the test's own: which paths it adds, and how it
// totals the instances of an object.
#include "platform/win32/PdhCounterQuery.h"

#include "platform/win32/Utf16.h"
#include "platform/win32/Win32CounterQuery.h"
#include "support/Failure.h"

#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <pdhmsg.h>
#include <string>
#include <vector>
#include <winperf.h>

using platform::win32::PdhCounterQuery;
using platform::win32::PdhFunctions;
using platform::win32::utf16Of;
using platform::win32::utf8Of;

namespace {

struct Instance {
    std::string name;
    double value;
    DWORD status = PDH_CSTATUS_VALID_DATA;
};

// What the fake library serves, and what it was asked.
struct FakeLibrary {
    std::map<std::string, DWORD> english; // path to counter type
    std::map<std::string, DWORD> localised;
    std::vector<Instance> instances; // of every counter added with a wildcard
    std::optional<double> value;     // of every other counter
    DWORD collectStatus = ERROR_SUCCESS;
    // The answer to a buffer that is not empty but too small; only an empty one is sized.
    DWORD tooSmall = PDH_MORE_DATA;
    int appearing = 0; // instances that appear just after the next sizes are given
    int formatCalls = 0;
    std::vector<std::wstring> asked; // every path an add was asked for, as the library got it
    std::vector<std::string> added;  // the counters, in order: handle 1 is the first
};

FakeLibrary* fake = nullptr;

PDH_STATUS status(DWORD code) {
    return static_cast<PDH_STATUS>(code);
}

PDH_STATUS add(const std::map<std::string, DWORD>& served, LPCWSTR path, PDH_HCOUNTER* counter) {
    fake->asked.push_back(path);
    if (!served.contains(utf8Of(path)))
        return status(PDH_CSTATUS_NO_COUNTER);
    fake->added.push_back(utf8Of(path));
    *counter = reinterpret_cast<PDH_HCOUNTER>(fake->added.size());
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI addEnglish(PDH_HQUERY, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    return add(fake->english, path, counter);
}

PDH_STATUS WINAPI addLocalised(PDH_HQUERY, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    return add(fake->localised, path, counter);
}

PDH_STATUS WINAPI counterInfo(PDH_HCOUNTER counter, BOOLEAN, LPDWORD size,
                              PPDH_COUNTER_INFO_W info) {
    if (*size < sizeof *info) {
        *size = sizeof *info;
        return status(PDH_MORE_DATA);
    }
    const std::string& path = fake->added.at(reinterpret_cast<std::size_t>(counter) - 1);
    *info = {};
    info->dwType = fake->english.contains(path) ? fake->english[path] : fake->localised[path];
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI formatValue(PDH_HCOUNTER, DWORD, LPDWORD, PPDH_FMT_COUNTERVALUE value) {
    if (!fake->value)
        return status(PDH_INVALID_DATA);
    *value = {};
    value->doubleValue = *fake->value;
    return ERROR_SUCCESS;
}

// The items, then their names, in one buffer, as the library lays them out.
PDH_STATUS WINAPI formatArray(PDH_HCOUNTER, DWORD, LPDWORD size, LPDWORD count,
                              PPDH_FMT_COUNTERVALUE_ITEM_W items) {
    const auto& instances = fake->instances;
    ++fake->formatCalls;
    DWORD needed = static_cast<DWORD>(instances.size() * sizeof *items);
    for (const Instance& instance : instances)
        needed += static_cast<DWORD>((utf16Of(instance.name).size() + 1) * sizeof(wchar_t));
    *count = static_cast<DWORD>(instances.size());
    if (*size < needed) {
        if (*size != 0 && fake->tooSmall != PDH_MORE_DATA)
            return status(fake->tooSmall);
        *size = needed;
        if (fake->appearing > 0)
            fake->instances.push_back({"Appeared " + std::to_string(fake->appearing--), 1.0});
        return status(PDH_MORE_DATA);
    }
    auto* name = reinterpret_cast<wchar_t*>(items + instances.size());
    for (const Instance& instance : instances) {
        const std::wstring wide = utf16Of(instance.name);
        std::memcpy(name, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        *items = {};
        items->szName = name;
        items->FmtValue.CStatus = instance.status;
        items->FmtValue.doubleValue = instance.value;
        ++items;
        name += wide.size() + 1;
    }
    return ERROR_SUCCESS;
}

const PdhFunctions fakeFunctions{
    [](LPCWSTR, DWORD_PTR, PDH_HQUERY* query) -> PDH_STATUS {
        *query = reinterpret_cast<PDH_HQUERY>(1);
        return ERROR_SUCCESS;
    },
    addEnglish,
    addLocalised,
    counterInfo,
    [](PDH_HQUERY) { return status(fake->collectStatus); },
    formatValue,
    formatArray,
    [](PDH_HQUERY) -> PDH_STATUS { return ERROR_SUCCESS; },
};

class PdhCounterQueryTest : public ::testing::Test {
protected:
    PdhCounterQueryTest() { fake = &library; }
    ~PdhCounterQueryTest() override { fake = nullptr; }

    FakeLibrary library;
    PdhCounterQuery query{fakeFunctions};
};

const std::string networkTotal = "\\Network Interface(_Total)\\Bytes Total/sec";
const std::string networkWildcard = "\\Network Interface(*)\\Bytes Total/sec";

} // namespace

TEST_F(PdhCounterQueryTest, ATotalTheSystemDoesNotKeepIsTheSumOfTheInstances) {
    library.english[networkWildcard] = PERF_COUNTER_BULK_COUNT;
    library.instances = {{"Ethernet", 1000.0},
                         {"Wi-Fi", 250.0},
                         {"isatap", 7.0, PDH_CSTATUS_INVALID_DATA}}; // no value: left out
    const auto total = query.addCounter(networkTotal);
    const auto wildcard = query.addCounter(networkWildcard);
    EXPECT_EQ(library.added, (std::vector{networkWildcard, networkWildcard}));
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(total), 1250.0);
    EXPECT_EQ(query.read(wildcard), 1250.0);

    // An adapter that comes later counts from its first value; its name needs a larger buffer.
    library.instances.push_back({"Intel[R] Ethernet Connection I219-V #2", 50.0});
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(total), 1300.0);
}

// Some releases answer a buffer that is too small with PDH_INVALID_ARGUMENT, and none promises
// that the size given back for one is enough: only an empty buffer is sized.
TEST_F(PdhCounterQueryTest, ATotalRecoversWhenInstancesOutgrowTheBuffer) {
    library.english[networkWildcard] = PERF_COUNTER_BULK_COUNT;
    library.tooSmall = PDH_INVALID_ARGUMENT;
    library.instances = {{"Ethernet", 1000.0}};
    const auto total = query.addCounter(networkTotal);
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(total), 1000.0);

    library.instances.push_back({"Hyper-V Virtual Ethernet Adapter", 20.0});
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(total), 1020.0);

    // An instance that appears between the sizing and the next call outgrows the new buffer too.
    library.instances.push_back({"TAP-Windows Adapter V9 for OpenVPN Connect", 30.0});
    library.appearing = 1;
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(total), 1051.0);

    // Instances that never stop appearing cost a few calls, not a hang, and no value.
    library.instances.push_back({"Bluetooth Device (Personal Area Network)", 0.0});
    library.appearing = 1000;
    library.formatCalls = 0;
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(total); }), "GetFormattedCounterValue failed");
    EXPECT_LE(library.formatCalls, 10);
    library.appearing = 0;
    ASSERT_TRUE(query.collect());
    EXPECT_GT(query.read(total), 1051.0);
}

TEST_F(PdhCounterQueryTest, PercentagesAreAveragedAndAKeptTotalIsTakenAsItIs) {
    library.english["\\Processor(*)\\% Processor Time"] = PERF_100NSEC_TIMER_INV;
    // A localised name that does not say "%": the counter's type does.
    library.localised["\\Prozessor(*)\\Prozessorzeit"] = PERF_100NSEC_TIMER_INV;
    library.instances = {{"0", 50.0}, {"1", 30.0}};
    const auto english = query.addCounter("\\Processor(_Total)\\% Processor Time");
    const auto localised = query.addCounter("\\Prozessor(_Total)\\Prozessorzeit");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(english), 40.0);
    EXPECT_EQ(query.read(localised), 40.0);

    library.instances.push_back({"_Total", 45.0});
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(english), 45.0);
}

// Wine's library, for one, knows no wildcard: the path itself is asked for next.
TEST_F(PdhCounterQueryTest, WithoutAWildcardThePathItselfIsAddedInEitherLanguage) {
    library.english["\\Processor(_Total)\\% Processor Time"] = PERF_100NSEC_TIMER_INV;
    library.localised["\\Prozessor(0)\\Prozessorzeit"] = PERF_100NSEC_TIMER_INV;
    library.value = 12.5;
    const auto cpu = query.addCounter("\\Processor(_Total)\\% Processor Time");
    EXPECT_EQ(library.asked, (std::vector<std::wstring>{L"\\Processor(*)\\% Processor Time",
                                                        L"\\Processor(*)\\% Processor Time",
                                                        L"\\Processor(_Total)\\% Processor Time"}));
    const auto first = query.addCounter("\\Prozessor(0)\\Prozessorzeit");
    EXPECT_EQ(test::failure([&] { query.addCounter("\\Nothing\\Here"); }), "PdhAddCounter failed");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(cpu), 12.5);
    EXPECT_EQ(query.read(first), 12.5);
}

// Localised names reach the library in UTF-16, whatever the system's ANSI code page holds.
TEST_F(PdhCounterQueryTest, LocalisedNamesReachTheLibraryWhole) {
    library.localised["\\Mémoire\\Octets disponibles"] = PERF_COUNTER_LARGE_RAWCOUNT;
    library.localised["\\Сетевой интерфейс(*)\\Всего байт/с"] = PERF_COUNTER_BULK_COUNT;
    library.value = 4096.0;
    library.instances = {{"Адаптер Ethernet", 100.0}, {"Wi-Fi", 20.0}};
    const auto memory = query.addCounter("\\Mémoire\\Octets disponibles");
    const auto network = query.addCounter("\\Сетевой интерфейс(_Total)\\Всего байт/с");
    EXPECT_EQ(library.asked.at(1), L"\\M\u00e9moire\\Octets disponibles");
    EXPECT_EQ(library.asked.back(), L"\\\u0421\u0435\u0442\u0435\u0432\u043e\u0439 "
                                    L"\u0438\u043d\u0442\u0435\u0440\u0444\u0435\u0439\u0441"
                                    L"(*)\\\u0412\u0441\u0435\u0433\u043e "
                                    L"\u0431\u0430\u0439\u0442/\u0441");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(memory), 4096.0);
    EXPECT_EQ(query.read(network), 120.0);
}

TEST_F(PdhCounterQueryTest, CountersWithoutDataFailTheirReads) {
    library.english[networkWildcard] = PERF_COUNTER_BULK_COUNT;
    library.english["\\Memory\\Available Bytes"] = PERF_COUNTER_LARGE_RAWCOUNT;
    const auto total = query.addCounter(networkTotal);
    const auto memory = query.addCounter("\\Memory\\Available Bytes");
    const std::string failed = "GetFormattedCounterValue failed";

    library.instances = {{"Ethernet", 1000.0, PDH_CSTATUS_INVALID_DATA}};
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(total); }), failed);
    EXPECT_EQ(test::failure([&] { query.read(memory); }), failed);
    library.instances.clear();
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(total); }), failed);

    library.instances = {{"Ethernet", 1000.0}};
    library.collectStatus = PDH_NO_DATA;
    EXPECT_FALSE(query.collect());
    EXPECT_EQ(test::failure([&] { query.read(total); }), failed) << "nothing of an older collect";
    EXPECT_EQ(test::failure([&] { query.read(7); }), failed);
}

TEST_F(PdhCounterQueryTest, PathsThatNameAComputerNeverReachTheLibrary) {
    EXPECT_EQ(test::failure([&] { query.addCounter("\\\\fileserver" + networkTotal); }),
              "remote counter paths are not supported.");
    EXPECT_TRUE(library.asked.empty());
}

// Task Manager's GPU figure, over the library: each engine's share summed over its processes,
// and an adapter as busy as its busiest engine. The sum of everything would read 152.5.
TEST_F(PdhCounterQueryTest, GpuUseIsTheBusiestEngineOfEachAdapterOverItsProcesses) {
    library.english["\\GPU Engine(*)\\Utilization Percentage"] = PERF_100NSEC_TIMER;
    const std::string first = "luid_0x00000000_0x0000C6B3_phys_0";
    const std::string second = "luid_0x00000000_0x0001A2F0_phys_0";
    library.instances = {
        {"pid_1200_" + first + "_eng_0_engtype_3D", 30.0},
        {"pid_4711_" + first + "_eng_0_engtype_3D", 25.0},
        {"pid_4711_" + first + "_eng_3_engtype_VideoDecode", 40.0},
        {"pid_1200_" + first + "_eng_1_engtype_Copy", 90.0, PDH_CSTATUS_INVALID_DATA},
        {"pid_880_" + second + "_eng_0_engtype_3D", 12.0},
        {"pid_880_" + second + "_eng_5_engtype_Compute_0", 20.0},
        {"pid_9_" + second + "_eng_5_engtype_Compute_0", 25.5},
    };
    platform::win32::Win32CounterQuery gpu(std::make_unique<PdhCounterQuery>(fakeFunctions),
                                           [](LPSYSTEM_POWER_STATUS) { return FALSE; });
    const auto firstBusy = gpu.addCounter("\\GPU(" + first + ")\\% Utilization");
    const auto secondBusy = gpu.addCounter("\\GPU(" + second + ")\\% Utilization");
    const auto busiest = gpu.addCounter("\\GPU(_Total)\\% Utilization");
    EXPECT_EQ(test::failure([&] { gpu.addCounter("\\GPU(luid_0x0_0x0_phys_0)\\% Utilization"); }),
              "PdhAddCounter failed");
    ASSERT_TRUE(gpu.collect());
    EXPECT_EQ(gpu.read(firstBusy), 55.0);
    EXPECT_EQ(gpu.read(secondBusy), 45.5);
    EXPECT_EQ(gpu.read(busiest), 55.0);

    library.instances.push_back({"pid_77_" + second + "_eng_5_engtype_Compute_0", 60.0});
    ASSERT_TRUE(gpu.collect());
    EXPECT_EQ(gpu.read(busiest), 100.0) << "shares measured at slightly different times";
}
