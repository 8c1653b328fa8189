#include "platform/CounterPath.h"

#include "support/Failure.h"

#include <gtest/gtest.h>

using platform::CounterPath;

TEST(CounterPath, SplitsObjectInstanceAndCounter) {
    const CounterPath network("\\Network Interface(_Total)\\Bytes Total/sec");
    EXPECT_TRUE(network.wellFormed());
    EXPECT_FALSE(network.remote());
    EXPECT_EQ(network.object(), "Network Interface");
    EXPECT_EQ(network.instance(), "_Total");
    EXPECT_EQ(network.counter(), "Bytes Total/sec");
    EXPECT_EQ(network.everyInstance(), "\\Network Interface(*)\\Bytes Total/sec");

    const CounterPath paging("\\Paging File(\\??\\C:\\pagefile.sys)\\% Usage");
    EXPECT_EQ(paging.object(), "Paging File");
    EXPECT_EQ(paging.instance(), "\\??\\C:\\pagefile.sys");
    EXPECT_EQ(paging.counter(), "% Usage");
    EXPECT_EQ(platform::makeCounterPath("Paging File", paging.instance(), "% Usage"),
              "\\Paging File(\\??\\C:\\pagefile.sys)\\% Usage");
    EXPECT_EQ(platform::makeCounterPath("Memory", "", "Cache Bytes"), "\\Memory\\Cache Bytes");

    const CounterPath memory("\\Memory\\% Committed Bytes In Use");
    EXPECT_EQ(memory.instance(), "");
    EXPECT_TRUE(memory.percentage());
    EXPECT_FALSE(memory.total());

    for (const char* path : {"", "\\", "\\\\", "Processor(_Total)\\% Processor Time", "\\Processor",
                             "\\Processor(_Total\\% Processor Time"}) {
        const CounterPath malformed(path);
        EXPECT_FALSE(malformed.wellFormed()) << path;
        EXPECT_EQ(malformed.object() + malformed.instance() + malformed.counter(), "") << path;
    }
}

TEST(CounterPath, TotalsAreTheTotalInstanceOrTheWildcard) {
    for (const char* path : {"\\Processor(_Total)\\% Processor Time",
                             "\\processor(_TOTAL)\\% processor time", "\\Processor(*)\\x"})
        EXPECT_TRUE(CounterPath(path).total()) << path;
    for (const char* path : {"\\Processor(0)\\% Processor Time", "\\Processor(_Totals)\\x",
                             "\\System\\Processes", "\\Processor(_Total\\x"})
        EXPECT_FALSE(CounterPath(path).total()) << path;
    EXPECT_FALSE(CounterPath("\\Network Interface(*)\\Bytes Total/sec").percentage());
}

TEST(CounterPath, PathsThatNameAComputerAreRefused) {
    const CounterPath remote("\\\\fileserver\\Processor(_Total)\\% Processor Time");
    EXPECT_TRUE(remote.remote());
    EXPECT_TRUE(remote.wellFormed());
    EXPECT_EQ(remote.object(), "Processor");
    EXPECT_EQ(test::failure([&] { platform::refuseRemote(remote); }),
              "remote counter paths are not supported.");
    EXPECT_TRUE(CounterPath("\\\\fileserver").remote());
    EXPECT_EQ(test::failure([] { platform::refuseRemote(CounterPath("\\System\\Processes")); }),
              "(nothing thrown)");
}
