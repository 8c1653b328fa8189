// The PDH counter query over a library of the test's own: which paths it adds, and how it
// totals the instances of an object.
#include "platform/win32/PdhCounterQuery.h"

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
    std::vector<std::string> asked; // every path an add was asked for
    std::vector<std::string> added; // the counters, in order: handle 1 is the first
};

FakeLibrary* fake = nullptr;

PDH_STATUS status(DWORD code) {
    return static_cast<PDH_STATUS>(code);
}

PDH_STATUS add(const std::map<std::string, DWORD>& served, LPCSTR path, PDH_HCOUNTER* counter) {
    fake->asked.push_back(path);
    if (!served.contains(path))
        return status(PDH_CSTATUS_NO_COUNTER);
    fake->added.push_back(path);
    *counter = reinterpret_cast<PDH_HCOUNTER>(fake->added.size());
    return ERROR_SUCCESS;
}

PDH_STATUS WINAPI addEnglish(PDH_HQUERY, LPCSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    return add(fake->english, path, counter);
}

PDH_STATUS WINAPI addLocalised(PDH_HQUERY, LPCSTR path, DWORD_PTR, PDH_HCOUNTER* counter) {
    return add(fake->localised, path, counter);
}

PDH_STATUS WINAPI counterInfo(PDH_HCOUNTER counter, BOOLEAN, LPDWORD size,
                              PPDH_COUNTER_INFO_A info) {
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
                              PPDH_FMT_COUNTERVALUE_ITEM_A items) {
    const auto& instances = fake->instances;
    DWORD needed = static_cast<DWORD>(instances.size() * sizeof *items);
    for (const Instance& instance : instances)
        needed += static_cast<DWORD>(instance.name.size() + 1);
    *count = static_cast<DWORD>(instances.size());
    if (*size < needed) {
        *size = needed;
        return status(PDH_MORE_DATA);
    }
    char* name = reinterpret_cast<char*>(items + instances.size());
    for (const Instance& instance : instances) {
        std::memcpy(name, instance.name.c_str(), instance.name.size() + 1);
        *items = {};
        items->szName = name;
        items->FmtValue.CStatus = instance.status;
        items->FmtValue.doubleValue = instance.value;
        ++items;
        name += instance.name.size() + 1;
    }
    return ERROR_SUCCESS;
}

const PdhFunctions fakeFunctions{
    [](LPCSTR, DWORD_PTR, PDH_HQUERY* query) -> PDH_STATUS {
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
    EXPECT_EQ(library.asked, (std::vector<std::string>{"\\Processor(*)\\% Processor Time",
                                                       "\\Processor(*)\\% Processor Time",
                                                       "\\Processor(_Total)\\% Processor Time"}));
    const auto first = query.addCounter("\\Prozessor(0)\\Prozessorzeit");
    EXPECT_EQ(test::failure([&] { query.addCounter("\\Nothing\\Here"); }), "PdhAddCounter failed");
    ASSERT_TRUE(query.collect());
    EXPECT_EQ(query.read(cpu), 12.5);
    EXPECT_EQ(query.read(first), 12.5);
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
