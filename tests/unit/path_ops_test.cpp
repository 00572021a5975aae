#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/path_ops.h"
#include "common/text_buffers.h"

namespace {

std::string Dir(const char* in) {
    char buf[kTextSize];
    CopyText(buf, sizeof buf, in);
    DirectoryPart(buf);
    return buf;
}

std::string Tail(const char* in, char sep) {
    char buf[kTextSize];
    CopyText(buf, sizeof buf, in);
    TailAfterLast(buf, sep);
    return buf;
}

TEST(DirectoryPart, KeepsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(Dir("C:\\Program Files\\Pelto\\Pelto.exe"), "C:\\Program Files\\Pelto\\");
    EXPECT_EQ(Dir("C:\\Pelto.exe"), "C:\\");
    EXPECT_EQ(Dir("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(Dir("\\\\server\\share\\a.lzh"), "\\\\server\\share\\");
}

TEST(DirectoryPart, LeavesAPathWithoutBackslashAlone) { EXPECT_EQ(Dir("Pelto.exe"), "Pelto.exe"); }

TEST(TailAfterLast, FileNameFromPath) {
    EXPECT_EQ(Tail("C:\\Pelto\\skin\\mint.skn", '\\'), "mint.skn");
    EXPECT_EQ(Tail("C:\\dir\\file.lzh", '.'), "lzh");
}

TEST(TailAfterLast, ExamplesOfTheDropDispatch) {
    // No dot in the file name: the text from its second character on.
    EXPECT_EQ(Tail("C:\\dir\\readme", '.'), ":\\dir\\readme");
    // A dot in a folder name.
    EXPECT_EQ(Tail("C:\\a.b\\file", '.'), "b\\file");
}

TEST(TailAfterLast, TextWithoutBackslashIsUnchanged) {
    EXPECT_EQ(Tail("archive.zip", '.'), "archive.zip");
    EXPECT_EQ(Tail("", '.'), "");
}

TEST(TailAfterLast, FirstCharacterIsNeverExamined) {
    EXPECT_EQ(Tail(".\\x", '.'), "\\x");
    EXPECT_EQ(Tail("\\", '\\'), "");
    EXPECT_EQ(Tail("a\\", '\\'), "");
    EXPECT_EQ(Tail("C:\\dir\\name.", '.'), "");
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
