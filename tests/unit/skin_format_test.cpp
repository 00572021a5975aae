#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/skin_format.h"

namespace {

SkinFileFields Previous() {
    SkinFileFields f;
    std::strcpy(f.BitmapFileName, "old.bmp");
    f.AnchorCorner = 9;
    f.NormalX = 11;
    f.NormalY = 12;
    f.SmallX = 13;
    f.SmallY = 14;
    std::strcpy(f.Author, "OldAuthor");
    return f;
}

SkinFileFields Parse(const std::string& text, int* converted = nullptr) {
    SkinFileFields f = Previous();
    int n = ParseSkinText(text.data(), text.size(), &f);
    if (converted) *converted = n;
    return f;
}

TEST(SkinFormat, ReadsTheSevenFields) {
    int n = 0;
    SkinFileFields f = Parse("mint.bmp 2 -265 4 -200 -18 Quorval", &n);
    EXPECT_EQ(n, 7);
    EXPECT_STREQ(f.BitmapFileName, "mint.bmp");
    EXPECT_EQ(f.AnchorCorner, 2);
    EXPECT_EQ(f.NormalX, -265);
    EXPECT_EQ(f.NormalY, 4);
    EXPECT_EQ(f.SmallX, -200);
    EXPECT_EQ(f.SmallY, -18);
    EXPECT_STREQ(f.Author, "Quorval");
}

TEST(SkinFormat, EmptyFileKeepsEverything) {
    int n = -1;
    SkinFileFields f = Parse("", &n);
    EXPECT_EQ(n, 0);
    EXPECT_STREQ(f.BitmapFileName, "old.bmp");
    EXPECT_STREQ(f.Author, "OldAuthor");
}

TEST(SkinFormat, EmptyBitmapFieldShiftsEveryFieldOneEarly) {
    // As the skin maker writes it with an empty bitmap name: a leading blank.
    int n = 0;
    SkinFileFields f = Parse(" 2 -265 4 -200 -18 Quorval", &n);
    EXPECT_EQ(n, 5);
    EXPECT_STREQ(f.BitmapFileName, "2");
    EXPECT_EQ(f.AnchorCorner, -265);
    EXPECT_EQ(f.NormalX, 4);
    EXPECT_EQ(f.NormalY, -200);
    EXPECT_EQ(f.SmallX, -18);
    EXPECT_EQ(f.SmallY, 14);  // "Quorval" does not convert
    EXPECT_STREQ(f.Author, "OldAuthor");
}

TEST(SkinFormat, EmptyAuthorKeepsThePreviousOne) {
    int n = 0;
    SkinFileFields f = Parse("a.bmp 1 0 0 0 0 ", &n);
    EXPECT_EQ(n, 6);
    EXPECT_STREQ(f.Author, "OldAuthor");
}

TEST(SkinFormat, CrLfAndTabsSeparateFields) {
    SkinFileFields f = Parse("a.bmp\r\n3\t-100\r\n-30 0 0\r\nme\r\n");
    EXPECT_STREQ(f.BitmapFileName, "a.bmp");
    EXPECT_EQ(f.AnchorCorner, 3);
    EXPECT_EQ(f.NormalX, -100);
    EXPECT_EQ(f.NormalY, -30);
    EXPECT_STREQ(f.Author, "me");
}

TEST(SkinFormat, NumbersOutsideTheCornersAreTakenAsWritten) {
    SkinFileFields f = Parse("a.bmp 1000 0 0 0 0 x");
    EXPECT_EQ(f.AnchorCorner, 1000);
}

TEST(SkinFormat, OverlongWordsAreCutAndTheNextFieldsStillRead) {
    std::string longName(300, 'b');
    std::string longAuthor(1000, 'c');
    int n = 0;
    SkinFileFields f = Parse(longName + " 4 1 2 3 5 " + longAuthor, &n);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(std::strlen(f.BitmapFileName), 259u);
    EXPECT_EQ(f.AnchorCorner, 4);
    EXPECT_EQ(f.SmallY, 5);
    EXPECT_EQ(std::strlen(f.Author), 259u);
}

TEST(SkinFormat, WritesTheSkinMakersLine) {
    SkinFileFields f = Parse("mint.bmp 2 -265 4 -200 -18 Quorval");
    EXPECT_EQ(FormatSkinText(f), "mint.bmp 2 -265 4 -200 -18 Quorval");
    SkinFileFields back = Parse(FormatSkinText(f));
    EXPECT_STREQ(back.BitmapFileName, "mint.bmp");
    EXPECT_EQ(back.SmallY, -18);
}

}  // namespace
