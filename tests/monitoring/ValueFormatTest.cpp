#include "monitoring/ValueFormat.h"

#include <gtest/gtest.h>

using namespace util::system::monitoring;

TEST(ValueFormat, FormatsEachUnit) {
    const std::string degrees = " \xc2\xb0" + std::string("C"); // in UTF-8
    EXPECT_EQ(formatValue(1536, Units::Size), "1.5 KiB");
    EXPECT_EQ(formatValue(1023, Units::Size), "1023.0 B");
    EXPECT_EQ(formatValue(1024, Units::Size), "1.0 KiB");
    EXPECT_EQ(formatValue(1048576, Units::Rate), "1.0 MiB/s");
    EXPECT_EQ(formatValue(0x1p30 * 3.25, Units::Size), "3.2 GiB");
    EXPECT_EQ(formatValue(42, Units::Percentage), "42.0 %");
    EXPECT_EQ(formatValue(0.26, Units::None), "0.3");
    EXPECT_EQ(formatValue(12.345, Units::Duration), "12.3");
    EXPECT_EQ(formatValue(7, static_cast<Units>(99)), "7.0");
    EXPECT_EQ(formatValue(46.6, Units::Temperature), "47" + degrees);
    EXPECT_EQ(formatValue(-0.4, Units::Temperature), "0" + degrees);
    EXPECT_EQ(formatValue(-12.7, Units::Temperature), "-13" + degrees);
}

TEST(ValueFormat, TebibytesAreTheLargestUnitAndNegativesAreBytes) {
    EXPECT_EQ(formatValue(0x1p40, Units::Size), "1.0 TiB");
    EXPECT_EQ(formatValue(0x1p51, Units::Size), "2048.0 TiB");
    EXPECT_EQ(formatValue(-5000, Units::Size), "-5000.0 B");
    EXPECT_EQ(formatValue(-1, Units::Rate), "-1.0 B/s");
    EXPECT_EQ(formatNumber(1.7976931348623157e308).size(), 311u);
}
