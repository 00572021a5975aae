#include <gtest/gtest.h>

#include <string>

#include "common/system_folder_path.h"

namespace {

std::string Native(const char* path, const char* folder = "C:\\WINDOWS\\system32") {
    char out[260] = "untouched";
    return SysnativePath(path, folder, out, sizeof out) ? out : std::string("(none) ") + out;
}

TEST(SystemFolderPath, AProgramInTheSystemFolderIsReachedThroughSysnative) {
    EXPECT_EQ(Native("C:\\Windows\\System32\\regedt32.exe"), "C:\\WINDOWS\\Sysnative\\regedt32.exe");
    EXPECT_EQ(Native("c:\\windows\\system32\\drivers\\etc\\hosts"), "C:\\WINDOWS\\Sysnative\\drivers\\etc\\hosts");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32"), "C:\\WINDOWS\\Sysnative");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32\\cmd.exe", "C:\\WINDOWS\\system32\\"), "C:\\WINDOWS\\Sysnative\\cmd.exe");
}

TEST(SystemFolderPath, AnyOtherPathIsLeftAlone) {
    EXPECT_EQ(Native("C:\\WINDOWS\\SysWOW64\\cmd.exe"), "(none) untouched");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32x\\cmd.exe"), "(none) untouched");
    EXPECT_EQ(Native("C:\\WINDOWS\\system3"), "(none) untouched");
    EXPECT_EQ(Native("D:\\WINDOWS\\system32\\cmd.exe"), "(none) untouched");
    EXPECT_EQ(Native("notepad.exe"), "(none) untouched");
    EXPECT_EQ(Native(""), "(none) untouched");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32\\cmd.exe", ""), "(none) untouched");
}

TEST(SystemFolderPath, DoubleByteCharactersOfTheFolderAreComparedExactly) {
    // 0x83 0x41 and 0x83 0x61 are two different characters whose second bytes
    // happen to be an upper and a lower-case letter.
    EXPECT_EQ(Native("C:\\\x83\x41\\system32\\a.exe", "C:\\\x83\x41\\System32"), "C:\\\x83\x41\\Sysnative\\a.exe");
    EXPECT_EQ(Native("C:\\\x83\x61\\system32\\a.exe", "C:\\\x83\x41\\System32"), "(none) untouched");
}

TEST(SystemFolderPath, AResultThatDoesNotFitIsRefused) {
    char out[24] = "untouched";
    EXPECT_TRUE(SysnativePath("C:\\W\\system32\\abc.exe", "C:\\W\\system32", out, 24));
    EXPECT_STREQ(out, "C:\\W\\Sysnative\\abc.exe");
    char small[22] = "untouched";
    EXPECT_FALSE(SysnativePath("C:\\W\\system32\\abc.exe", "C:\\W\\system32", small, sizeof small));
    EXPECT_STREQ(small, "untouched");
}

}  // namespace
