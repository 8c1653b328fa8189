// What every system's file seam does alike; what only one can show is in its backend's tests.
#include "platform/Files.h"

#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

TEST(Files, AppendingKeepsWhatIsThereAndMakesWhatIsNot) {
    test::TemporaryDirectory dir;
    const std::filesystem::path file = dir.path() / "pakVue.log";
    for (const char* text : {"one\n", "two\n"}) {
        std::string refusal = "left over";
        util::OwnedFile opened = platform::appendToFile(file, refusal);
        ASSERT_TRUE(opened);
        EXPECT_EQ(refusal, "");
        std::fputs(text, opened.get());
    }
    EXPECT_EQ(test::readBinary(file.string()), "one\ntwo\n") << "binary, at the end";
    std::string refusal = "left over";
    EXPECT_FALSE(platform::appendToFile(dir.path() / "gone" / "file", refusal));
    EXPECT_EQ(refusal, "") << "the system's failure, not the file's";
}

TEST(Files, AReplacedFileTakesTheBytesAndLeavesNothingBeside) {
    test::TemporaryDirectory dir;
    const std::filesystem::path picture = dir.path() / "icon1-tray.png";
    platform::replaceFile(picture, "an older picture, longer than the new one");
    platform::replaceFile(picture, "new");
    EXPECT_EQ(test::readBinary(picture.string()), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_THROW(platform::replaceFile(dir.path() / "folder", "x"), std::runtime_error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "nothing is left beside a picture that could not be written";
}

// What a first start writes: a new file only where nothing is, in a folder made as needed.
TEST(Files, ANewFileIsWrittenOnlyWhereNothingIs) {
    test::TemporaryDirectory dir;
    const std::filesystem::path folder = dir.path() / "config" / "pakvue";
    platform::makePrivateFolder(folder);
    platform::makePrivateFolder(folder); // there already
    const std::filesystem::path file = folder / "pakvue.config.json";
    EXPECT_TRUE(platform::createNewFile(file, "{ \"icons\": [] }"));
    EXPECT_FALSE(platform::createNewFile(file, "the example"));
    EXPECT_EQ(test::readBinary(file.string()), "{ \"icons\": [] }");
    EXPECT_THROW(platform::makePrivateFolder(file), std::runtime_error) << "a file in its place";
    EXPECT_THROW(platform::createNewFile(dir.path() / "gone" / "file", "x"), std::runtime_error);
}

} // namespace
