#include "app/ProgramFiles.h"

#include "support/LogCapture.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

using Paths = std::vector<std::filesystem::path>;

class ProgramFilesTest : public ::testing::Test {
protected:
    static void configure(const test::TemporaryDirectory& folder) {
        std::ofstream(folder.path() / ProgramFiles::configurationName) << "{}";
    }

    test::TemporaryDirectory working;
    test::TemporaryDirectory program;
};

// Where nothing or only the program's folder holds a configuration, the application tests show
// what is found and where the log goes; here both folders hold one.
TEST_F(ProgramFilesTest, TheWorkingDirectoryComesBeforeTheProgramsFolder) {
    configure(program);
    configure(working);
    ProgramFiles files(working.path(), program.path());
    EXPECT_EQ(files.configuration(), working.path() / "pakvue.config.json");
    EXPECT_EQ(files.logFiles(), Paths{working.path() / "pakVue.log"});
}

TEST_F(ProgramFilesTest, AFolderReachedBothWaysIsLookedInOnce) {
    std::filesystem::create_directory(working.path() / "sub");
    ProgramFiles files(working.path() / "sub" / "..", working.path());
    EXPECT_EQ(files.notFound(),
              "the configuration file \"pakvue.config.json\" was not found in \"" +
                  working.path().string() + "\".");
    EXPECT_EQ(files.logFiles(), Paths{working.path() / "pakVue.log"});
}

TEST_F(ProgramFilesTest, TheLogGoesToTheFirstOfItsPlacesThatCanBeWritten) {
    ProgramFiles files(working.path(), program.path() / "gone");
    test::LogCapture log(working);
    files.openLog();
    util::log::logMessage(util::log::LogLevel::Info, "here.");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(program.path() / "gone"));
}

} // namespace
