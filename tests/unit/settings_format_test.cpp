#include <gtest/gtest.h>

#include <string>

#include "core/settings_format.h"

namespace {

// Fields as the program has them before reading: interval 0, code 0, empty name.
struct Parsed {
    SettingsFileFields f;
    int converted;
};

Parsed Parse(const std::string& text, int interval = 0) {
    Parsed p;
    p.f.TimerInterval = interval;
    p.f.FollowingCode = 0;
    p.f.SkinFileName[0] = '\0';
    p.converted = ParseSettingsText(text.data(), text.size(), &p.f);
    return p;
}

TEST(SettingsFormat, ReadsTheThreeFields) {
    Parsed p = Parse("500 0 mint.skn");
    EXPECT_EQ(p.converted, 3);
    EXPECT_EQ(p.f.TimerInterval, 500);
    EXPECT_EQ(p.f.FollowingCode, 0);
    EXPECT_STREQ(p.f.SkinFileName, "mint.skn");

    p = Parse("1000 1 nothing");
    EXPECT_EQ(p.f.TimerInterval, 1000);
    EXPECT_EQ(p.f.FollowingCode, 1);
    EXPECT_STREQ(p.f.SkinFileName, "nothing");
}

TEST(SettingsFormat, EmptyFileChangesNothing) {
    Parsed p = Parse("", 0);
    EXPECT_EQ(p.converted, 0);
    EXPECT_EQ(p.f.TimerInterval, 0);
    EXPECT_STREQ(p.f.SkinFileName, "");
}

TEST(SettingsFormat, AnyWhiteSpaceSeparatesAndCrLfIsHarmless) {
    Parsed p = Parse("\r\n 250\t\t1\r\nblue.skn\r\n");
    EXPECT_EQ(p.converted, 3);
    EXPECT_EQ(p.f.TimerInterval, 250);
    EXPECT_EQ(p.f.FollowingCode, 1);
    EXPECT_STREQ(p.f.SkinFileName, "blue.skn");
}

TEST(SettingsFormat, NameIsCutAtTheFirstBlank) {
    Parsed p = Parse("250 1 my skin.skn");
    EXPECT_STREQ(p.f.SkinFileName, "my");
}

TEST(SettingsFormat, NegativeAndZeroIntervalsAreKept) {
    EXPECT_EQ(Parse("-40 0 a").f.TimerInterval, -40);
    EXPECT_EQ(Parse("0 0 a").f.TimerInterval, 0);
    EXPECT_EQ(Parse("+7 0 a").f.TimerInterval, 7);
}

TEST(SettingsFormat, MissingFieldsKeepTheirValues) {
    Parsed p = Parse("750", -1);
    EXPECT_EQ(p.converted, 1);
    EXPECT_EQ(p.f.TimerInterval, 750);
    EXPECT_EQ(p.f.FollowingCode, 0);
    EXPECT_STREQ(p.f.SkinFileName, "");
}

TEST(SettingsFormat, AFieldThatDoesNotConvertStopsTheRest) {
    Parsed p = Parse("abc 1 mint.skn", 33);
    EXPECT_EQ(p.converted, 0);
    EXPECT_EQ(p.f.TimerInterval, 33);
    EXPECT_EQ(p.f.FollowingCode, 0);
    EXPECT_STREQ(p.f.SkinFileName, "");

    p = Parse("100 - x.skn");
    EXPECT_EQ(p.converted, 1);
    EXPECT_STREQ(p.f.SkinFileName, "");
}

TEST(SettingsFormat, NumbersEndAtTheFirstNonDigit) {
    Parsed p = Parse("500 0mint.skn");
    EXPECT_EQ(p.converted, 3);
    EXPECT_EQ(p.f.FollowingCode, 0);
    EXPECT_STREQ(p.f.SkinFileName, "mint.skn");
}

TEST(SettingsFormat, HugeNumbersAreClamped) {
    EXPECT_EQ(Parse("99999999999999999999 0 a").f.TimerInterval, 2147483647);
    EXPECT_EQ(Parse("-99999999999999999999 0 a").f.TimerInterval, -2147483647 - 1);
    EXPECT_EQ(Parse("-2147483648 0 a").f.TimerInterval, -2147483647 - 1);
}

TEST(SettingsFormat, AnOverlongNameIsCutTo259Bytes) {
    std::string name(400, 'q');
    name[258] = 'z';
    Parsed p = Parse("500 0 " + name);
    EXPECT_EQ(std::string(p.f.SkinFileName).size(), 259u);
    EXPECT_EQ(p.f.SkinFileName[258], 'z');
}

TEST(SettingsFormat, WritesWhatItReads) {
    EXPECT_EQ(FormatSettingsText(500, 0, "mint.skn"), "500 0 mint.skn");
    EXPECT_EQ(FormatSettingsText(-2147483647 - 1, 1, "nothing"), "-2147483648 1 nothing");
    std::string text = FormatSettingsText(-12, 1, "デフォルト");
    Parsed p = Parse(text);
    EXPECT_EQ(p.f.TimerInterval, -12);
    EXPECT_EQ(p.f.FollowingCode, 1);
    EXPECT_STREQ(p.f.SkinFileName, "デフォルト");
}

TEST(SettingsFormat, FollowingCodeIsTheInverseOfTheSwitch) {
    EXPECT_EQ(FollowingCodeFor(1), 0);
    EXPECT_EQ(FollowingCodeFor(0), 1);
}

TEST(SettingsFormat, AWholeTextHasAllThreeFields) {
    EXPECT_TRUE(SettingsTextIsWhole(FormatSettingsText(500, 0, "mint.skn")));
    EXPECT_TRUE(SettingsTextIsWhole("1000 1 nothing\r\n"));
    EXPECT_FALSE(SettingsTextIsWhole(""));
    EXPECT_FALSE(SettingsTextIsWhole("500"));
    EXPECT_FALSE(SettingsTextIsWhole("500 0 "));
    EXPECT_FALSE(SettingsTextIsWhole("500 x mint.skn"));
}

}  // namespace
