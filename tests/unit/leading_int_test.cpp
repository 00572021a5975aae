#include <gtest/gtest.h>

#include <climits>

#include "common/text_scan.h"

namespace {

TEST(LeadingInt, DigitsSignsAndTrailingText) {
    EXPECT_EQ(LeadingInt("500"), 500);
    EXPECT_EQ(LeadingInt("2s"), 2);
    EXPECT_EQ(LeadingInt("  \t750ms"), 750);
    EXPECT_EQ(LeadingInt("-40"), -40);
    EXPECT_EQ(LeadingInt("+15"), 15);
    EXPECT_EQ(LeadingInt("0012"), 12);
    EXPECT_EQ(LeadingInt("12 34"), 12);
}

TEST(LeadingInt, NoDigitsGivesZero) {
    EXPECT_EQ(LeadingInt(""), 0);
    EXPECT_EQ(LeadingInt("abc"), 0);
    EXPECT_EQ(LeadingInt("-"), 0);
    EXPECT_EQ(LeadingInt("+x9"), 0);
    EXPECT_EQ(LeadingInt("s2"), 0);
    EXPECT_EQ(LeadingInt("\x82\x50"), 0);  // a full-width digit is no digit
}

TEST(LeadingInt, OutOfRangeIsClamped) {
    EXPECT_EQ(LeadingInt("2147483647"), INT_MAX);
    EXPECT_EQ(LeadingInt("2147483648"), INT_MAX);
    EXPECT_EQ(LeadingInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingInt("-2147483648"), INT_MIN);
    EXPECT_EQ(LeadingInt("-99999999999999999999999"), INT_MIN);
}

// The skin maker's offset fields.
TEST(LeadingInt, OffsetFields) {
    EXPECT_EQ(LeadingInt("-265"), -265);
    EXPECT_EQ(LeadingInt("4"), 4);
    EXPECT_EQ(LeadingInt("+18"), 18);
    EXPECT_EQ(LeadingInt("  -18"), -18);
    EXPECT_EQ(LeadingInt("12px"), 12);
    EXPECT_EQ(LeadingInt(""), 0);
    EXPECT_EQ(LeadingInt("abc"), 0);
    EXPECT_EQ(LeadingInt("-"), 0);
    EXPECT_EQ(LeadingInt("- 5"), 0);
    EXPECT_EQ(LeadingInt("2147483647"), INT_MAX);
    EXPECT_EQ(LeadingInt("-2147483648"), INT_MIN);
    EXPECT_EQ(LeadingInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingInt("-99999999999999999999"), INT_MIN);
}

}  // namespace
