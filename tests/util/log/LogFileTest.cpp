#include "support/LogCapture.h"
#include "util/log/AppLog.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

using util::log::LogEntry;
using util::log::LogLevel;
using util::log::Storage;

namespace {

// Stops this process's files from growing past `bytes`, so that writes fail as on a full disk
// (with EFBIG, SIGXFSZ ignored so that it does not end the process), until it goes out of scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

} // namespace

// The entry written while the disk is full may be lost, but the log must not stay failed. Once
// closed, the log writes on the caller's thread, so each write has been tried when it returns.
TEST(LogFile, AfterAFailedWriteLaterEntriesReachTheFile) {
    test::TemporaryDirectory dir;
    const std::string file = dir.file("pakVue.log");
    Storage log(test::appendTo(file));
    log.close();
    log.write(LogEntry("before", LogLevel::Info));
    {
        const FileSizeLimit full(std::filesystem::file_size(file));
        log.write(LogEntry("while full", LogLevel::Error));
    }
    log.write(LogEntry("after", LogLevel::Info));
    const std::string text = test::readBinary(file);
    EXPECT_NE(text.find(" - Info - before\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(" - Info - after\r\n")) << text;
}
