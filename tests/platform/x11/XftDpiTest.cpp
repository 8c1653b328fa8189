#include "platform/x11/XftDpi.h"

#include "gtest/gtest.h"

namespace {

using platform::x11::xftDpiOf;

TEST(XftDpi, IsReadFromItsOwnLineOfTheResourceDatabase) {
    EXPECT_EQ(xftDpiOf("Xcursor.size:\t24\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
    EXPECT_EQ(xftDpiOf("Xft.dpi: 120"), 120) << "the last line needs no newline";
    EXPECT_EQ(xftDpiOf("Xft.antialias:\t1\nXft.dpi:\t  96.6 \r\n"), 97) << "rounded";
}

TEST(XftDpi, IsNoneWhenMissingOrNotAPositiveNumber) {
    EXPECT_EQ(xftDpiOf(""), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpiScale:\t2\n*.dpi:\t144\n"), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpi:\tlarge\n"), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpi:\t0\n"), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpi:\t-144\n"), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpi:\t1e300\n"), std::nullopt);
    EXPECT_EQ(xftDpiOf("Xft.dpi:\t144 dots\n"), std::nullopt);
}

} // namespace
