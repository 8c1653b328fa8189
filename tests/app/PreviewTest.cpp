#include "app/Preview.h"

#include "support/Golden.h"
#include "support/Png.h"
#include "support/TemporaryDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const char* const example = PAKVUE_TEST_DATA "/../../examples/pakvue.config.json";

std::shared_ptr<util::system::monitoring::DataCollector>
noCounters(Units, const std::string&, const std::string&, const std::string&) {
    throw std::logic_error("a synthetic preview reads no counters.");
}

} // namespace

// The README shows these pictures; they change only when the drawing or the example does. The
// folder may be shared: a link planted at a picture's name is replaced, not written through.
TEST(Preview, TheSyntheticPreviewOfTheExampleIsTheSameOnEveryRun) {
    test::TemporaryDirectory dir;
    test::TemporaryDirectory elsewhere;
    std::ofstream(elsewhere.file("precious")) << "the user's own";
    std::filesystem::create_symlink(elsewhere.file("precious"), dir.file("icon1-tray.png"));
    std::ostringstream out;
    ASSERT_EQ(renderPreview(ProgramFiles::named(example), {dir.path(), 5, true}, noCounters, out),
              CheckResult::Loaded)
        << out.str();
    EXPECT_EQ(out.str(), "6 pictures written to \"" + dir.path().string() + "\".\n");
    for (const char* name : {"icon1-tray", "icon1-detail", "icon2-tray", "icon2-detail",
                             "icon3-tray", "icon3-detail"}) {
        const auto picture = test::readPng(dir.file(std::string(name) + ".png"));
        ASSERT_TRUE(picture) << name;
        test::checkGolden(std::string("preview-") + name, *picture);
    }
    EXPECT_EQ(test::readBinary(elsewhere.file("precious")), "the user's own");
}

// Nothing to sample and nothing to draw: the load's lines, and a failure.
TEST(Preview, AConfigurationWithoutAnIconThatLoadsDrawsNothing) {
    test::TemporaryDirectory dir;
    const std::string file = dir.file("pakvue.config.json");
    std::ofstream(file) << R"({ "icons": [ { "graphs": [] } ] })";
    std::ostringstream out;
    EXPECT_EQ(
        renderPreview(ProgramFiles::named(file), {dir.path() / "out", 1, false}, noCounters, out),
        CheckResult::SomethingFailed);
    EXPECT_NE(out.str().find("Error - no icons loaded successfully; exiting.\n"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("0 pictures written"), std::string::npos) << out.str();
}

TEST(Preview, AFolderThatCannotBeMadeEndsItAsUnreadable) {
    test::TemporaryDirectory dir;
    std::ofstream(dir.file("taken")) << "a file where the folder should go";
    std::ostringstream out;
    EXPECT_EQ(renderPreview(ProgramFiles::named(example), {dir.path() / "taken", 5, true},
                            noCounters, out),
              CheckResult::Unreadable);
    EXPECT_EQ(out.str().rfind("Critical - ", 0), 0u) << out.str();
}
