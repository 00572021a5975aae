#include "plugins/skin_maker/skin_maker_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

TEST(SkinMakerRules, AnchorCyclesClockwiseFromTopRight) {
    const std::pair<int, const char*> cycle[] = {{2, "右上"}, {3, "右下"}, {4, "左下"}, {1, "左上"}, {2, "右上"}};
    int state = 2;
    for (const auto& step : cycle) {  // four presses bring it back
        EXPECT_EQ(state, step.first);
        EXPECT_STREQ(AnchorCornerText(state), step.second) << state;
        state = NextAnchorState(state);
    }
    EXPECT_STREQ(AnchorCornerText(0), "");
    EXPECT_STREQ(AnchorCornerText(5), "");
}

// The skin maker's names and the paths it makes of them in Pelto's skin folder
// ("C:\Tools\skin\", 14 bytes); a path that does not fit is refused ("").
struct PathsRow {
    const char* what;
    std::string name, bitmapName;
    bool definitionFits, bitmapFits;
    std::string folder, definition, bitmap;
};
const PathsRow kPaths[] = {
    {"a skin", "mint", "mint.bmp", true, true, "C:\\Tools\\skin\\", "C:\\Tools\\skin\\mint.skn",
     "C:\\Tools\\skin\\mint.bmp"},
    {"no name at all still names a file", "", "", true, true, "C:\\Tools\\skin\\", "C:\\Tools\\skin\\.skn",
     "C:\\Tools\\skin\\"},
    {"a name too long", std::string(250, 'n'), "a.bmp", false, false, "", "", ""},
    {"a bitmap name too long leaves the definition", "mint", std::string(246, 'b'), true, false,
     "C:\\Tools\\skin\\", "C:\\Tools\\skin\\mint.skn", ""},
    {"a bitmap path of exactly 259 bytes", "mint", std::string(245, 'b'), true, true, "C:\\Tools\\skin\\",
     "C:\\Tools\\skin\\mint.skn", "C:\\Tools\\skin\\" + std::string(245, 'b')},
};

TEST(SkinMakerRules, PathsComeFromTheHostFolderAndThoseThatDoNotFitAreRefused) {
    for (const PathsRow& row : kPaths) {
        SCOPED_TRACE(row.what);
        char folder[260], definition[260], bitmap[260];
        const SkinPathsFit fit = BuildSkinPaths("C:\\Tools\\Pelto.exe", row.name.c_str(), row.bitmapName.c_str(),
                                                folder, definition, bitmap, 260);
        EXPECT_EQ((std::array<bool, 2>{fit.definition, fit.bitmap}),
                  (std::array<bool, 2>{row.definitionFits, row.bitmapFits}));
        EXPECT_EQ((std::array<std::string, 3>{folder, definition, bitmap}),
                  (std::array<std::string, 3>{row.folder, row.definition, row.bitmap}));
    }
}

TEST(SkinMakerRules, DefinitionLineHasNoLineEnd) {
    std::string line = FormatSkinText(NewSkinDefinition("mint.bmp", 3, -265, 4, -200, -18, "Quorval"));
    EXPECT_EQ(line, "mint.bmp 3 -265 4 -200 -18 Quorval");
    line = FormatSkinText(NewSkinDefinition("", 2, 0, 0, 0, 0, ""));
    EXPECT_EQ(line, " 2 0 0 0 0 ");
    // A text longer than a field keeps its first 259 bytes, as the reader would.
    const std::string longAuthor(300, 'a');
    line = FormatSkinText(NewSkinDefinition("mint.bmp", 3, -265, 4, -200, -18, longAuthor.c_str()));
    EXPECT_EQ(line, "mint.bmp 3 -265 4 -200 -18 " + std::string(259, 'a'));
}
