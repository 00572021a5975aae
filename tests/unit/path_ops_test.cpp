#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/path_ops.h"
#include "common/text_buffers.h"

namespace {

// A text, a separator ('\0': DirectoryPart) and what is left of the text.
struct CutRow {
    const char* text;
    char sep;
    const char* left;
};
const CutRow kCuts[] = {
    // Everything up to the last backslash; a path without one whole.
    {"C:\\Program Files\\Pelto\\Pelto.exe", '\0', "C:\\Program Files\\Pelto\\"},
    {"C:\\Pelto.exe", '\0', "C:\\"},
    {"C:\\dir\\", '\0', "C:\\dir\\"},
    {"\\\\server\\share\\a.lzh", '\0', "\\\\server\\share\\"},
    {"Pelto.exe", '\0', "Pelto.exe"},
    // TailAfterLast: a file name from a path.
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

TEST(PathOps, DirectoryPartAndTailAfterLast) {
    for (const CutRow& row : kCuts) {
        SCOPED_TRACE(std::string(row.text) + (row.sep ? std::string(" after '") + row.sep + "'" : " directory part"));
        char buf[kTextSize];
        CopyText(buf, sizeof buf, row.text);
        if (row.sep) TailAfterLast(buf, row.sep);
        else DirectoryPart(buf);
        EXPECT_STREQ(buf, row.left);
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
