#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "commands/archive_command.h"

namespace {

std::string Line(ArchiveKind kind, const std::string& path, std::size_t size = 260) {
    char out[600];
    std::memset(out, 'x', sizeof out);
    if (!BuildArchiveCommandLine(kind, path.c_str(), out, size)) return out[0] == '\0' ? "(refused)" : "(not emptied)";
    return out;
}

// CP932 bytes, one of them 0x5C (backslash) as a trail byte, pass unchanged.
const std::string kSjisFolder = "C:\\\x83\x5C\x83\x74\x83\x67\\";
const std::tuple<ArchiveKind, std::string, std::string> kLines[] = {
    {ArchiveKind::Lzh, "C:\\dl\\mint.lzh", "e \"C:\\dl\\mint.lzh\" \"C:\\dl\\\" *.*"},
    {ArchiveKind::Zip, "C:\\dl\\mint.zip", "\"C:\\dl\\mint.zip\" \"C:\\dl\\\""},
    {ArchiveKind::Zip, "C:\\my files\\a b.zip", "\"C:\\my files\\a b.zip\" \"C:\\my files\\\""},
    {ArchiveKind::Lzh, kSjisFolder + "a.lzh", "e \"" + kSjisFolder + "a.lzh\" \"" + kSjisFolder + "\" *.*"},
    {ArchiveKind::Zip, "a.zip", "\"a.zip\" \"a.zip\""},  // a path without a backslash keeps itself
};

TEST(ArchiveCommandLine, TheArchiveAndItsFolderPassWholeInQuotes) {
    for (const auto& [kind, path, line] : kLines) EXPECT_EQ(Line(kind, path), line) << path;
}

// The LZH line is the path and folder plus 11 bytes: a folder of 121 bytes
// leaves room for a path of 127, not 128. ZIP's is plus 5: 124, then 130.
TEST(ArchiveCommandLine, RefusedExactlyWhenTheLineWouldNotFit) {
    const std::tuple<ArchiveKind, int, const char*, const char*, const char*> kinds[] = {
        {ArchiveKind::Lzh, 121, ".lzh", "e ", " *.*"}, {ArchiveKind::Zip, 124, ".zip", "", ""}};
    for (const auto& [kind, folderBytes, extension, before, after] : kinds) {
        const std::string folder = "C:\\" + std::string(folderBytes - 4, 'd') + "\\", fits = folder + "ab" + extension;
        const std::string line = Line(kind, fits);
        EXPECT_EQ(line.size(), 259u) << extension;
        EXPECT_EQ(line, before + ("\"" + fits + "\" \"" + folder + "\"") + after);
        EXPECT_EQ(Line(kind, folder + "abc" + extension), "(refused)") << extension;
    }
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
