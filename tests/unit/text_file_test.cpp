#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "common/text_file.h"

namespace {

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pelto_textfile_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/setting";
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string Contents(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Put(const std::string& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    // Which of the file, its set-aside copy and its new text are there.
    std::string Present() {
        std::string names;
        for (const char* suffix : {"", ".old", ".tmp"})
            if (access((path_ + suffix).c_str(), F_OK) == 0) names += std::string(names.empty() ? "" : " ") + "setting" + suffix;
        return names;
    }
    std::string dir_, path_;
};

TEST_F(TextFileTest, ReadsWhatWasWrittenByteForByte) {
    std::string text("500 0 a.skn\r\n\0x", 15);
    ASSERT_EQ(WriteTextFileReplacing(path_.c_str(), text), 0);
    std::string back;
    EXPECT_EQ(ReadTextFile(path_.c_str(), &back), ReadResult::Ok);
    EXPECT_EQ(back, text);
    EXPECT_EQ(Present(), "setting");
}

TEST_F(TextFileTest, MissingFileIsNotOpened) {
    std::string back = "junk";
    EXPECT_EQ(ReadTextFile((dir_ + "/none").c_str(), &back), ReadResult::NotOpened);
    EXPECT_TRUE(back.empty());
}

TEST_F(TextFileTest, ReplacesAnExistingFileAndAnOlderCopyLeftBesideIt) {
    // The older copy is what a save that ended before its clean-up, or whose
    // delete a scanner refused, leaves.
    for (bool olderCopy : {false, true}) {
        SCOPED_TRACE(olderCopy ? "with an older copy" : "alone");
        Put(path_, "1000 1 old.skn and a longer tail than the new content");
        if (olderCopy) Put(path_ + ".old", "800 0 older.skn");
        ASSERT_EQ(WriteTextFileReplacing(path_.c_str(), "500 0 new.skn"), 0);
        EXPECT_EQ(Contents(path_), "500 0 new.skn");
        EXPECT_EQ(Present(), "setting");
    }
}

// A folder in the temporary's place, or a path too long for a temporary.
TEST_F(TextFileTest, TemporaryThatCannotBeCreatedLeavesTheOldFile) {
    Put(path_, "1000 1 old.skn");
    ASSERT_EQ(mkdir((path_ + ".tmp").c_str(), 0700), 0);
    EXPECT_EQ(WriteTextFileReplacing(path_.c_str(), "500 0 new.skn"), 1);
    EXPECT_EQ(Contents(path_), "1000 1 old.skn");
    EXPECT_EQ(WriteTextFileReplacing((dir_ + "/" + std::string(255, 's')).c_str(), "x"), 1);
}

TEST_F(TextFileTest, WriteFailingMidwayLeavesTheOldFileWhole) {
    Put(path_, "1000 1 old.skn");
    std::string big(200000, 'x');
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file size limit makes the write fail part of the way through.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &lim);
        _exit(WriteTextFileReplacing(path_.c_str(), big));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(Contents(path_), "1000 1 old.skn");
    EXPECT_EQ(Present(), "setting");
}

TEST_F(TextFileTest, TheResetAfterAFileThatCannotBeClosedLeavesNothingToComeBack) {
    Put(path_, "500 0 new.skn");
    Put(path_ + ".old", "1000 1 old.skn");
    Put(path_ + ".tmp", "300 0 other.skn");
    DeleteSavedFile(path_.c_str());
    EXPECT_EQ(Present(), "");  // what start-up then makes of it is kRecoveries' "nothing at all"
}

// The settings file's rule for a whole text, as start-up gives it.
bool ThreeFields(const std::string& text) {
    int a, b;
    char name[64];
    return std::sscanf(text.c_str(), "%d %d %63s", &a, &b, name) == 3;
}

// What start-up finds beside the settings file and makes of it: the set-aside
// copy and the new text are gone afterwards, whichever was taken.
struct RecoveryRow {
    const char* name;
    const char* file;  // the file's text, or null when there is none
    const char* old;   // the copy set aside, or null when there is none
    const char* tmp;  // the new text, or null when there is none
    SaveRecovery result;
    const char* after;  // the file's text afterwards, or null when there is no file
};
const RecoveryRow kRecoveries[] = {
    {"beside the present file, the older copy and the new text are removed", "500 0 new.skn", "1000 1 old.skn",
     "300 0 unfinished.skn", SaveRecovery::Nothing, "500 0 new.skn"},
    // The user deleted the file for the defaults, after a start as above.
    {"nothing at all", nullptr, nullptr, nullptr, SaveRecovery::Nothing, nullptr},
    // Windows 95/98, cut short between the two moves of a replace.
    {"a whole new text is preferred to the older copy", nullptr, "1000 1 old.skn", "500 0 new.skn",
     SaveRecovery::FromTemporary, "500 0 new.skn"},
    {"a new text that is not whole is ignored and the older copy comes back", nullptr, "1000 1 old.skn", "500 0",
     SaveRecovery::FromSetAside, "1000 1 old.skn"},
    {"a new text that is not whole and no older copy leave no file", nullptr, nullptr, "500", SaveRecovery::Nothing,
     nullptr},
    // Left by a save that finished, then the file deleted on purpose.
    {"an older copy without a save under way is not restored", nullptr, "1000 1 old.skn", nullptr,
     SaveRecovery::Nothing, nullptr},
};

TEST_F(TextFileTest, AnInterruptedSaveIsFinishedOrUndone) {
    for (const RecoveryRow& row : kRecoveries) {
        SCOPED_TRACE(row.name);
        for (const char* suffix : {"", ".old", ".tmp"}) std::remove((path_ + suffix).c_str());
        if (row.file) Put(path_, row.file);
        if (row.old) Put(path_ + ".old", row.old);
        if (row.tmp) Put(path_ + ".tmp", row.tmp);
        EXPECT_EQ(RecoverInterruptedSave(path_.c_str(), ThreeFields), row.result);
        EXPECT_EQ(Present(), row.after ? "setting" : "");
        EXPECT_EQ(Contents(path_), row.after ? row.after : "");
    }
}

}  // namespace
