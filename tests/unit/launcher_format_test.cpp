#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/text_buffers.h"
#include "launcher/launcher_format.h"

namespace {

LauncherListRecord Parse(const std::string& text) {
    LauncherListRecord list;
    std::memset(&list, 0x5A, sizeof list);  // anything not cleared shows
    ParseLauncherText(text.data(), text.size(), &list);
    return list;
}

void SetEntry(LauncherListRecord* list, int i, const char* path, const char* title) {
    std::strcpy(list->Entries[i].Path, path);
    std::strcpy(list->Entries[i].Title, title);
}

struct Entry {
    const char* path;   // null: not looked at
    const char* title;  // null: not looked at
};

// A list of these entries, the count being theirs.
LauncherListRecord List(std::initializer_list<Entry> entries) {
    LauncherListRecord list = {};
    for (const Entry& e : entries) SetEntry(&list, list.Count++, e.path, e.title);
    return list;
}

// What text reads as: the count, then the entries from the first on.
void ExpectRead(const std::string& text, int count, const std::vector<Entry>& entries) {
    SCOPED_TRACE("reading " + ::testing::PrintToString(text.substr(0, 40)));
    const LauncherListRecord list = Parse(text);
    EXPECT_EQ(list.Count, count);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        if (entries[i].path) {
            EXPECT_STREQ(list.Entries[i].Path, entries[i].path);
        }
        if (entries[i].title) {
            EXPECT_STREQ(list.Entries[i].Title, entries[i].title);
        }
    }
}

// Blanks are written as question marks and read back; the entries in memory keep theirs.
TEST(LauncherFormat, TheTwoEntryExampleByteForByteBothWays) {
    const std::string text = "2\nC:\\Program?Files\\Editor\\edit.exe\nMy?Editor\nD:\\memo.txt\nmemo\n";
    LauncherListRecord list = List({{"C:\\Program Files\\Editor\\edit.exe", "My Editor"}, {"D:\\memo.txt", "memo"}});
    EXPECT_EQ(FormatLauncherText(list), text);
    EXPECT_STREQ(list.Entries[0].Title, "My Editor");
    ExpectRead(text, 2, {{"C:\\Program Files\\Editor\\edit.exe", "My Editor"}, {"D:\\memo.txt", "memo"}, {"", nullptr}});
}

// The count is taken as written, not from the pairs, within 0 to 100.
TEST(LauncherFormat, Counts) {
    const std::pair<const char*, int> counts[] = {
        {"", 0}, {"0\n", 0}, {"junk\nA\nB\n", 0}, {"-5\nA\na\n", 0}, {"-2147483648\n", 0}, {"101\n", 100}, {"99999999999999\n", 100},
    };
    for (const auto& c : counts) EXPECT_EQ(Parse(c.first).Count, c.second) << c.first;
    EXPECT_EQ(FormatLauncherText(LauncherListRecord{}), "0\n");
}

TEST(LauncherFormat, CrLfReadsLikeLf) {
    LauncherListRecord lf = Parse("2\nA\nTitle?A\nB\nTitle?B\n");
    LauncherListRecord crlf = Parse("2\r\nA\r\nTitle?A\r\nB\r\nTitle?B\r\n");
    EXPECT_EQ(std::memcmp(&lf, &crlf, sizeof lf), 0);
    EXPECT_STREQ(crlf.Entries[1].Title, "Title B");
}

// Missing and surplus pairs; a lone last word fills only the path; a question mark is a blank.
TEST(LauncherFormat, ReadsThePairsTheCountNames) {
    ExpectRead("3\nA\na\nB\nb\n", 3, {{nullptr, nullptr}, {nullptr, nullptr}, {"", ""}});
    ExpectRead("1\nA\na\nB\nb\n", 1, {{"A", nullptr}});
    ExpectRead("2\nA\na\nB", 2, {{nullptr, nullptr}, {"B", ""}});
    ExpectRead("1\nA\nWhat?\n", 1, {{"A", "What "}});
}

