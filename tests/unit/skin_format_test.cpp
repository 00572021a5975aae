#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/skin_format.h"

namespace {

// Read over what the fields held before.
SkinFileFields Parse(const std::string& text, int* converted = nullptr) {
    SkinFileFields f = {"old.bmp", 9, 11, 12, 13, 14, "OldAuthor"};
    int n = ParseSkinText(text.data(), text.size(), &f);
    if (converted) *converted = n;
    return f;
}

// A text and the fields after reading it: the fields that do not convert keep
// what they held.
struct ParseRow {
    const char* name;
    const char* text;
    int converted;
    const char* bitmap;
    int corner, normalX, normalY, smallX, smallY;
    const char* author;
};
const ParseRow kParses[] = {
    {"the seven fields", "mint.bmp 2 -265 4 -200 -18 Quorval", 7, "mint.bmp", 2, -265, 4, -200, -18, "Quorval"},
    {"an empty file keeps everything", "", 0, "old.bmp", 9, 11, 12, 13, 14, "OldAuthor"},
    // As the skin maker writes it with an empty bitmap name: a leading blank.
    // Every field comes one early, and "Quorval" does not convert.
    {"an empty bitmap field", " 2 -265 4 -200 -18 Quorval", 5, "2", -265, 4, -200, -18, 14, "OldAuthor"},
    {"an empty author keeps the previous one", "a.bmp 1 0 0 0 0 ", 6, "a.bmp", 1, 0, 0, 0, 0, "OldAuthor"},
    {"CR LF and tabs separate fields", "a.bmp\r\n3\t-100\r\n-30 0 0\r\nme\r\n", 7, "a.bmp", 3, -100, -30, 0, 0, "me"},
    {"numbers outside the corners are taken as written", "a.bmp 1000 0 0 0 0 x", 7, "a.bmp", 1000, 0, 0, 0, 0, "x"},
};

TEST(SkinFormat, ReadsTheFieldsUpToTheFirstThatDoesNotConvert) {
    for (const ParseRow& row : kParses) {
        SCOPED_TRACE(row.name);
        int n = -1;
        const SkinFileFields f = Parse(row.text, &n);
        EXPECT_EQ(n, row.converted);
        EXPECT_STREQ(f.BitmapFileName, row.bitmap);
        EXPECT_EQ((std::vector<int>{f.AnchorCorner, f.NormalX, f.NormalY, f.SmallX, f.SmallY}),
                  (std::vector<int>{row.corner, row.normalX, row.normalY, row.smallX, row.smallY}));
        EXPECT_STREQ(f.Author, row.author);
    }
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

// What it writes reads back as kParses' first row.
TEST(SkinFormat, WritesTheSkinMakersLine) {
    EXPECT_EQ(FormatSkinText(Parse("mint.bmp 2 -265 4 -200 -18 Quorval")), "mint.bmp 2 -265 4 -200 -18 Quorval");
}

}  // namespace
