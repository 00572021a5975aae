#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "common/text_scan.h"

namespace {

// A text and the number it starts with.
const std::pair<const char*, int> kLeadingInts[] = {
    // Digits, signs and trailing text.
    {"500", 500}, {"2s", 2}, {"  \t750ms", 750}, {"-40", -40}, {"+15", 15}, {"0012", 12}, {"12 34", 12},
    // No digits gives zero; a full-width digit is no digit.
    {"", 0}, {"abc", 0}, {"-", 0}, {"+x9", 0}, {"s2", 0}, {"\x82\x50", 0},
    // Out of range is clamped.
    {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999999", INT_MAX},
    {"-2147483648", INT_MIN}, {"-99999999999999999999999", INT_MIN},
    // The skin maker's offset fields.
    {"-265", -265}, {"4", 4}, {"+18", 18}, {"  -18", -18}, {"12px", 12}, {"- 5", 0},
    {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
};

TEST(LeadingInt, ReadsTheNumberTheTextStartsWith) {
    for (const auto& row : kLeadingInts) {
        SCOPED_TRACE("\"" + std::string(row.first) + "\"");
        EXPECT_EQ(LeadingInt(row.first), row.second);
    }
}

}  // namespace
