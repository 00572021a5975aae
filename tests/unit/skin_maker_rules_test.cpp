#include "plugins/skin_maker/skin_maker_rules.h"

#include <gtest/gtest.h>

#include <string>

TEST(SkinMakerRules, AnchorCyclesClockwiseFromTopRight) {
    int state = 2;
    EXPECT_STREQ(AnchorCornerText(state), "右上");
    state = NextAnchorState(state);
    EXPECT_EQ(state, 3);
    EXPECT_STREQ(AnchorCornerText(state), "右下");
    state = NextAnchorState(state);
    EXPECT_EQ(state, 4);
    EXPECT_STREQ(AnchorCornerText(state), "左下");
    state = NextAnchorState(state);
    EXPECT_EQ(state, 1);
    EXPECT_STREQ(AnchorCornerText(state), "左上");
    state = NextAnchorState(state);
    EXPECT_EQ(state, 2);  // four presses bring it back
    EXPECT_STREQ(AnchorCornerText(0), "");
    EXPECT_STREQ(AnchorCornerText(5), "");
}

TEST(SkinMakerRules, PathsComeFromTheHostFolder) {
    char folder[260], definition[260], bitmap[260];
    ASSERT_TRUE(BuildSkinPaths("C:\\Tools\\Pelto.exe", "mint", "mint.bmp", folder, definition, bitmap, 260));
    EXPECT_STREQ(folder, "C:\\Tools\\skin\\");
    EXPECT_STREQ(definition, "C:\\Tools\\skin\\mint.skn");
    EXPECT_STREQ(bitmap, "C:\\Tools\\skin\\mint.bmp");
    // No name at all still names a file in the skin folder.
    ASSERT_TRUE(BuildSkinPaths("C:\\Tools\\Pelto.exe", "", "", folder, definition, bitmap, 260));
    EXPECT_STREQ(definition, "C:\\Tools\\skin\\.skn");
    EXPECT_STREQ(bitmap, "C:\\Tools\\skin\\");
}

TEST(SkinMakerRules, PathsThatDoNotFitAreRefused) {
    char folder[260], definition[260], bitmap[260];
    const std::string name(250, 'n');
    EXPECT_FALSE(BuildSkinPaths("C:\\Tools\\Pelto.exe", name.c_str(), "a.bmp", folder, definition, bitmap, 260));
    EXPECT_STREQ(folder, "");
    EXPECT_STREQ(definition, "");
    EXPECT_STREQ(bitmap, "");
}

TEST(SkinMakerRules, DefinitionLineHasNoLineEnd) {
    char line[1024];
    const int n = FormatSkinDefinition(line, sizeof line, "mint.bmp", 3, -265, 4, -200, -18, "Quorval");
    EXPECT_STREQ(line, "mint.bmp 3 -265 4 -200 -18 Quorval");
    EXPECT_EQ(n, 34);
    FormatSkinDefinition(line, sizeof line, "", 2, 0, 0, 0, 0, "");
    EXPECT_STREQ(line, " 2 0 0 0 0 ");
    EXPECT_EQ(FormatSkinDefinition(line, 10, "mint.bmp", 3, -265, 4, -200, -18, "Quorval"), -1);
    EXPECT_STREQ(line, "");
}
