#include "support/TemporaryDirectory.h"
#include "util/log/AppLog.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using util::log::AppLog;
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

// A FIFO would block the open until a reader comes, so the test holds a reader: a log that
// opens the FIFO anyway fails the test instead of hanging it. A device and a folder are refused
// the same way, and the process log is then not created, as for a file that cannot be opened.
TEST(LogFile, AnythingButARegularFileIsRefusedUnopened) {
    test::TemporaryDirectory dir;
    const std::string fifo = dir.file("pakVue.log");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (const std::string& file : {fifo, std::string("/dev/null"), dir.path().string()}) {
        try {
            Storage log(file);
            ADD_FAILURE() << file << " was opened as the log";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(),
                         "Unable to open log output stream: the log file is not a regular file.");
        }
    }
    EXPECT_THROW(AppLog::create(fifo), std::runtime_error);
    EXPECT_FALSE(AppLog::instance());
    ::close(reader);
}

// The entry written while the disk is full may be lost, but the log must not stay failed. Once
// closed, the log writes on the caller's thread, so each write has been tried when it returns.
TEST(LogFile, AfterAFailedWriteLaterEntriesReachTheFile) {
    test::TemporaryDirectory dir;
    const std::string file = dir.file("pakVue.log");
    Storage log(file);
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
