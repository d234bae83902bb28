#include <gtest/gtest.h>

#include <string>

#include "shell/ValueText.h"

namespace {

std::string floatText(float value) {
    char text[16];
    value_text::floatToText(value, text);
    return text;
}

TEST(ValueTextTest, FloatsShowAsManyTruncatedDecimalsAsFitInEightCharacters) {
    EXPECT_EQ(floatText(50.0f), "50.00000");
    EXPECT_EQ(floatText(0.5f), "0.500000");
    EXPECT_EQ(floatText(-20.0f), "-20.0000");
    EXPECT_EQ(floatText(3000.0f), "3000.000");
    EXPECT_EQ(floatText(0.25f), "0.250000");
    EXPECT_EQ(floatText(1.0f), "1.000000");
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(2.9999997f), "2.999999");  // truncated, never rounded up
}

TEST(ValueTextTest, IntegerPartsThatDoNotFitAreTooLarge) {
    EXPECT_EQ(floatText(1000000.0f), "1000000.");
    EXPECT_EQ(floatText(-100000.0f), "-100000.");
    EXPECT_EQ(floatText(9999999.0f), "9999999.");
    EXPECT_EQ(floatText(10000000.0f), " Huge!  ");
    EXPECT_EQ(floatText(100000000.0f), " Huge!  ");
    EXPECT_EQ(floatText(-1000000.0f), " Huge!  ");
    EXPECT_EQ(floatText(-10000000.0f), " Huge!  ");
    EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), " Huge!  ");
    EXPECT_EQ(floatText(std::numeric_limits<float>::quiet_NaN()), " Huge!  ");
}

TEST(ValueTextTest, TextsNeverExceedEightCharacters) {
    for (float value = -2000000.0f; value < 20000000.0f; value = value * -1.7f + 0.37f) {
        EXPECT_LE(floatText(value).size(), 8u) << value;
        if (value == 0.0f) break;
    }
}

TEST(ValueTextTest, UnitConversions) {
    char text[16];
    value_text::dbToText(1.0f, text);
    EXPECT_STREQ(text, "0.000000");
    value_text::dbToText(0.0f, text);
    EXPECT_STREQ(text, "  -oo   ");
    value_text::dbToText(-1.0f, text);
    EXPECT_STREQ(text, "  -oo   ");
    value_text::msToText(44100.0f, 44100.0f, text);
    EXPECT_STREQ(text, "1000.000");
    value_text::hzToText(0.0f, 44100.0f, text);
    EXPECT_STREQ(text, "0.000000");
    value_text::hzToText(441.0f, 44100.0f, text);
    EXPECT_STREQ(text, "100.0000");
}

TEST(ValueTextTest, LongsAreRightAlignedInSevenCharacters) {
    char text[16];
    value_text::longToText(42, text);
    EXPECT_STREQ(text, "     42");
    value_text::longToText(100000000, text);
    EXPECT_STREQ(text, " Huge!  ");
    value_text::longToText(-12345678, text);
    EXPECT_STREQ(text, "-1234567");
}

}  // namespace
