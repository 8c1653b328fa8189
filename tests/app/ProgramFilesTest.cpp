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

TEST_F(ProgramFilesTest, TheWorkingDirectoryComesFirstThenTheProgramsFolder) {
    ProgramFiles none(working.path(), program.path());
    EXPECT_FALSE(none.found());
    EXPECT_EQ(none.notFound(), "the configuration file \"pakvue.config.json\" was not found in \"" +
                                   working.path().string() + "\" or in \"" +
                                   program.path().string() + "\".");
    EXPECT_EQ(none.logFiles(),
              (Paths{program.path() / "pakVue.log", working.path() / "pakVue.log"}))
        << "beside the program first: a working directory such as System32 is no place for it";

    configure(program);
    ProgramFiles besideProgram(working.path(), program.path());
    EXPECT_TRUE(besideProgram.found());
    EXPECT_EQ(besideProgram.configuration(), program.path() / "pakvue.config.json");
    EXPECT_EQ(besideProgram.logFiles(), Paths{program.path() / "pakVue.log"});

    configure(working);
    ProgramFiles inWorking(working.path(), program.path());
    EXPECT_EQ(inWorking.configuration(), working.path() / "pakvue.config.json");
    EXPECT_EQ(inWorking.logFiles(), Paths{working.path() / "pakVue.log"});
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
