#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
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
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool Exists(const std::string& p) {
        struct stat st;
        return stat(p.c_str(), &st) == 0;
    }
    void Put(const std::string& p, const std::string& text) {
        std::ofstream out(p, std::ios::binary);
        out << text;
    }
    std::string dir_, path_;
};

TEST_F(TextFileTest, ReadsWhatWasWrittenByteForByte) {
    std::string text("500 0 a.skn\r\n\0x", 15);
    ASSERT_EQ(WriteTextFileReplacing(path_.c_str(), text), 0);
    std::string back;
    EXPECT_EQ(ReadTextFile(path_.c_str(), &back), ReadResult::Ok);
    EXPECT_EQ(back, text);
    EXPECT_FALSE(Exists(path_ + ".tmp"));
}

TEST_F(TextFileTest, MissingFileIsNotOpened) {
    std::string back = "junk";
    EXPECT_EQ(ReadTextFile((dir_ + "/none").c_str(), &back), ReadResult::NotOpened);
    EXPECT_TRUE(back.empty());
}

TEST_F(TextFileTest, ReplacesAnExistingFile) {
    Put(path_, "1000 1 old.skn and a longer tail than the new content");
    ASSERT_EQ(WriteTextFileReplacing(path_.c_str(), "500 0 new.skn"), 0);
    EXPECT_EQ(Contents(path_), "500 0 new.skn");
}

TEST_F(TextFileTest, TemporaryThatCannotBeCreatedLeavesTheOldFile) {
    Put(path_, "1000 1 old.skn");
    ASSERT_EQ(mkdir((path_ + ".tmp").c_str(), 0700), 0);
    EXPECT_EQ(WriteTextFileReplacing(path_.c_str(), "500 0 new.skn"), 1);
    EXPECT_EQ(Contents(path_), "1000 1 old.skn");
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
    EXPECT_FALSE(Exists(path_ + ".tmp"));
}

TEST_F(TextFileTest, PathTooLongForATemporaryIsRefused) {
    std::string longPath = dir_ + "/" + std::string(255, 's');
    EXPECT_EQ(WriteTextFileReplacing(longPath.c_str(), "x"), 1);
}

TEST_F(TextFileTest, ASetAsideFileComesBackWhenTheFileIsMissing) {
    Put(path_ + ".old", "1000 1 saved.skn");
    EXPECT_TRUE(RestoreSetAsideFile(path_.c_str()));
    EXPECT_EQ(Contents(path_), "1000 1 saved.skn");
    EXPECT_FALSE(Exists(path_ + ".old"));
}

TEST_F(TextFileTest, ASetAsideFileNeverReplacesAnExistingOne) {
    Put(path_, "500 0 new.skn");
    Put(path_ + ".old", "1000 1 old.skn");
    EXPECT_FALSE(RestoreSetAsideFile(path_.c_str()));
    EXPECT_EQ(Contents(path_), "500 0 new.skn");
    EXPECT_EQ(Contents(path_ + ".old"), "1000 1 old.skn");
}

TEST_F(TextFileTest, NothingSetAsideOrOnlyATemporaryRestoresNothing) {
    EXPECT_FALSE(RestoreSetAsideFile(path_.c_str()));
    EXPECT_FALSE(Exists(path_));
    Put(path_ + ".tmp", "500 0 half.skn");
    EXPECT_FALSE(RestoreSetAsideFile(path_.c_str()));
    EXPECT_FALSE(Exists(path_));
}

}  // namespace
