#include "util/log/AppLog.h"

#include "support/LogCapture.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

using util::log::AppLog;
using util::log::LogEntry;
using util::log::LogLevel;
using util::log::Storage;

namespace {

// Splits on CR LF; a trailing piece without its line end is returned as well, so that a
// missing line end shows up as a failure.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        result.push_back(text.substr(begin, end - begin));
    if (begin < text.size())
        result.push_back(text.substr(begin));
    return result;
}

const std::regex stampedLine(R"(\d{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d\d )"
                             R"(\d\d:\d\d:\d\d - (\w+) - (.*))");

} // namespace

// Stamped lines in order, each ending in CR LF; an entry's further items are continuation
// lines; an unknown level writes "Unknown".
TEST(AppLog, WritesEntriesAsStampedAndContinuationLines) {
    test::TemporaryDirectory dir;
    const auto file = dir.file("pakVue.log");
    {
        Storage log(test::appendTo(file));
        log.start();
        log.write(LogEntry("starting up.", LogLevel::Info));
        LogEntry entry("second", LogLevel::Warning);
        entry.add("continued", LogLevel::Info);
        log.write(entry);
        log.write(LogEntry("third", LogLevel::Critical));
        log.write(LogEntry("odd", static_cast<LogLevel>(7)));
    }
    const std::string text = test::readBinary(file);
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    const auto written = lines(text);
    ASSERT_EQ(written.size(), 5u);
    EXPECT_EQ(written[2], " - continued");
    const char* expected[][2] = {{"Info", "starting up."},
                                 {"Warning", "second"},
                                 {nullptr, nullptr},
                                 {"Critical", "third"},
                                 {"Unknown", "odd"}};
    for (std::size_t i : {0u, 1u, 3u, 4u}) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(written[i], match, stampedLine)) << written[i];
        EXPECT_EQ(match[2], expected[i][0]);
        EXPECT_EQ(match[3], expected[i][1]);
    }
}

// Text from outside (a file name, another program's error text) cannot start a line of its own
// or steer a terminal: a line end in a message continues the entry on a line that is plainly not
// stamped, as the reader's multi-line errors are shown, and every other control is escaped.
TEST(AppLog, TextFromOutsideCannotPassForALineOfTheLogsOwn) {
    test::TemporaryDirectory dir;
    const auto file = dir.file("pakVue.log");
    const std::string forged = "counter 'x\r\n2030-Jan-01 00:00:00 - Critical - forged'\r\n";
    const std::string controls = "\x1b[31m\ttab\nfeed\rreturn\x7f\xc2\x9b\xe2\x80\xa8 \xc3\xa9";
    std::ostringstream copied;
    {
        util::log::LogCopy copy(copied);
        Storage log(test::appendTo(file));
        log.write(LogEntry(forged, LogLevel::Error));
        log.write(LogEntry(controls, LogLevel::Info));
        util::log::logMessage(LogLevel::Error, forged);
    }
    const auto written = lines(test::readBinary(file));
    ASSERT_EQ(written.size(), 3u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(written[0], match, stampedLine)) << written[0];
    EXPECT_EQ(match[3], "counter 'x");
    EXPECT_EQ(written[1], " - 2030-Jan-01 00:00:00 - Critical - forged'");
    ASSERT_TRUE(std::regex_match(written[2], match, stampedLine)) << written[2];
    EXPECT_EQ(match[3], "\\x1b[31m\\ttab\\nfeed\\rreturn\\x7f\\u009b\\u2028 \xc3\xa9");
    EXPECT_EQ(copied.str(), "Error - counter 'x\n - 2030-Jan-01 00:00:00 - Critical - forged'\n");
}

// What a failed load tells the user: its own first error, not one another thread logged
// meanwhile, and whether or not a log is open.
TEST(AppLog, TheFirstErrorIsTheFirstOfItsOwnThread) {
    std::string first;
    {
        util::log::FirstError error;
        util::log::logMessage(LogLevel::Warning, "a warning.");
        std::thread([] { util::log::logMessage(LogLevel::Error, "another thread's."); }).join();
        EXPECT_EQ(error.message(), "");
        util::log::logMessage(LogLevel::Critical, "the first.");
        util::log::logMessage(LogLevel::Error, "the second.");
        first = error.message();
    }
    EXPECT_EQ(first, "the first.");
    util::log::FirstError later;
    EXPECT_EQ(later.message(), "") << "each starts afresh";
}

