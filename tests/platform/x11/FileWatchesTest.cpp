// The X11 desktop's file watch through inotify, without a display: the test polls and collects
// as the loop does.
#include "platform/x11/FileWatches.h"

#include "support/TemporaryDirectory.h"

#include "gtest/gtest.h"
#include <fstream>

namespace {

using platform::WindowHandle;

class FileWatchesTest : public ::testing::Test {
protected:
    // The messages posted once the descriptor says something came, or after a short wait.
    std::vector<std::uint32_t> posted() {
        std::vector<pollfd> polled;
        watches.watch(polled);
        if (!polled.empty())
            ::poll(polled.data(), polled.size(), 200);
        std::vector<std::uint32_t> messages;
        watches.collect([&](WindowHandle to, std::uint32_t message) {
            EXPECT_EQ(to, owner);
            messages.push_back(message);
        });
        return messages;
    }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir.path() / name) << text;
    }

    test::TemporaryDirectory dir;
    platform::x11::FileWatches watches;
    WindowHandle owner = reinterpret_cast<WindowHandle>(0x1234);
    const std::filesystem::path file = dir.path() / "pakvue.config.json";
};

// Editors save in place, or through a new file renamed over the old one (which a watch on the
// file itself would lose); either is one report, and the log written beside it none.
TEST_F(FileWatchesTest, ASaveInPlaceOrThroughARenameIsSeenAndOtherFilesAreNot) {
    write("pakvue.config.json", "{}");
    auto watch = watches.watch(file, owner, 77);
    ASSERT_TRUE(watch);
    write("pakVue.log", "a line");
    EXPECT_TRUE(posted().empty());
    write("pakvue.config.json", "{ \"icons\": [] }");
    EXPECT_EQ(posted(), std::vector<std::uint32_t>{77});
    write("pakvue.config.json.tmp", "{ \"icons\": [1] }");
    std::filesystem::rename(dir.path() / "pakvue.config.json.tmp", file);
    EXPECT_EQ(posted(), std::vector<std::uint32_t>{77}) << "one report for the whole save";
    std::filesystem::rename(file, dir.path() / "moved away");
    EXPECT_EQ(posted(), std::vector<std::uint32_t>{77});
    write("pakvue.config.json", "{}");
    EXPECT_EQ(posted(), std::vector<std::uint32_t>{77}) << "the folder, not the file, is watched";
}

TEST_F(FileWatchesTest, AnEndedWatchReportsNothingAndAMissingFolderCannotBeWatched) {
    auto first = watches.watch(file, owner, 1);
    auto second = watches.watch(file, owner, 2);
    first.reset();
    write("pakvue.config.json", "{}");
    EXPECT_EQ(posted(), std::vector<std::uint32_t>{2}) << "the folder stays watched for the other";
    second.reset();
    write("pakvue.config.json", "{ }");
    EXPECT_TRUE(posted().empty());
    EXPECT_FALSE(watches.watch(dir.path() / "gone" / "pakvue.config.json", owner, 3));
}

} // namespace
