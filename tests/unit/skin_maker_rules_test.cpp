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
    SkinPathsFit fit = BuildSkinPaths("C:\\Tools\\Pelto.exe", "mint", "mint.bmp", folder, definition, bitmap, 260);
    EXPECT_TRUE(fit.definition);
    EXPECT_TRUE(fit.bitmap);
    EXPECT_STREQ(folder, "C:\\Tools\\skin\\");
    EXPECT_STREQ(definition, "C:\\Tools\\skin\\mint.skn");
    EXPECT_STREQ(bitmap, "C:\\Tools\\skin\\mint.bmp");
    // No name at all still names a file in the skin folder.
    fit = BuildSkinPaths("C:\\Tools\\Pelto.exe", "", "", folder, definition, bitmap, 260);
    EXPECT_TRUE(fit.definition);
    EXPECT_TRUE(fit.bitmap);
    EXPECT_STREQ(definition, "C:\\Tools\\skin\\.skn");
    EXPECT_STREQ(bitmap, "C:\\Tools\\skin\\");
}

TEST(SkinMakerRules, PathsThatDoNotFitAreRefused) {
    char folder[260], definition[260], bitmap[260];
    const std::string name(250, 'n');
    SkinPathsFit fit = BuildSkinPaths("C:\\Tools\\Pelto.exe", name.c_str(), "a.bmp", folder, definition, bitmap, 260);
    EXPECT_FALSE(fit.definition);
    EXPECT_FALSE(fit.bitmap);
    EXPECT_STREQ(folder, "");
    EXPECT_STREQ(definition, "");
    EXPECT_STREQ(bitmap, "");
}

TEST(SkinMakerRules, ABitmapPathThatDoesNotFitStillLeavesTheDefinition) {
    char folder[260], definition[260], bitmap[260];
    // "C:\Tools\skin\" is 14 bytes: a 246-byte bitmap name needs 261.
    const std::string longBitmap(246, 'b');
    SkinPathsFit fit =
        BuildSkinPaths("C:\\Tools\\Pelto.exe", "mint", longBitmap.c_str(), folder, definition, bitmap, 260);
    EXPECT_TRUE(fit.definition);
    EXPECT_FALSE(fit.bitmap);
    EXPECT_STREQ(folder, "C:\\Tools\\skin\\");
    EXPECT_STREQ(definition, "C:\\Tools\\skin\\mint.skn");
    EXPECT_STREQ(bitmap, "");
    // One byte shorter fits exactly (259 bytes and the terminator).
    fit = BuildSkinPaths("C:\\Tools\\Pelto.exe", "mint", longBitmap.substr(1).c_str(), folder, definition, bitmap, 260);
    EXPECT_TRUE(fit.bitmap);
    EXPECT_EQ(std::string(bitmap).size(), 259u);
}

TEST(SkinMakerRules, DefinitionLineHasNoLineEnd) {
    std::string line = FormatSkinText(NewSkinDefinition("mint.bmp", 3, -265, 4, -200, -18, "Quorval"));
    EXPECT_EQ(line, "mint.bmp 3 -265 4 -200 -18 Quorval");
    EXPECT_EQ(line.size(), 34u);
    line = FormatSkinText(NewSkinDefinition("", 2, 0, 0, 0, 0, ""));
    EXPECT_EQ(line, " 2 0 0 0 0 ");
    // A text longer than a field keeps its first 259 bytes, as the reader would.
    const std::string longAuthor(300, 'a');
    line = FormatSkinText(NewSkinDefinition("mint.bmp", 3, -265, 4, -200, -18, longAuthor.c_str()));
    EXPECT_EQ(line, "mint.bmp 3 -265 4 -200 -18 " + std::string(259, 'a'));
}
