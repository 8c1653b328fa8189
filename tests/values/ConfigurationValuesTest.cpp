#include "values/ConfigurationValues.h"

#include "values/Colour.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

TEST(ConfigurationValues, WordsMatchExactlyOrYieldTheDefault) {
    EXPECT_EQ(parseUnits("Percentage", Units::None), Units::Percentage);
    EXPECT_EQ(parseUnits("Rate", Units::None), Units::Rate);
    EXPECT_EQ(parseUnits("Temperature", Units::None), Units::Temperature);
    EXPECT_EQ(parseUnits("percentage", Units::None), Units::None);
    EXPECT_EQ(parseUnits("None", Units::Size), Units::Size); // None has no word
    EXPECT_EQ(parseFillMode("None", FillMode::Gradient), FillMode::None);
    EXPECT_EQ(parseFillMode("flat", FillMode::Gradient), FillMode::Gradient);
    EXPECT_EQ(parseInspectorType("Free", InspectorType::Fixed), InspectorType::Free);
    EXPECT_EQ(parseInspectorType("", InspectorType::Floating), InspectorType::Floating);
}

TEST(Colour, ParsesEveryTextForm) {
    EXPECT_EQ(Colour("#abc"), Colour(170, 187, 204, 255));
    EXPECT_EQ(Colour("abcd"), Colour(170, 187, 204, 221));
    EXPECT_EQ(Colour("#00ff0080"), Colour(0, 255, 0, 128));
    EXPECT_EQ(Colour("0000007f"), Colour(0, 0, 0, 127));
    EXPECT_EQ(Colour("FF0000"), Colour(255, 0, 0, 255));
    EXPECT_EQ(Colour("ff0000bf"), Colour(255, 0, 0, 191));
    // Only the first "#" is removed; nine digits read like six.
    EXPECT_EQ(Colour("12#3456"), Colour(0x12, 0x34, 0x56, 255));
    EXPECT_EQ(Colour("123456789"), Colour(0x12, 0x34, 0x56, 255));
    // A group that runs past the end uses what is there.
    EXPECT_EQ(Colour("1234567"), Colour(0x12, 0x34, 0x56, 0x7));
}

TEST(Colour, DigitsStopAtTheFirstOtherCharacterAndNeverLeaveTheChannelRange) {
    EXPECT_EQ(Colour("1g2h3i"), Colour(1, 2, 3, 255));
    EXPECT_EQ(Colour("xyz"), Colour(0, 0, 0, 255));
    // Signs and spaces are not digits: no wrap-around to huge channel values.
    EXPECT_EQ(Colour("-1-1-1"), Colour(0, 0, 0, 255));
    EXPECT_EQ(Colour(" f+f f"), Colour(0, 0, 0, 255));
}

TEST(Colour, TooShortTextsFailWithInvalidStringPosition) {
    for (const std::string text : {"", "#", "1", "12", "12345", "#12345"}) {
        try {
            Colour colour(text);
            ADD_FAILURE() << "'" << text << "' was accepted";
        } catch (const std::out_of_range& e) {
            EXPECT_STREQ(e.what(), "invalid string position") << text;
        }
    }
}
