#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>

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
    // The hotkeys 24 to 27 move up, down, left and right; any other id, nowhere.
    const std::pair<int, std::array<int, 4>> moves[] = {{24, {10, -80, 310, 120}}, {25, {10, 120, 310, 320}},
                                                       {26, {-90, 20, 210, 220}},  {27, {110, 20, 410, 220}},
                                                       {23, {10, 20, 310, 220}}};
    for (const auto& move : moves) {
        const SweepRect r = MovedBy100({10, 20, 310, 220}, move.first);
        EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.right, r.bottom}), move.second) << "hotkey " << move.first;
    }
}

TEST(SweepRules, FourPressesLeftGoOffTheScreen) {
    SweepRect r = {50, 0, 450, 300};
    for (int i = 0; i < 4; ++i) r = MovedBy100(r, 26);
    EXPECT_EQ(r.left, -350);
    EXPECT_EQ(r.right, 50);
}

}  // namespace
