#include <gtest/gtest.h>

#include "commands/sweep_rules.h"

namespace {

TEST(SweepRules, OrdinaryTitledWindowQualifies) {
    EXPECT_TRUE(SweepQualifies(true, false, false, "Untitled - Notepad", "Notepad"));
    // Similar-looking texts are not the skipped ones: comparisons are exact.
    EXPECT_TRUE(SweepQualifies(true, false, false, "quorval pelto", "PeltoClass"));
    EXPECT_TRUE(SweepQualifies(true, false, false, "Program Manager", "progman"));
}

TEST(SweepRules, SkippedWindows) {
    EXPECT_FALSE(SweepQualifies(false, false, false, "Hidden", "C"));
    EXPECT_FALSE(SweepQualifies(true, false, true, "Owned dialog", "#32770"));
    EXPECT_FALSE(SweepQualifies(true, false, false, "", "Shell_TrayWnd"));
    EXPECT_FALSE(SweepQualifies(true, false, false, "Program Manager", "Progman"));
    EXPECT_FALSE(SweepQualifies(true, false, false, "Quorval Pelto", "PeltoClass"));
}

// A window on another virtual desktop, or a suspended store app's frame: visible
// to the system, never seen by the user. Only the cloak tells it apart from the
// ordinary window above.
TEST(SweepRules, CloakedWindowIsSkippedLikeAHiddenOne) {
    EXPECT_FALSE(SweepQualifies(true, true, false, "Untitled - Notepad", "Notepad"));
    EXPECT_FALSE(SweepQualifies(true, true, false, "Settings", "ApplicationFrameWindow"));
    EXPECT_FALSE(SweepQualifies(false, true, false, "Untitled - Notepad", "Notepad"));
}

TEST(SweepRules, MovesByExactlyOneHundred) {
    const SweepRect r = {10, 20, 310, 220};
    SweepRect up = MovedBy100(r, 24), down = MovedBy100(r, 25), left = MovedBy100(r, 26), right = MovedBy100(r, 27);
    EXPECT_EQ(up.top, -80);
    EXPECT_EQ(up.left, 10);
    EXPECT_EQ(up.bottom - up.top, 200);
    EXPECT_EQ(down.top, 120);
    EXPECT_EQ(left.left, -90);
    EXPECT_EQ(left.right - left.left, 300);
    EXPECT_EQ(right.left, 110);
    EXPECT_EQ(right.top, 20);
    SweepRect same = MovedBy100(r, 23);
    EXPECT_EQ(same.left, 10);
    EXPECT_EQ(same.top, 20);
}

TEST(SweepRules, FourPressesLeftGoOffTheScreen) {
    SweepRect r = {50, 0, 450, 300};
    for (int i = 0; i < 4; ++i) r = MovedBy100(r, 26);
    EXPECT_EQ(r.left, -350);
    EXPECT_EQ(r.right, 50);
}

}  // namespace
