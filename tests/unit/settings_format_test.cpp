#include <gtest/gtest.h>

#include <string>

#include "core/settings_format.h"

namespace {

// Read over the fields as the program has them before reading: the interval
// given, code 0, an empty name.
SettingsFileFields Parse(const std::string& text, int interval = 0, int* converted = nullptr) {
    SettingsFileFields f = {};
    f.TimerInterval = interval;
    const int n = ParseSettingsText(text.data(), text.size(), &f);
    if (converted) *converted = n;
    return f;
}

// A text, the interval the program held before reading it, and what it holds
// after: the fields that did not convert keep their values.
struct ParseRow {
    const char* name;
    const char* text;
    int before;
    int converted, interval, code;
    const char* skin;
};
const ParseRow kParses[] = {
    {"the three fields", "500 0 mint.skn", 0, 3, 500, 0, "mint.skn"},
    {"the other following code", "1000 1 nothing", 0, 3, 1000, 1, "nothing"},
    {"an empty file changes nothing", "", 0, 0, 0, 0, ""},
    {"any white space separates and CR LF is harmless", "\r\n 250\t\t1\r\nblue.skn\r\n", 0, 3, 250, 1, "blue.skn"},
    {"the name is cut at the first blank", "250 1 my skin.skn", 0, 3, 250, 1, "my"},
    {"missing fields keep their values", "750", -1, 1, 750, 0, ""},
    {"a field that does not convert stops the rest", "abc 1 mint.skn", 33, 0, 33, 0, ""},
    {"a code that does not convert keeps the name too", "100 - x.skn", 0, 1, 100, 0, ""},
    {"numbers end at the first non-digit", "500 0mint.skn", 0, 3, 500, 0, "mint.skn"},
    {"a negative interval is kept", "-40 0 a", 0, 3, -40, 0, "a"},
    {"a zero interval is kept", "0 0 a", 5, 3, 0, 0, "a"},
    {"a plus sign", "+7 0 a", 0, 3, 7, 0, "a"},
    {"a huge interval is clamped", "99999999999999999999 0 a", 0, 3, 2147483647, 0, "a"},
    {"a huge negative interval is clamped", "-99999999999999999999 0 a", 0, 3, -2147483647 - 1, 0, "a"},
    {"the lowest interval", "-2147483648 0 a", 0, 3, -2147483647 - 1, 0, "a"},
    {"as the writer writes a Japanese name", "-12 1 デフォルト", 0, 3, -12, 1, "デフォルト"},
};

TEST(SettingsFormat, ReadsTheFieldsUpToTheFirstThatDoesNotConvert) {
    for (const ParseRow& row : kParses) {
        SCOPED_TRACE(row.name);
        int converted = -1;
        const SettingsFileFields f = Parse(row.text, row.before, &converted);
        EXPECT_EQ(converted, row.converted);
        EXPECT_EQ(f.TimerInterval, row.interval);
        EXPECT_EQ(f.FollowingCode, row.code);
        EXPECT_STREQ(f.SkinFileName, row.skin);
    }
}

TEST(SettingsFormat, AnOverlongNameIsCutTo259Bytes) {
    std::string name(400, 'q');
    name[258] = 'z';
    const SettingsFileFields f = Parse("500 0 " + name);
    EXPECT_EQ(std::string(f.SkinFileName).size(), 259u);
    EXPECT_EQ(f.SkinFileName[258], 'z');
}

TEST(SettingsFormat, WritesWhatItReads) {
    EXPECT_EQ(FormatSettingsText(500, 0, "mint.skn"), "500 0 mint.skn");
    EXPECT_EQ(FormatSettingsText(-2147483647 - 1, 1, "nothing"), "-2147483648 1 nothing");
    EXPECT_EQ(FormatSettingsText(-12, 1, "デフォルト"), "-12 1 デフォルト");
}

TEST(SettingsFormat, FollowingCodeIsTheInverseOfTheSwitch) {
    EXPECT_EQ(FollowingCodeFor(1), 0);
    EXPECT_EQ(FollowingCodeFor(0), 1);
}

TEST(SettingsFormat, AWholeTextHasAllThreeFields) {
    for (const std::string& text : {FormatSettingsText(500, 0, "mint.skn"), std::string("1000 1 nothing\r\n")})
        EXPECT_TRUE(SettingsTextIsWhole(text)) << text;
    for (const char* text : {"", "500", "500 0 ", "500 x mint.skn"}) EXPECT_FALSE(SettingsTextIsWhole(text)) << text;
}

}  // namespace
