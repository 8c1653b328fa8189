#include "app/CounterList.h"

#include <gtest/gtest.h>

TEST(CounterList, KeepsThePathsThatHoldTheFilterWhateverItsCase) {
    const std::vector<platform::CounterListing> listed = {
        {"\\Processor(_Total)\\% Processor Time", Units::Percentage},
        {"\\Memory\\Available Bytes", Units::Size},
        {"\\Process(processor-hog)\\Working Set", Units::Size},
    };
    const auto paths = [](const std::vector<platform::CounterListing>& counters) {
        std::vector<std::string> result;
        for (const auto& counter : counters)
            result.push_back(counter.path);
        return result;
    };
    EXPECT_EQ(paths(filterCounters(listed, "PROCESSOR(")),
              std::vector<std::string>{"\\Processor(_Total)\\% Processor Time"});
    EXPECT_EQ(paths(filterCounters(listed, "processor")).size(), 2u);
    EXPECT_EQ(filterCounters(listed, "").size(), 3u);
    EXPECT_TRUE(filterCounters(listed, "\\Disk").empty());
    EXPECT_EQ(filterCounters(listed, "bytes").front().units, Units::Size);
}

// Paste a listed path between quotes and the configuration reads the same path.
TEST(CounterList, WritesPathsAsTheyAreWrittenInAJsonString) {
    EXPECT_EQ(jsonStringContent("\\Paging File(\\??\\C:\\pagefile.sys)\\% Usage"),
              "\\\\Paging File(\\\\??\\\\C:\\\\pagefile.sys)\\\\% Usage");
    EXPECT_EQ(jsonStringContent("say \"hi\"\tthen\x01"), "say \\\"hi\\\"\\u0009then\\u0001");
    EXPECT_EQ(jsonStringContent("caf\xc3\xa9"), "caf\xc3\xa9");
}
