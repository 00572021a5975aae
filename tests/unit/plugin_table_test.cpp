#include "plugin_host/plugin_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(PluginTable, FoldersAreNeverPlugins) {
    // A folder alone, with the archive bit, read-only; a file, a plain one, nothing set.
    for (unsigned long folder : {0x10ul, 0x10ul | 0x20, 0x10ul | 0x01}) EXPECT_TRUE(IsFolderAttribute(folder)) << folder;
    for (unsigned long file : {0x20ul, 0x80ul, 0ul}) EXPECT_FALSE(IsFolderAttribute(file)) << file;
}

// Row 100 could never be chosen.
TEST(PluginTable, RoomForOneHundredStartableRows) {
    for (int rows : {0, 99}) EXPECT_TRUE(PluginTableHasRoom(rows)) << rows;
    for (int rows : {100, 101, -1}) EXPECT_FALSE(PluginTableHasRoom(rows)) << rows;
}

// The file name made of a folder and a plug-in's name, or "(refused)".
std::string FileName(const std::string& dir, const std::string& name, std::size_t size = 101) {
    char out[101];
    std::memset(out, 'x', sizeof out);
    if (FormPluginFileName(out, size, dir.c_str(), name.c_str())) return out;
    return size == 0 || out[0] == '\0' ? "(refused)" : "(not emptied)";
}

TEST(PluginTable, FileNameIsFolderPluginsAndNameAndNeverCut) {
    EXPECT_EQ(FileName("C:\\Tools\\", "Tachel.ppi"), "C:\\Tools\\plugins\\Tachel.ppi");
    // 84 characters, "plugins\" and an 8-character name: exactly 100 fit; 101 do not.
    const std::string dir = "C:\\" + std::string(80, 'd') + "\\";
    EXPECT_EQ(FileName(dir, "nnnn.ppi"), dir + "plugins\\nnnn.ppi");
    EXPECT_EQ(FileName(dir, "nnnnn.ppi"), "(refused)");
    EXPECT_EQ(FileName("C:\\", "a.ppi", 0), "(refused)");
}

// Display names and the row they leave, 100 bytes at most.
struct DisplayNameRow {
    const char* what;
    std::string name, row;
};
const DisplayNameRow kDisplayNames[] = {
    {"a short name", "Quorval Tachel", "Quorval Tachel"},
    {"100 bytes", std::string(100, 'h'), std::string(100, 'h')},
    {"no name", "", ""},
    {"150 bytes", std::string(150, 'l'), std::string(100, 'l')},
    // Katakana TE is 83 65 in code page 932.
    {"a character that would need bytes 100 and 101 is left out, not halved", std::string(99, 'a') + "\x83\x65zz",
     std::string(99, 'a')},
    {"a character that ends at byte 100 fits", std::string(98, 'a') + "\x83\x65zz", std::string(98, 'a') + "\x83\x65"},
    {"a lone lead byte at the end is kept", "ab\x83", "ab\x83"},
};

TEST(PluginTable, DisplayNameCutOnCharacterBoundary) {
    for (const DisplayNameRow& name : kDisplayNames) {
        SCOPED_TRACE(name.what);
        char row[101];
        std::memset(row, 'x', sizeof row);
        CopyDisplayName(row, sizeof row, name.name.c_str());
        EXPECT_EQ(std::string(row), name.row);
    }
}
