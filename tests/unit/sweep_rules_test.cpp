#include <gtest/gtest.h>

#include <string>

#include "commands/sweep_rules.h"

namespace {

struct SweepRow {
    bool visible, cloaked, hasOwner;
    const char* title;
    const char* className;
    bool qualifies;
};
const SweepRow kSweeps[] = {
    // An ordinary titled window.
    {true, false, false, "Untitled - Notepad", "Notepad", true},
    // Similar-looking texts are not the skipped ones: comparisons are exact.
    {true, false, false, "quorval pelto", "PeltoClass", true},
    {true, false, false, "Program Manager", "progman", true},
    // The skipped windows.
    {false, false, false, "Hidden", "C", false},
    {true, false, true, "Owned dialog", "#32770", false},
    {true, false, false, "", "Shell_TrayWnd", false},
    {true, false, false, "Program Manager", "Progman", false},
    {true, false, false, "Quorval Pelto", "PeltoClass", false},
    // A window on another virtual desktop, or a suspended store app's frame:
    // visible to the system, never seen by the user. Only the cloak tells it
    // apart from the ordinary window above; it is skipped like a hidden one.
    {true, true, false, "Untitled - Notepad", "Notepad", false},
    {true, true, false, "Settings", "ApplicationFrameWindow", false},
    {false, true, false, "Untitled - Notepad", "Notepad", false},
};

TEST(SweepRules, WhichWindowsQualify) {
    for (const SweepRow& row : kSweeps) {
        SCOPED_TRACE(std::string(row.title) + " (" + row.className + ")" + (row.visible ? "" : ", hidden") +
                     (row.cloaked ? ", cloaked" : "") + (row.hasOwner ? ", owned" : ""));
        EXPECT_EQ(SweepQualifies(row.visible, row.cloaked, row.hasOwner, row.title, row.className), row.qualifies);
    }
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
