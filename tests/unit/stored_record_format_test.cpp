#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "commands/stored_record_format.h"

namespace {

RecordedWindow Window(unsigned long long handle, unsigned long pid, const char* className, const char* title) {
    RecordedWindow w;
    w.Handle = handle;
    w.ProcessId = pid;
    std::strcpy(w.ClassName, className);
    std::strcpy(w.Title, title);
    return w;
}

StoredRecord Record(std::initializer_list<RecordedWindow> windows) {
    StoredRecord record = {};
    for (const RecordedWindow& w : windows) record.Windows[record.Count++] = w;
    return record;
}

int Parse(const std::string& text, StoredRecord* record) { return ParseStoredRecord(text.data(), text.size(), record); }

// The windows a record holds, each as handle, process id, class and title.
std::vector<std::tuple<unsigned long long, unsigned long, std::string, std::string>> Windows(const StoredRecord& r) {
    std::vector<std::tuple<unsigned long long, unsigned long, std::string, std::string>> windows;
    for (int i = 0; i < r.Count; ++i)
        windows.emplace_back(r.Windows[i].Handle, r.Windows[i].ProcessId, r.Windows[i].ClassName, r.Windows[i].Title);
    return windows;
}

TEST(StoredRecordFormat, OneLineAWindow) {
    EXPECT_EQ(FormatStoredRecord(Record({Window(655802, 1234, "Notepad", "memo.txt - Notepad"),
                                         Window(18446744073709551615ull, 4294967295ul, "#32770", "")})),
              "655802\t1234\tNotepad\tmemo.txt - Notepad\n"
              "18446744073709551615\t4294967295\t#32770\t\n");
}

TEST(StoredRecordFormat, TabsLineEndsAndPercentAreEscapedAndComeBack) {
    // A code page 932 text whose second bytes include 0x5C and 0x7C stays as it is.
    const StoredRecord record =
        Record({Window(1, 2, "Odd\tClass", "a\tb\r\nc 100% \x01"), Window(3, 4, "表示Class", "ポート表示")});
    const std::string text = FormatStoredRecord(record);
    EXPECT_EQ(text.substr(0, text.find('\n')), "1\t2\tOdd%09Class\ta%09b%0D%0Ac 100%25 %01");
    EXPECT_NE(text.find("\t表示Class\tポート表示\n"), std::string::npos);

    StoredRecord back = {};
    EXPECT_EQ(Parse(text, &back), 0);
    EXPECT_EQ(Windows(back), Windows(record));
}

TEST(StoredRecordFormat, AWindowWithoutClassIsNotWritten) {
    StoredRecord record = Record({Window(5, 6, "", "gone"), Window(7, 8, "Kept", "here")});
    EXPECT_EQ(FormatStoredRecord(record), "7\t8\tKept\there\n");
    record.Count = 0;
    EXPECT_EQ(FormatStoredRecord(record), "");
}

TEST(StoredRecordFormat, CrLfAndBlankLinesAndNoLastLineEnd) {
    StoredRecord record = {};
    EXPECT_EQ(Parse("\r\n10\t20\tA\tFirst\r\n\n30\t40\tB\tSecond", &record), 0);
    EXPECT_EQ(Windows(record), Windows(Record({Window(10, 20, "A", "First"), Window(30, 40, "B", "Second")})));
    EXPECT_EQ(Parse("", &record), 0);
    EXPECT_EQ(record.Count, 0);
}

TEST(StoredRecordFormat, BadLinesAreLeftOutAndTheRestRead) {
    const char* const bad[] = {
        "12\t34\tClass",                      // a field missing
        "12\t34\tClass\tTitle\textra",        // a field too many
        "0\t34\tClass\tTitle",                // no window has handle 0
        "\t34\tClass\tTitle",                 // no handle
        "12\t\tClass\tTitle",                 // no process id
        "-12\t34\tClass\tTitle",              // a sign
        " 12\t34\tClass\tTitle",              // a blank before the number
        "0x1F\t34\tClass\tTitle",             // not decimal
        "18446744073709551616\t34\tC\tT",     // a handle past 64 bits
        "12\t4294967296\tClass\tTitle",       // a process id past 32 bits
        "12\t34\t\tTitle",                    // an empty class
        "12\t34\tCl%4\tTitle",                // an escape cut short
        "12\t34\tClass\tTi%G1tle",            // not a hex digit
        "12\t34\tClass\tnul%00here",          // a zero byte cannot be in a text
        "   ",                                // blanks only
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        StoredRecord record = {};
        EXPECT_EQ(Parse(std::string("1\t2\tGood\tBefore\n") + line + "\n3\t4\tGood\tAfter\n", &record), 1);
        EXPECT_EQ(Windows(record), Windows(Record({Window(1, 2, "Good", "Before"), Window(3, 4, "Good", "After")})));
    }
}

TEST(StoredRecordFormat, TextsUpTo259Bytes) {
    StoredRecord record = {};
    const std::string longest(259, 't');
    EXPECT_EQ(Parse("1\t2\t" + std::string(259, 'c') + "\t" + longest + "\n", &record), 0);
    ASSERT_EQ(record.Count, 1);
    EXPECT_EQ(std::string(record.Windows[0].Title), longest);
    // 259 bytes once unescaped: a tab written as %09 counts once.
    EXPECT_EQ(Parse("1\t2\tC\t%09" + std::string(258, 't') + "\n", &record), 0);
    EXPECT_EQ(record.Count, 1);
    EXPECT_EQ(Parse("1\t2\tC\t" + std::string(260, 't') + "\n", &record), 1);
    EXPECT_EQ(Parse("1\t2\t" + std::string(260, 'c') + "\tT\n", &record), 1);
    EXPECT_EQ(record.Count, 0);
}

TEST(StoredRecordFormat, AtMostTheTableFull) {
    std::string text;
    for (int i = 1; i <= kMaxStoredWindows + 3; ++i) text += std::to_string(i) + "\t7\tC\tT\n";
    StoredRecord record = {};
    EXPECT_EQ(Parse(text, &record), 3);
    ASSERT_EQ(record.Count, kMaxStoredWindows);
    EXPECT_EQ(record.Windows[kMaxStoredWindows - 1].Handle, static_cast<unsigned long long>(kMaxStoredWindows));
}

}  // namespace