TEST(LauncherFormat, TooManyPairs) {
    std::string text = "150\n";
    for (int i = 0; i < 150; ++i) text += "P" + std::to_string(i) + "\nT" + std::to_string(i) + "\n";
    LauncherListRecord list = Parse(text);
    EXPECT_EQ(list.Count, 100);
    EXPECT_STREQ(list.Entries[99].Path, "P99");
    EXPECT_STREQ(list.Entries[99].Title, "T99");
    // The 101st row is never filled from the file.
    EXPECT_STREQ(list.Entries[100].Path, "");
    EXPECT_STREQ(list.Entries[100].Title, "");
    // And never written either.
    list.Count = 101;
    std::string out = FormatLauncherText(list);
    EXPECT_EQ(out.substr(0, 4), "100\n");
    EXPECT_EQ(out.find("P100"), std::string::npos);
}

TEST(LauncherFormat, OverLongWordsOverrunNothing) {
    const std::string longPath(101, 'p');
    const std::string hugeWord(5000, 'w');
    // A cut path would name another file: it is not taken, and the pairs after
    // it stay paired.
    ExpectRead("3\n" + longPath + "\nshort\n" + hugeWord + "\n" + hugeWord + "\nC\nc\n", 3,
               {{"", "short"}, {"", std::string(100, 'w').c_str()}, {"C", "c"}});
    ExpectRead("1\n" + std::string(100, 'p') + "\nt\n", 1, {{std::string(100, 'p').c_str(), nullptr}});  // 100 bytes still fit
}

TEST(LauncherFormat, EmptyTextsAndTabsKeepThePairs) {
    const std::string text = FormatLauncherText(List({{"", "no path"}, {"B", ""}, {"C", "tab\there"}, {"D", "d"}}));
    EXPECT_EQ(text, "4\n?\nno?path\nB\n?\nC\ntab?here\nD\nd\n");
    ExpectRead(text, 4, {{"", "no path"}, {"B", ""}, {nullptr, "tab here"}, {"D", "d"}});
}

TEST(LauncherFormat, ConvertSpaceMarksBothWaysAndNoOther) {
    char text[] = "a b?c  d";
    for (const auto& step : {std::make_pair(0, "a?b?c??d"), std::make_pair(1, "a b c  d"), std::make_pair(2, "a b c  d"),
                             std::make_pair(-1, "a b c  d")}) {
        ConvertSpaceMarks(text, step.first);
        EXPECT_STREQ(text, step.second) << "direction " << step.first;
    }
    // CP932: "ソ" is 83 5C; no second byte is a blank or a question mark.
    char japanese[] = "\x83\x5C \x83\x5C";
    ConvertSpaceMarks(japanese, 0);
    EXPECT_STREQ(japanese, "\x83\x5C?\x83\x5C");
}

TEST(LauncherFormat, FindLauncherPathSkipsAndComparesExactly) {
    LauncherListRecord list = List({{"C:\\A.EXE", "same"}, {"C:\\b.exe", "same"}, {"C:\\c.exe", "C:\\a.exe"}});
    EXPECT_EQ(FindLauncherPath(list, "C:\\A.EXE", -1), 1);
    EXPECT_EQ(FindLauncherPath(list, "c:\\a.exe", -1), 0);  // case counts; titles are not paths
    EXPECT_EQ(FindLauncherPath(list, "C:\\b.exe", 1), 0);
    EXPECT_EQ(FindLauncherPath(list, "C:\\b.exe", 0), 1);
    EXPECT_EQ(FindLauncherPath(list, "C:\\c.exe", 2), 0);
    // Only positions below the count are entries.
    SetEntry(&list, 3, "C:\\d.exe", "d");
    EXPECT_EQ(FindLauncherPath(list, "C:\\d.exe", -1), 0);
    list.Count = -1;
    EXPECT_EQ(FindLauncherPath(list, "C:\\A.EXE", -1), 0);
}

