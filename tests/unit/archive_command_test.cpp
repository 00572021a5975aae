#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/archive_command.h"

namespace {

std::string Line(ArchiveKind kind, const std::string& path, std::size_t size = 260) {
    char out[600];
    std::memset(out, 'x', sizeof out);
    if (!BuildArchiveCommandLine(kind, path.c_str(), out, size)) return out[0] == '\0' ? "(refused)" : "(not emptied)";
    return out;
}

TEST(ArchiveCommandLine, TheExamplesExactly) {
    EXPECT_EQ(Line(ArchiveKind::Lzh, "C:\\dl\\mint.lzh"), "e \"C:\\dl\\mint.lzh\" \"C:\\dl\\\" *.*");
    EXPECT_EQ(Line(ArchiveKind::Zip, "C:\\dl\\mint.zip"), "\"C:\\dl\\mint.zip\" \"C:\\dl\\\"");
}

TEST(ArchiveCommandLine, BlanksAndJapaneseNamesPassWholeInQuotes) {
    EXPECT_EQ(Line(ArchiveKind::Zip, "C:\\my files\\a b.zip"), "\"C:\\my files\\a b.zip\" \"C:\\my files\\\"");
    // CP932 bytes, one of them 0x5C (backslash) as a trail byte, pass unchanged.
    std::string sjis = "C:\\\x83\x5C\x83\x74\x83\x67\\a.lzh";
    EXPECT_EQ(Line(ArchiveKind::Lzh, sjis), "e \"" + sjis + "\" \"C:\\\x83\x5C\x83\x74\x83\x67\\\" *.*");
}

TEST(ArchiveCommandLine, PathWithoutBackslashKeepsItself) {
    EXPECT_EQ(Line(ArchiveKind::Zip, "a.zip"), "\"a.zip\" \"a.zip\"");
}

// The LZH line is the path and folder plus 11 bytes; ZIP plus 5.
TEST(ArchiveCommandLine, RefusedExactlyWhenTheLineWouldNotFit) {
    std::string folder = "C:\\" + std::string(117, 'd') + "\\";  // 121 bytes
    ASSERT_EQ(folder.size(), 121u);
    std::string fits = folder + "ab.lzh", over = folder + "abc.lzh";  // 127 and 128 bytes
    std::string line = Line(ArchiveKind::Lzh, fits);
    EXPECT_EQ(line.size(), 259u);
    EXPECT_EQ(line, "e \"" + fits + "\" \"" + folder + "\" *.*");
    EXPECT_EQ(Line(ArchiveKind::Lzh, over), "(refused)");

    std::string zipFolder = "C:\\" + std::string(120, 'z') + "\\";  // 124 bytes
    std::string zipFits = zipFolder + "ab.zip", zipOver = zipFolder + "abc.zip";  // 130 and 131
    EXPECT_EQ(Line(ArchiveKind::Zip, zipFits).size(), 259u);
    EXPECT_EQ(Line(ArchiveKind::Zip, zipOver), "(refused)");
}

TEST(ArchiveCommandLine, TooLongPathsAndTinyBuffersAreRefused) {
    EXPECT_EQ(Line(ArchiveKind::Zip, std::string(300, 'p')), "(refused)");  // longer than any path
    EXPECT_EQ(Line(ArchiveKind::Zip, "C:\\a.zip", 10), "(refused)");
    char none[1] = {'x'};
    EXPECT_FALSE(BuildArchiveCommandLine(ArchiveKind::Zip, "C:\\a.zip", none, 0));
    EXPECT_EQ(none[0], 'x');
}

const char kQuestionTail[] = "\n解凍は正常に終了しました。\nこの元の圧縮ファイルをごみ箱に移動しますか？";

TEST(RecycleQuestion, PathThenTheQuestion) {
    char out[260];
    ASSERT_TRUE(BuildRecycleQuestion("C:\\dl\\mint.lzh", out, sizeof out));
    EXPECT_EQ(std::string(out), std::string("C:\\dl\\mint.lzh") + kQuestionTail);
}

TEST(RecycleQuestion, RefusedExactlyWhenItWouldNotFit) {
    const std::size_t tail = std::strlen(kQuestionTail);
    std::string fits(259 - tail, 'q'), over(260 - tail, 'q');
    char out[260];
    ASSERT_TRUE(BuildRecycleQuestion(fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::strlen(out), 259u);
    std::memset(out, 'x', sizeof out);
    EXPECT_FALSE(BuildRecycleQuestion(over.c_str(), out, sizeof out));
    EXPECT_EQ(out[0], '\0');
}

}  // namespace
