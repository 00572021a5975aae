#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "common/path_ops.h"
#include "common/text_buffers.h"

namespace {

// The text after DirectoryPart, or after TailAfterLast(sep) when sep is given.
std::string Cut(const char* in, char sep = '\0') {
    char buf[kTextSize];
    CopyText(buf, sizeof buf, in);
    if (sep) TailAfterLast(buf, sep);
    else DirectoryPart(buf);
    return buf;
}

TEST(DirectoryPart, KeepsEverythingUpToTheLastBackslashAndAPathWithoutOneWhole) {
    const std::pair<const char*, const char*> dirs[] = {
        {"C:\\Program Files\\Pelto\\Pelto.exe", "C:\\Program Files\\Pelto\\"}, {"C:\\Pelto.exe", "C:\\"},
        {"C:\\dir\\", "C:\\dir\\"}, {"\\\\server\\share\\a.lzh", "\\\\server\\share\\"}, {"Pelto.exe", "Pelto.exe"}};
    for (const auto& dir : dirs) EXPECT_EQ(Cut(dir.first), dir.second) << dir.first;
}

struct TailRow {
    const char* text;
    char sep;
    const char* tail;
};
const TailRow kTails[] = {
    // A file name from a path.
    {"C:\\Pelto\\skin\\mint.skn", '\\', "mint.skn"},
    {"C:\\dir\\file.lzh", '.', "lzh"},
    // The drop dispatch's examples. No dot in the file name: the text from its
    // second character on.
    {"C:\\dir\\readme", '.', ":\\dir\\readme"},
    // A dot in a folder name.
    {"C:\\a.b\\file", '.', "b\\file"},
    // A text without a backslash is unchanged.
    {"archive.zip", '.', "archive.zip"},
    {"", '.', ""},
    // The first character is never examined.
    {".\\x", '.', "\\x"},
    {"\\", '\\', ""},
    {"a\\", '\\', ""},
    {"C:\\dir\\name.", '.', ""},
};

TEST(TailAfterLast, KeepsWhatFollowsTheLastSeparator) {
    for (const TailRow& row : kTails) {
        SCOPED_TRACE(std::string(row.text) + " after '" + row.sep + "'");
        EXPECT_EQ(Cut(row.text, row.sep), row.tail);
    }
}

TEST(TextBuffers, CopyCutsAndReportsAnOverlongText) {
    char small[4];
    EXPECT_TRUE(CopyText(small, sizeof small, "abc"));
    EXPECT_STREQ(small, "abc");
    EXPECT_FALSE(CopyText(small, sizeof small, "abcd"));
    EXPECT_STREQ(small, "abc");
}

TEST(TextBuffers, JoinRefusesWhatDoesNotFit) {
    char buf[kTextSize];
    EXPECT_TRUE(JoinText(buf, sizeof buf, "C:\\P\\", "skin\\", "a.skn"));
    EXPECT_STREQ(buf, "C:\\P\\skin\\a.skn");
    std::string name(250, 'n');
    EXPECT_FALSE(JoinText(buf, sizeof buf, "C:\\Pelto\\", "skin\\", name.c_str()));
    EXPECT_STREQ(buf, "");
    // Exactly 259 bytes fit, 260 do not.
    std::string a(255, 'a');
    EXPECT_TRUE(JoinText(buf, sizeof buf, a.c_str(), "bcde"));
    EXPECT_EQ(std::strlen(buf), 259u);
    EXPECT_FALSE(JoinText(buf, sizeof buf, a.c_str(), "bcdef"));
}

}  // namespace
