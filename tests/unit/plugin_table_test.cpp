#include "plugin_host/plugin_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(PluginTable, FoldersAreNeverPlugins) {
    EXPECT_TRUE(IsFolderAttribute(0x10));
    EXPECT_TRUE(IsFolderAttribute(0x10 | 0x20));  // folder with the archive bit
    EXPECT_TRUE(IsFolderAttribute(0x10 | 0x01));  // read-only folder
    EXPECT_FALSE(IsFolderAttribute(0x20));
    EXPECT_FALSE(IsFolderAttribute(0x80));
    EXPECT_FALSE(IsFolderAttribute(0));
}

TEST(PluginTable, RoomForOneHundredStartableRows) {
    EXPECT_TRUE(PluginTableHasRoom(0));
    EXPECT_TRUE(PluginTableHasRoom(99));
    EXPECT_FALSE(PluginTableHasRoom(100));  // row 100 could never be chosen
    EXPECT_FALSE(PluginTableHasRoom(101));
    EXPECT_FALSE(PluginTableHasRoom(-1));
}

TEST(PluginTable, FileNameIsFolderPluginsAndName) {
    char out[101];
    ASSERT_TRUE(FormPluginFileName(out, sizeof out, "C:\\Tools\\", "Tachel.ppi"));
    EXPECT_STREQ(out, "C:\\Tools\\plugins\\Tachel.ppi");
}

TEST(PluginTable, FileNameOfExactlyOneHundredCharactersFits) {
    const std::string dir = "C:\\" + std::string(80, 'd') + "\\";  // 84 characters
    const std::string name = std::string(4, 'n') + ".ppi";           // 8, with "plugins\" 16 more
    ASSERT_EQ(dir.size() + 8 + name.size(), 100u);
    char out[101];
    ASSERT_TRUE(FormPluginFileName(out, sizeof out, dir.c_str(), name.c_str()));
    EXPECT_EQ(std::strlen(out), 100u);
    EXPECT_EQ(std::string(out), dir + "plugins\\" + name);
}

TEST(PluginTable, FileNameThatDoesNotFitIsRefusedNotCut) {
    const std::string dir = "C:\\" + std::string(80, 'd') + "\\";
    const std::string name = std::string(5, 'n') + ".ppi";  // 101 characters in all
    char out[101];
    std::memset(out, 'x', sizeof out);
    EXPECT_FALSE(FormPluginFileName(out, sizeof out, dir.c_str(), name.c_str()));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(FormPluginFileName(out, 0, "C:\\", "a.ppi"));
}

TEST(PluginTable, DisplayNameCopiedWholeWhenItFits) {
    char row[101];
    CopyDisplayName(row, sizeof row, "Quorval Tachel");
    EXPECT_STREQ(row, "Quorval Tachel");
    const std::string hundred(100, 'h');
    CopyDisplayName(row, sizeof row, hundred.c_str());
    EXPECT_EQ(std::string(row), hundred);
    CopyDisplayName(row, sizeof row, "");
    EXPECT_STREQ(row, "");
}

TEST(PluginTable, LongDisplayNameCutOnCharacterBoundary) {
    char row[101];
    std::memset(row, 'x', sizeof row);
    const std::string longer(150, 'l');
    CopyDisplayName(row, sizeof row, longer.c_str());
    EXPECT_EQ(std::string(row), std::string(100, 'l'));

    // 99 single bytes, then a double-byte character that would need bytes 100
    // and 101: the cut keeps 99 bytes rather than half the character.
    std::string mixed(99, 'a');
    mixed += "\x83\x65";  // katakana TE in code page 932
    mixed += "zz";
    CopyDisplayName(row, sizeof row, mixed.c_str());
    EXPECT_EQ(std::string(row), std::string(99, 'a'));

    // 98 single bytes and the same character fit exactly.
    std::string fits(98, 'a');
    fits += "\x83\x65";
    fits += "zz";
    CopyDisplayName(row, sizeof row, fits.c_str());
    EXPECT_EQ(std::string(row), std::string(98, 'a') + "\x83\x65");
}

TEST(PluginTable, LoneLeadByteAtTheEndIsKept) {
    char row[101];
    CopyDisplayName(row, sizeof row, "ab\x83");
    EXPECT_STREQ(row, "ab\x83");
}
