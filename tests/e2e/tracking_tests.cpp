// Attachment: where the skin window goes on its target, when the pointer glides
// to a new target, and the attachment switch.
#include <windows.h>

#include <string>

#include "driver_framework.h"
#include "driver_support.h"
#include "menu_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

// A 64 x 32 skin with the given definition numbers.
void StartPeltoWithSkin(PeltoSession& p, const std::string& numbers) {
    p.Start([&](const InstallFolder& f) {
        return f.WriteSetting("500 0 corner.skn") && f.WriteSkinDefinition("corner.skn", "corner.bmp " + numbers + " T") &&
               f.WriteSkinBitmap("corner.bmp", 64, 32, [](int x, int) { return RGB(200, x * 3, 40); });
    });
}

std::string RectString(HWND w) { return RectText(WindowRect(w)); }

TEST(Tracking, Tracking_DefaultSkinOnWideAndNarrowTargets) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    p.Start();
    {
        TargetProcess wide;
        ASSERT_TRUE(StartPopupTarget(wide, "Wide Target", {100, 50, 700, 500})) << "no wide target";
        EXPECT_TRUE(WaitForWindowAt(p.skin, 435, 54)) << Format("skin at %s, expected (435, 54) on a 600 wide target", RectString(p.skin).c_str());
        RECT r = WindowRect(p.skin);
        EXPECT_EQ(r.right - r.left, 200);
        EXPECT_EQ(r.bottom - r.top, 18);
    }
    {
        TargetProcess narrow;  // exactly SkinWidth + 200 wide: the small offsets
        ASSERT_TRUE(StartPopupTarget(narrow, "Narrow Target", {100, 50, 500, 500})) << "no narrow target";
        EXPECT_TRUE(WaitForWindowAt(p.skin, 300, 32)) << Format("skin at %s, expected (300, 32) on a 400 wide target", RectString(p.skin).c_str());
    }
}

struct CornerCase {
    const char* name;
    const char* numbers;
    RECT target;
    int x, y;
};

class EachAnchorCorner : public ::testing::TestWithParam<CornerCase> {};

TEST_P(EachAnchorCorner, Tracking_EachAnchorCorner) {
    const CornerCase& c = GetParam();
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    StartPeltoWithSkin(p, c.numbers);
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Corner Target", c.target)) << "no target";
    EXPECT_TRUE(WaitForWindowAt(p.skin, c.x, c.y)) << Format("skin \"%s\" at %s, expected (%d, %d)", c.numbers, RectString(p.skin).c_str(), c.x, c.y);
    RECT r = WindowRect(p.skin);
    EXPECT_EQ(r.right - r.left, 64);
    EXPECT_EQ(r.bottom - r.top, 32);
}

INSTANTIATE_TEST_SUITE_P(Tracking, EachAnchorCorner,
                         ::testing::Values(CornerCase{"TopLeft", "1 5 6 -7 -8", {100, 200, 900, 700}, 105, 206},
                                           CornerCase{"BottomRight", "3 -100 -30 0 0", {100, 200, 900, 700}, 800, 670},
                                           // narrow: small offsets
                                           CornerCase{"BottomLeftNarrow", "4 5 6 -7 -8", {100, 200, 200, 700}, 93, 692}),
                         [](const ::testing::TestParamInfo<CornerCase>& info) { return std::string(info.param.name); });

TEST(Tracking, Tracking_CornerOutsideOneToFourMovesNothing) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    StartPeltoWithSkin(p, "7 5 6 -7 -8");
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Any Target", {300, 300, 900, 700})) << "no target";
    // Tracking runs and finds the target: the pointer glides to its centre
    // (the glide comes after the placement in the same tick) ...
    EXPECT_TRUE(WaitForPointerAt(600, 500)) << Format("the tracking never found the target: pointer at (%ld, %ld)", CursorPos().x, CursorPos().y);
    MoveWindow(target.window(), 200, 250, 600, 400, TRUE);
    // Ticks have run since the move once a newly found window takes the glide
    // (the pointer, at the first target's centre, lies outside it).
    TargetProcess later;
    ASSERT_TRUE(StartPopupTarget(later, "Later Target", {100, 100, 301, 301})) << "no later target";
    EXPECT_TRUE(WaitForPointerAt(200, 200)) << Format("no tick took the later target: pointer at (%ld, %ld)", CursorPos().x, CursorPos().y);
    ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
    // ... but a corner outside 1 to 4 places the skin nowhere.
    RECT r = WindowRect(p.skin);
    EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 64 && r.bottom == 32) << Format("skin moved to %s", RectText(r).c_str());
}

