#include "platform/ScreenGeometry.h"

#include "gtest/gtest.h"

namespace {

// A failed comparison shows the geometry, not its bytes.
TEST(ScreenGeometry, PrintsAsItsFields) {
    EXPECT_EQ(testing::PrintToString(platform::Rect{1, -2, 3, 4}),
              "{left 1, top -2, right 3, bottom 4}");
    EXPECT_EQ(testing::PrintToString(platform::Point{-5, 6}), "(-5, 6)");
}

} // namespace
