#include "platform/Scale.h"

#include "gtest/gtest.h"

namespace {

using platform::Scale;

TEST(Scale, LengthsRoundAsWindowsScalesItsSmallIcons) {
    EXPECT_EQ(Scale().scaled(16), 16);
    EXPECT_EQ(Scale(120).scaled(16), 20);
    EXPECT_EQ(Scale(144).scaled(16), 24);
    EXPECT_EQ(Scale(192).scaled(16), 32);
    EXPECT_EQ(Scale(144).scaled(81), 122) << "a half rounds away from zero";
    EXPECT_EQ(Scale(144).scaled(-3), -5);
    EXPECT_EQ(Scale(120).scaled(0), 0);
}

TEST(Scale, SettingsOutsideOneToFiveTimesAreBounded) {
    EXPECT_EQ(Scale(0), Scale());
    EXPECT_EQ(Scale(72), Scale()) << "a desktop set below 100 % keeps the 96-DPI layout";
    EXPECT_EQ(Scale(100000).dpi(), platform::largestDpi);
    EXPECT_EQ(Scale(100000).scaled(480), 2400);
}

} // namespace