TEST(Tracking, Tracking_NewTargetPullsThePointerToItsCentre) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    p.Start();
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Glide Target", {300, 200, 701, 501})) << "no target";
    EXPECT_TRUE(WaitForPointerAt(500, 350)) << Format("pointer at (%ld, %ld), expected the centre (500, 350)", CursorPos().x, CursorPos().y);

    // The same window with a new title is not newly found: no glide.
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    SetWindowTextA(target.window(), "Glide Target renamed");
    EXPECT_TRUE(WaitForTick(p.skin)) << Format("no tick after the title change: skin at %s", RectString(p.skin).c_str());
    EXPECT_TRUE(WaitForTick(p.skin)) << Format("no second tick after the title change: skin at %s", RectString(p.skin).c_str());
    ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
    EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("a title change moved the pointer to (%ld, %ld)", CursorPos().x, CursorPos().y);
    EXPECT_TRUE(WaitForWindowAt(p.skin, 701 - 265, 204)) << Format("skin not placed after the title change: %s", RectString(p.skin).c_str());
}

TEST(Tracking, Tracking_PointerInsideTheTargetStays) {
    PeltoSession p{"tracking"};
    p.Start();
    // On the very edge: the left edge of the new target.
    ASSERT_TRUE(MoveMouse(POINT{300, 250})) << "cannot move the pointer";
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Edge Target", {300, 200, 800, 500})) << "no target";
    ASSERT_TRUE(WaitForWindowAt(p.skin, 800 - 265, 204)) << Format("skin never attached: %s", RectString(p.skin).c_str());
    // The glide would come in the tick that placed the skin; it is over once Pelto answers.
    ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
    EXPECT_TRUE(PointerAt(300, 250)) << Format("pointer moved to (%ld, %ld)", CursorPos().x, CursorPos().y);
}

// With the pointer parked, the skin attaches to the target whose right edge is
// at `right`, and the pointer stays.
void CheckAttachedWithoutGlide(PeltoSession& p, const std::string& args, const char* title, int right) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    TargetProcess target;
    ASSERT_TRUE(target.Start(args, title)) << Format("no target \"%s\"", title);
    EXPECT_TRUE(WaitForWindowAt(p.skin, right - 265, 104)) << Format("skin did not attach to \"%s\": %s", title, RectString(p.skin).c_str());
    ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
    EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("pointer glided to \"%s\": (%ld, %ld)", title, CursorPos().x, CursorPos().y);
}

TEST(Tracking, Tracking_DesktopAndOffScreenTargetsGetNoGlide) {
    PeltoSession p{"tracking"};
    p.Start();
    CheckAttachedWithoutGlide(p, "--title \"Program Manager\" --class Progman --popup --rect 200 100 600 400",
                              "Program Manager", 800);
    // Left edge negative, like a maximised frame.
    CheckAttachedWithoutGlide(p, "--title \"Off Screen\" --popup --rect -20 100 800 500", "Off Screen", 780);
}

TEST(Tracking, Tracking_UntitledForegroundWindowChangesNothing) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    p.Start();
    TargetProcess untitled;
    ASSERT_TRUE(untitled.Start("--title \"\" --popup --rect 300 300 500 300", "")) << "no untitled window";
    ASSERT_TRUE(WaitUntil(5000, [&] { return GetForegroundWindow() == untitled.window(); })) << "the untitled window is not in front";
    // A tick does nothing at all with an untitled window, so none can be seen:
    // the wait is for the skin to move or the pointer to glide, which must not
    // come; the positive control below shows that ticks run meanwhile.
    WaitUntil(1500, [&] {
        POINT c = CursorPos();
        return WindowRect(p.skin).left != 0 || c.x != kParkX || c.y != kParkY;
    });
    RECT r = WindowRect(p.skin);
    EXPECT_TRUE(r.left == 0 && r.top == 0) << Format("skin moved to %s for an untitled window", RectText(r).c_str());
    EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("the pointer glided to an untitled window: (%ld, %ld)", CursorPos().x, CursorPos().y);
    // Positive control: the same window with a title is taken at a tick.
    SetWindowTextA(untitled.window(), "Titled Now");
    EXPECT_TRUE(WaitForWindowAt(p.skin, 800 - 265, 304)) << Format("the titled window was not taken: skin at %s", RectString(p.skin).c_str());
}

