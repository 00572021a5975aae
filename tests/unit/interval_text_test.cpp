#include <gtest/gtest.h>

#include <climits>

#include "settings_dialog/interval_text.h"

namespace {

TEST(IntervalFromText, DigitsSignsAndTrailingText) {
    EXPECT_EQ(IntervalFromText("500"), 500);
    EXPECT_EQ(IntervalFromText("2s"), 2);
    EXPECT_EQ(IntervalFromText("  \t750ms"), 750);
    EXPECT_EQ(IntervalFromText("-40"), -40);
    EXPECT_EQ(IntervalFromText("+15"), 15);
    EXPECT_EQ(IntervalFromText("0012"), 12);
    EXPECT_EQ(IntervalFromText("12 34"), 12);
}

TEST(IntervalFromText, NoDigitsGivesZero) {
    EXPECT_EQ(IntervalFromText(""), 0);
    EXPECT_EQ(IntervalFromText("abc"), 0);
    EXPECT_EQ(IntervalFromText("-"), 0);
    EXPECT_EQ(IntervalFromText("+x9"), 0);
    EXPECT_EQ(IntervalFromText("s2"), 0);
    EXPECT_EQ(IntervalFromText("\x82\x50"), 0);  // a full-width digit is no digit
}

TEST(IntervalFromText, OutOfRangeIsClamped) {
    EXPECT_EQ(IntervalFromText("2147483647"), INT_MAX);
    EXPECT_EQ(IntervalFromText("2147483648"), INT_MAX);
    EXPECT_EQ(IntervalFromText("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(IntervalFromText("-2147483648"), INT_MIN);
    EXPECT_EQ(IntervalFromText("-99999999999999999999999"), INT_MIN);
}

}  // namespace
