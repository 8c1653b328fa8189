#include "support/TemporaryDirectory.h"
#include "util/log/AppLog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using util::log::AppLog;
using util::log::Storage;

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