TEST(Tracking, Tracking_AttachmentOffStopsMovesButTheTargetIsStillRecorded) {
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"tracking"};
    p.Start();
    TargetProcess first;
    ASSERT_TRUE(StartPopupTarget(first, "First Target", {100, 100, 700, 500})) << "no target";
    ASSERT_TRUE(WaitForWindowAt(p.skin, 435, 104)) << Format("skin never attached: %s", RectString(p.skin).c_str());

    p.ChooseFromMenu(40023);  // attachment off
    MoveWindow(first.window(), 200, 300, 600, 400, TRUE);

    // The record still follows the foreground: maximize acts on the new window.
    // A tick has taken it once the pointer, parked outside it, glided to its
    // centre; the skin, which that tick and those after the move would have
    // placed, stays.
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    TargetProcess second;
    ASSERT_TRUE(second.Start("--title \"Second Target\" --rect 150 150 500 400", "Second Target")) << "no second target";
    const RECT sr = WindowRect(second.window());
    EXPECT_TRUE(WaitUntil(5000, [&] {
                  POINT c = CursorPos();
                  return c.x == (sr.left + sr.right) / 2 && c.y == (sr.top + sr.bottom) / 2;
              })) << Format("no tick took the second target: pointer at (%ld, %ld)", CursorPos().x, CursorPos().y);
    ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
    EXPECT_TRUE(SameRect(WindowRect(p.skin), RECT{435, 104, 635, 122})) << Format("skin moved with attachment off: %s", RectString(p.skin).c_str());
    p.ChooseFromMenu(40033);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsZoomed(second.window()) != FALSE; })) << "second target not maximised";
    EXPECT_TRUE(!IsZoomed(first.window()));

    p.ChooseFromMenu(40023);  // on again
    // The menu left the skin window in the foreground, which moves nothing; the
    // user goes back to the target, and a tick places the skin there.
    ASSERT_TRUE(BringToForeground(second.window())) << "the second target did not come to the foreground";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(p.skin), RECT{435, 104, 635, 122}); })) << Format("skin did not move after attachment came back on: at %s, foreground \"%s\" (%s)", RectString(p.skin).c_str(), WindowText(GetForegroundWindow()).c_str(), ClassNameOf(GetForegroundWindow()).c_str());
}

// On the runner's two monitors side by side (the primary at 0,0-1280,1024, a
// shorter second one at 1280,0-2304,768), in one started Pelto: a target whose
// corner lies below the second monitor, on none, takes the skin but no glide;
// a target on the second monitor takes the skin and the glide, and the main
// menu opened from the skin there stays on that monitor.
TEST(Tracking, TwoMonitors_GlideAndMenuOnTheSecondMonitor) {
    const RECT second = {1280, 0, 2304, 768};
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    PeltoSession p{"twomonitors"};
    p.Start();
    {
        SCOPED_TRACE("a target whose corner lies on no monitor");
        TargetProcess low;
        ASSERT_TRUE(StartPopupTarget(low, "Below The Second Monitor", {1400, 800, 2000, 1000})) << "no target";
        EXPECT_TRUE(WaitForWindowAt(p.skin, 2000 - 265, 804)) << Format("skin at %s, expected (1735, 804)", RectString(p.skin).c_str());
        // The glide would come in the tick that placed the skin; it is over once Pelto answers.
        ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;
        EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("the pointer glided to (%ld, %ld)", CursorPos().x, CursorPos().y);
    }
    {
        SCOPED_TRACE("a target wholly on the second monitor");
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Second Monitor Target", {1400, 100, 2000, 500})) << "no target";
        EXPECT_TRUE(WaitForWindowAt(p.skin, 2000 - 265, 104)) << Format("skin at %s, expected (1735, 104)", RectString(p.skin).c_str());
        EXPECT_TRUE(WaitForPointerAt(1700, 300)) << Format("pointer at (%ld, %ld), expected the centre (1700, 300)", CursorPos().x, CursorPos().y);
        ASSERT_TRUE(WaitForPeltoIdle(p.pelto)) << "Pelto does not answer: " << p.pelto;

        // A click on the skin, as a user opens the menu.
        const RECT skin = WindowRect(p.skin);
        ASSERT_TRUE(Click(p.skin, POINT{skin.left + 100, skin.top + 9})) << Format("the skin at %s cannot be clicked", RectText(skin).c_str());
        HWND menu = WaitForMenuWindow(p.pelto.pid());
        EXPECT_TRUE(menu != nullptr) << Format("no menu after a click on the skin at %s", RectText(skin).c_str());
        if (menu) {
            const RECT m = WindowRect(menu);
            EXPECT_TRUE(m.left >= second.left && m.top >= second.top && m.right <= second.right && m.bottom <= second.bottom) << Format("the menu at %s does not lie on the second monitor %s", RectText(m).c_str(), RectText(second).c_str());
            CloseMenu(p.pelto.pid());
        }
    }
}

}  // namespace
