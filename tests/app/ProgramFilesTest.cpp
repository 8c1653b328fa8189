#include "app/ProgramFiles.h"

#include "support/LogCapture.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

using Paths = std::vector<std::filesystem::path>;

const std::filesystem::path shippedExample =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/../../examples/pakvue.config.json");
const std::filesystem::path shippedSchema =
    std::filesystem::absolute(PAKVUE_TEST_DATA "/../../examples/pakvue.config.schema.json");

class ProgramFilesTest : public ::testing::Test {
protected:
    static void configure(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        std::ofstream(folder / ProgramFiles::configurationName) << "{}";
    }

    ProgramFiles files() const { return ProgramFiles(working.path(), program.path(), user); }

    test::TemporaryDirectory working;
    test::TemporaryDirectory program;
    test::TemporaryDirectory home;
    const platform::UserFolders user{home.path() / "config" / "pakvue",
                                     home.path() / "state" / "pakvue", home.path() / ".pakvue",
                                     home.path() / "config" / "autostart"};
};

// The application tests show what is found where a single folder holds a configuration; here
// several do, and the first in the order of the search wins.
TEST_F(ProgramFilesTest, TheSearchGoesFromTheWorkingDirectoryToTheUsersConfigurationFolder) {
    const Paths order = {working.path(), program.path(), user.earlier, user.configuration};
    for (const std::filesystem::path& folder : order)
        configure(folder);
    for (const std::filesystem::path& folder : order) {
        EXPECT_EQ(files().configuration(), folder / "pakvue.config.json");
        EXPECT_EQ(files().logFiles(), (Paths{folder / "pakVue.log", user.state / "pakVue.log"}))
            << "beside it, else in the state folder";
        std::filesystem::remove(folder / ProgramFiles::configurationName);
    }
    EXPECT_FALSE(files().found());
    EXPECT_EQ(files().notFound(),
              "the configuration file \"pakvue.config.json\" was not found in \"" +
                  working.path().string() + "\" or in \"" + program.path().string() +
                  "\" or in \"" + user.earlier.string() + "\" or in \"" +
                  user.configuration.string() + "\".");
}

TEST_F(ProgramFilesTest, AFolderReachedBothWaysIsLookedInOnceAndAMissingEarlierOneNotAtAll) {
    std::filesystem::create_directory(working.path() / "sub");
    ProgramFiles files(working.path() / "sub" / "..", working.path(),
                       {working.path(), {}, home.path() / "never made", {}});
    EXPECT_EQ(files.notFound(),
              "the configuration file \"pakvue.config.json\" was not found in \"" +
                  working.path().string() + "\".");
    EXPECT_EQ(files.logFiles(), Paths{working.path() / "pakVue.log"});
}

// A first start writes what examples/ holds as the build found it, in a folder of the user's
// alone, and runs on it from then on; a second writes nothing.
TEST_F(ProgramFilesTest, WithoutAConfigurationTheExampleAndItsSchemaGoToTheUsersFolder) {
    ProgramFiles first = files();
    ASSERT_TRUE(first.writeExample());
    EXPECT_TRUE(first.found());
    EXPECT_EQ(first.configuration(), user.configuration / "pakvue.config.json");
    EXPECT_EQ(test::readBinary(first.configuration().string()),
              test::readBinary(shippedExample.string()));
    EXPECT_EQ(test::readBinary((user.configuration / "pakvue.config.schema.json").string()),
              test::readBinary(shippedSchema.string()));
    EXPECT_EQ(first.logFiles().front(), user.configuration / "pakVue.log");

    std::ofstream(first.configuration()) << "{ \"icons\": [] }";
    ProgramFiles second = files();
    EXPECT_FALSE(second.writeExample());
    EXPECT_EQ(test::readBinary(second.configuration().string()), "{ \"icons\": [] }");
}

TEST_F(ProgramFilesTest, TheLogGoesToTheFirstOfItsPlacesThatCanBeWritten) {
    ProgramFiles files(working.path(), program.path() / "gone", {});
    test::LogCapture log(working);
    std::string failure = "left over";
    EXPECT_EQ(files.openLog(failure), working.path() / "pakVue.log");
    EXPECT_EQ(failure, "");
    util::log::logMessage(util::log::LogLevel::Info, "here.");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(program.path() / "gone"));
}

// A configuration in a folder that cannot be written (Program Files, /usr/share) keeps its log
// in the user's state folder, made when it is first needed.
TEST_F(ProgramFilesTest, ALogThatCannotGoBesideTheConfigurationGoesToTheStateFolder) {
    const std::filesystem::path blocked = working.path() / "blocked";
    std::filesystem::create_directory(blocked);
    std::filesystem::create_directory(blocked / ProgramFiles::logName); // not a file
    ProgramFiles named = ProgramFiles::named(blocked / "mine.json", user);
    EXPECT_EQ(named.logFiles(), (Paths{blocked / "pakVue.log", user.state / "pakVue.log"}));
    std::string failure;
    EXPECT_EQ(named.openLog(failure), user.state / "pakVue.log");
    util::log::AppLog::release();
    EXPECT_TRUE(std::filesystem::is_regular_file(user.state / "pakVue.log"));
}

} // namespace