TEST(LauncherFormat, FindLauncherPathComparesTheGivenFormOfBothSides) {
    // A stand-in for the system's long form: the 8.3 names of one folder and file.
    const auto LongForm = [](const char* path, char* out, std::size_t size) {
        const char* text = std::strcmp(path, "C:\\PROGRA~1\\EDITOR\\EDIT.EXE") == 0 ? "C:\\Program Files\\Editor\\edit.exe" : path;
        std::snprintf(out, size, "%s", text);
    };
    const LauncherListRecord list = List(
        {{"C:\\Program Files\\Editor\\edit.exe", "Editor"}, {"C:\\PROGRA~1\\EDITOR\\EDIT.EXE", "Editor again"}});
    // The 8.3 name of an entry found under its long name, and the other way round.
    EXPECT_EQ(FindLauncherPath(list, "C:\\PROGRA~1\\EDITOR\\EDIT.EXE", 1, LongForm), 1);
    EXPECT_EQ(FindLauncherPath(list, "C:\\Program Files\\Editor\\edit.exe", 0, LongForm), 1);
    EXPECT_EQ(FindLauncherPath(list, "C:\\PROGRA~1\\EDITOR\\EDIT.EXE", 1), 0);  // as written, they differ
    EXPECT_EQ(FindLauncherPath(list, "C:\\other.exe", -1, LongForm), 0);
}

TEST(LauncherFormat, TitlesAreCutOnCp932BoundariesAndLoseTabs) {
    // "あ" is 82 A0: after 99 ASCII bytes it would end at byte 101, so it goes
    // whole; after 98 it ends exactly at 100.
    const std::pair<std::string, std::string> titles[] = {
        {std::string(99, 'x') + "\x82\xA0" + "tail", std::string(99, 'x')},
        {std::string(98, 'x') + "\x82\xA0" + "tail", std::string(98, 'x') + "\x82\xA0"},
        {"a\tb\r\nc", "a b  c"},
    };
    for (const auto& title : titles) {
        char field[kLauncherTextSize];
        std::memset(field, 0x5A, sizeof field);
        FillLauncherTitle(field, title.first.c_str());
        EXPECT_EQ(std::string(field), title.second) << title.first;
    }
    // Half-width katakana (A1-DF) are single bytes; E0-FC lead bytes too are read.
    EXPECT_EQ(Cp932FitLength("\xB1\xB2\xB3", 2), 2u);
    EXPECT_EQ(Cp932FitLength("\xE0\x40\xE0\x40", 3), 2u);
    EXPECT_EQ(Cp932FitLength("abc", 10), 3u);
    EXPECT_EQ(Cp932FitLength("a\x82", 2), 2u);  // a lead byte with nothing after it counts as one byte
    // A title from the file is cut the same way.
    ExpectRead("1\nA\n" + std::string(99, 'y') + "\x82\xA0\n", 1, {{"A", std::string(99, 'y').c_str()}});
}

TEST(LauncherFormat, PathsAreChecked) {
    const std::pair<std::string, LauncherPathCheck> paths[] = {
        {"C:\\Program Files\\x.exe", LauncherPathCheck::Ok},
        {"", LauncherPathCheck::Ok},
        {std::string(100, 'p'), LauncherPathCheck::Ok},
        {std::string(101, 'p'), LauncherPathCheck::TooLong},
        {"C:\\a\tb.exe", LauncherPathCheck::HasControlSpace},
    };
    for (const auto& path : paths) EXPECT_EQ(CheckLauncherPath(path.first.c_str()), path.second) << path.first;
}

TEST(LauncherFormat, AWholeFileIsWhatTheWriterWritesAndNothingCutShort) {
    const std::string whole = FormatLauncherText(List({{"C:\\a b.exe", "A"}, {"D:\\memo.txt", ""}}));
    for (const std::string& text : {whole, std::string("0\n"), std::string("1\r\nC:\\a.exe\r\nA\r\n")})
        EXPECT_TRUE(LauncherTextIsWhole(text)) << text;
    // Every cut of the writer's text is refused: a pair short, or the last line unfinished.
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(LauncherTextIsWhole(whole.substr(0, n))) << "cut after " << n << " bytes";
    for (const char* text : {"2\nC:\\a.exe\nA\nC:\\b.exe\nB\nC:\\c.exe\n", "-1\n", "101\n", "x\n"})
        EXPECT_FALSE(LauncherTextIsWhole(text)) << text;
}

}  // namespace