TEST(AppLog, AppendsToAnExistingFileAndNeverTruncates) {
    test::TemporaryDirectory dir;
    const auto file = dir.file("pakVue.log");
    {
        std::ofstream earlier(file, std::ios::binary);
        earlier << "earlier run\r\n";
    }
    for (const char* message : {"run one", "run two"}) {
        Storage log(test::appendTo(file));
        log.start();
        log.write(LogEntry(message, LogLevel::Info));
    }
    const auto written = lines(test::readBinary(file));
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0], "earlier run");
    EXPECT_NE(written[1].find("run one"), std::string::npos);
    EXPECT_NE(written[2].find("run two"), std::string::npos);
}

TEST(AppLog, AfterCloseEntriesAreWrittenBeforeWriteReturns) {
    test::TemporaryDirectory dir;
    const auto file = dir.file("pakVue.log");
    Storage log(test::appendTo(file));
    log.start();
    log.write(LogEntry("queued", LogLevel::Info));
    log.close();
    EXPECT_EQ(lines(test::readBinary(file)).size(), 1u);
    log.start(); // refused: the writer does not come back
    EXPECT_FALSE(log.isRunning());
    log.write(LogEntry("late", LogLevel::Error));
    const auto written = lines(test::readBinary(file));
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NE(written[1].find(" - Error - late"), std::string::npos);
}

TEST(AppLog, AFileThatCannotBeOpenedFailsConstruction) {
    test::TemporaryDirectory dir;
    try {
        Storage log(test::appendTo(dir.file("missing/pakVue.log")));
        FAIL() << "a log in a missing directory was opened";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unable to open log output stream.");
    }
}

TEST(AppLog, EntriesFromManyThreadsAreAllWrittenEachThreadInOrder) {
    test::TemporaryDirectory dir;
    const auto file = dir.file("pakVue.log");
    constexpr int threads = 4;
    constexpr int perThread = 200;
    {
        Storage log(test::appendTo(file));
        log.start();
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t) {
            writers.emplace_back([&log, t] {
                for (int i = 0; i < perThread; ++i)
                    log.write(
                        LogEntry(std::to_string(t) + ":" + std::to_string(i), LogLevel::Info));
            });
        }
    }
    const auto written = lines(test::readBinary(file));
    ASSERT_EQ(written.size(), std::size_t{threads * perThread});
    std::vector<int> next(threads, 0);
    for (const auto& line : written) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, stampedLine)) << line;
        const std::string message = match[3];
        const int thread = std::stoi(message);
        EXPECT_EQ(std::stoi(message.substr(message.find(':') + 1)), next[thread]++);
    }
}

// The process-wide log is written out by static destruction at exit, so the check runs in a
// child process that logs and exits at once. The child runs this test again from the start, so
// the file's name must be the same in both processes.
TEST(AppLogDeathTest, EverythingLoggedBeforeExitReachesTheFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto file = (std::filesystem::temp_directory_path() / "pakvue-exit-test.log").string();
    std::filesystem::remove(file);
    std::filesystem::remove(file + ".other");
    EXPECT_EXIT(
        {
            if (AppLog::instance())
                std::exit(2);
            const auto log = AppLog::create([&] { return test::appendTo(file); });
            if (AppLog::create([&] { return test::appendTo(file + ".other"); }) != log ||
                AppLog::instance() != log)
                std::exit(3);
            std::jthread other([] {
                for (int i = 0; i < 100; ++i)
                    AppLog::instance()->log(LogEntry("other", LogLevel::Info));
            });
            for (int i = 0; i < 100; ++i)
                log->log(LogEntry("main", LogLevel::Info));
            other.join();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(lines(test::readBinary(file)).size(), 200u);
    EXPECT_FALSE(std::filesystem::exists(file + ".other"));
    std::filesystem::remove(file);
}
