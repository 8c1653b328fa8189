#include "util/thread/Ticker.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// Driven as the desktop's loop drives it: sleep until the next tick, then run what is due.
// Jobs of one interval run in the same turn, a job of another interval at ticks of its own.
TEST(Ticker, RunsJobsOfOneIntervalTogetherAndOthersAtTheirOwnTicks) {
    util::Ticker ticker;
    ticker.host([] {});
    int fast = 0, fellow = 0, slow = 0, slowAlone = 0, turnsWithFastApart = 0;
    ticker.add(
        100ms, [&] { ++fast; });
    ticker.add(
        100ms, [&] { ++fellow; });
    ticker.add(250ms, [&] { ++slow; });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while ((fast < 12 || slowAlone < 1) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ticker.millisecondsToNextTick()));
        const int before[] = {fast, fellow, slow};
        ticker.runDue();
        turnsWithFastApart += (fast - before[0]) != (fellow - before[1]);
        slowAlone += slow > before[2] && fast == before[0];
    }
    EXPECT_GE(fast, 12);
    EXPECT_EQ(turnsWithFastApart, 0) << "two jobs of one interval ran in different turns";
    EXPECT_GE(slowAlone, 1) << "the slower job never ran at a tick of its own";
    EXPECT_LT(slow, fast);
}

// Given back, the ticks run on the ticker's own thread again; a removed job never runs again.
TEST(Ticker, RunsOnItsOwnThreadUntilHostedAndStopsRemovedJobs) {
    util::Ticker ticker;
    std::atomic<int> runs{0};
    const util::Ticker::Id id = ticker.add(1ms, [&] { ++runs; });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (runs < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_GE(runs, 3);
    ticker.host([] {});
    const int hosted = runs;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(runs, hosted) << "the own thread ran a job while a loop had the ticks";
    ticker.runDue();
    EXPECT_EQ(runs, hosted + 1);
    ticker.unhost();
    ticker.remove(id);
    const int removed = runs;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(runs, removed);
}
