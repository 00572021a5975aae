#include <gtest/gtest.h>

#include <string>

#include "common/system_folder_path.h"

namespace {

std::string Native(const char* path, const char* folder = "C:\\WINDOWS\\system32", std::size_t size = 260) {
    char out[260] = "untouched";
    return SysnativePath(path, folder, out, size) ? out : std::string("(none) ") + out;
}

TEST(SystemFolderPath, AProgramInTheSystemFolderIsReachedThroughSysnative) {
    EXPECT_EQ(Native("C:\\Windows\\System32\\regedt32.exe"), "C:\\WINDOWS\\Sysnative\\regedt32.exe");
    EXPECT_EQ(Native("c:\\windows\\system32\\drivers\\etc\\hosts"), "C:\\WINDOWS\\Sysnative\\drivers\\etc\\hosts");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32"), "C:\\WINDOWS\\Sysnative");
    EXPECT_EQ(Native("C:\\WINDOWS\\system32\\cmd.exe", "C:\\WINDOWS\\system32\\"), "C:\\WINDOWS\\Sysnative\\cmd.exe");
}

TEST(SystemFolderPath, AnyOtherPathIsLeftAlone) {
    for (const char* path : {"C:\\WINDOWS\\SysWOW64\\cmd.exe", "C:\\WINDOWS\\system32x\\cmd.exe", "C:\\WINDOWS\\system3",
                             "D:\\WINDOWS\\system32\\cmd.exe", "notepad.exe", ""})
        EXPECT_EQ(Native(path), "(none) untouched") << path;
    EXPECT_EQ(Native("C:\\WINDOWS\\system32\\cmd.exe", ""), "(none) untouched");
}

TEST(SystemFolderPath, DoubleByteCharactersOfTheFolderAreComparedExactly) {
    // 0x83 0x41 and 0x83 0x61 are two different characters whose second bytes
    // happen to be an upper and a lower-case letter.
    EXPECT_EQ(Native("C:\\\x83\x41\\system32\\a.exe", "C:\\\x83\x41\\System32"), "C:\\\x83\x41\\Sysnative\\a.exe");
    EXPECT_EQ(Native("C:\\\x83\x61\\system32\\a.exe", "C:\\\x83\x41\\System32"), "(none) untouched");
}

TEST(SystemFolderPath, AResultThatDoesNotFitIsRefused) {
    EXPECT_EQ(Native("C:\\W\\system32\\abc.exe", "C:\\W\\system32", 24), "C:\\W\\Sysnative\\abc.exe");
    EXPECT_EQ(Native("C:\\W\\system32\\abc.exe", "C:\\W\\system32", 22), "(none) untouched");
}

}  // namespace
