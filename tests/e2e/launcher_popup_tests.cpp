// The launcher popup: owner-drawn items with the shell's small icons at the
// pointer, choosing an entry with the keyboard or the mouse, and the flag that
// tells a chosen position from other commands.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "launcher_support.h"
#include "menu_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

struct ItemPicture {
    Highlight highlight;
    int iconPixels = 0;     // pixels other than the fill where the 16 x 16 icon goes
    int gapPixels = 0;      // pixels other than the fill in the two columns after it
    int firstTextX = -1;    // first column right of the gap with a pixel other than the fill, from the item's left
    int textBelowCell = 0;  // such pixels in the 4 rows under the text cell
    int highlightText = 0;  // pixels in the highlight-text colour right of the gap
    COLORREF nextItem = 0;  // the gap column in the middle of the item below
    bool hasNextItem = false;
};

// The selected item as captured: its fill, the icon place (left, top + 2, 16 x 16), its text.
ItemPicture ReadSelectedItem(HWND menu) {
    ItemPicture p;
    const COLORREF fill = GetSysColor(COLOR_HIGHLIGHT);
    RECT area = WindowRect(menu);
    Image shot = CaptureScreen(area);
    if (!shot.ok()) return p;
    p.highlight = FindHighlight(shot, {area.left, area.top}, fill);
    if (!p.highlight.found) return p;
    const RECT& b = p.highlight.box;
    // Pixels of the screen box [x0, x1) x [y0, y1) that are (or are not) the colour.
    auto count = [&](int x0, int y0, int x1, int y1, COLORREF colour, bool same) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += SameColour(shot.At(x - area.left, y - area.top), colour) == same;
        return n;
    };
    p.iconPixels = count(b.left, b.top + 2, b.left + 16, std::min<LONG>(b.top + 18, b.bottom), fill, false);
    p.gapPixels = count(b.left + 16, b.top, b.left + 18, b.bottom, fill, false);
    for (int x = b.left + 18; x < b.right && p.firstTextX < 0; ++x)
        if (count(x, b.top, x + 1, b.bottom, fill, false) > 0) p.firstTextX = x - b.left;
    p.textBelowCell = count(b.left + 16, b.bottom - 4, b.right, b.bottom, fill, false);
    p.highlightText = count(b.left + 18, b.top, b.right, b.bottom, GetSysColor(COLOR_HIGHLIGHTTEXT), true);
    if (b.bottom + 10 < area.bottom) {
        p.hasNextItem = true;
        p.nextItem = shot.At(b.left + 17 - area.left, b.bottom + 10 - area.top);
    }
    return p;
}

// Gives the input, then reads the selected item once the selection has left the row
// at previousTop (-1: any row) and the item is drawn whole (under load a capture once
// fell between the fill and the text).
ItemPicture SelectAndRead(HWND menu, const std::function<bool()>& input, LONG previousTop = -1) {
    [&] { ASSERT_TRUE(input()) << "the input could not be given"; }();
    ItemPicture p;
    WaitUntil(3000, [&] {
        WaitForWindowIdle(menu);
        p = ReadSelectedItem(menu);
        return p.highlight.found && p.highlight.box.top != previousTop && p.firstTextX >= 0 && p.highlightText > 0;
    });
    return p;
}

bool PressDown() { return PressKeys({VK_DOWN}); }

void CheckItemDrawing(const ItemPicture& p, const char* which) {
    SCOPED_TRACE(which);
    ASSERT_TRUE(p.highlight.found) << "no item in the highlight colour";
    const RECT& b = p.highlight.box;
    EXPECT_EQ(b.bottom - b.top, 20) << "height of the selected item " << RectText(b);
    EXPECT_EQ(p.gapPixels, 0) << "pixels drawn between the icon and the text";
    EXPECT_TRUE(p.firstTextX >= 18 && p.firstTextX <= 20) << "text begins " << p.firstTextX << " pixels into the item, expected 18";
    EXPECT_EQ(p.textBelowCell, 0) << "text pixels in the 4 rows under the text cell";
    EXPECT_GT(p.highlightText, 0) << "text pixels in the highlight-text colour";
    if (p.hasNextItem) {
        EXPECT_TRUE(SameColour(p.nextItem, GetSysColor(COLOR_MENU))) << "the unselected item below is " << ColourText(p.nextItem) << ", not the menu colour " << ColourText(GetSysColor(COLOR_MENU));
    }
}

// One Pelto; each case leaves no popup open and forgets the markers that ran.
TEST(LauncherPopup, LauncherPopup_DrawnAtThePointerChosenByKeysOrMouseAndTheFlagOfAClosedPopup) {
    SetTestTimeLimit(180);
    // Marker programs registered as Alpha, Bravo and Charlie, then an entry whose file is gone.
    PeltoSession s("popup");
    std::vector<std::string> paths;
    std::vector<LauncherItem> items;
    for (const char* name : {"Alpha", "Bravo", "Charlie"}) {
        paths.push_back(s.folder.File(std::string("launch dir\\") + name + ".exe"));
        ASSERT_TRUE(PlaceMarker(paths.back())) << "cannot place a marker";
        items.push_back({paths.back(), name});
    }
    items.push_back({s.folder.File("absent\\gone.exe"), "Gone"});
    s.Start([&](const InstallFolder& f) { return WriteLauncherFile(f, items); });
    // The marker of `started` (-1: none) ran and no other; the runs are forgotten.
    auto checkOnlyStarted = [&](int started) {
        if (started >= 0) { EXPECT_TRUE(WaitUntil(8000, [&] { return MarkerRan(paths[started]); })) << "entry " << started << " was not started"; }
        EXPECT_TRUE(WaitForMarkersDone(s.pelto, paths)) << "a started entry still runs";
        for (int i = 0; i < 3; ++i)
            if (i != started) { EXPECT_FALSE(MarkerRan(paths[i])) << "entry " << i << " was started too"; }
        for (const std::string& p : paths) DeleteFileA((p + ".ran").c_str());
    };
    {
        SCOPED_TRACE("drawn at the pointer; a missing file has no icon and fails to start");
        HWND menu = OpenLauncherPopup(s);
        ASSERT_NE(menu, nullptr) << s.pelto;
        const RECT r = WindowRect(menu);
        EXPECT_TRUE(r.left == 400 && r.top == 300) << "popup at " << RectText(r) << ", expected its corner at the pointer (400, 300)";
        EXPECT_TRUE(r.bottom - r.top >= 80 && r.bottom - r.top <= 90) << "popup " << RectText(r) << " is not four 20-pixel items high";
        ItemPicture item;
        for (int row = 0; row < 4; ++row) {
            SCOPED_TRACE(items[row].title);
            const LONG previousTop = row == 0 ? -1 : item.highlight.box.top;
            item = SelectAndRead(menu, PressDown, previousTop);
            CheckItemDrawing(item, "its drawing");
            if (row == 0) { EXPECT_LE(item.highlight.box.top - r.top, 5) << "the first item's distance from the popup's top"; }
            if (row == 1) { EXPECT_EQ(item.highlight.box.top, previousTop + 20) << "the second item's top"; }
            EXPECT_EQ(item.iconPixels > 0, row < 3) << item.iconPixels << " icon pixels (the fourth file is gone)";
        }
        ASSERT_TRUE(PressKeys({VK_RETURN})) << "cannot press Enter";
        AnswerBox(s.pelto, {kLaunchFailedText, "Pelto", s.skin});
        checkOnlyStarted(-1);
    }
    {
        SCOPED_TRACE("chosen by keys");
        ASSERT_NE(OpenLauncherPopup(s), nullptr) << s.pelto;
        ASSERT_TRUE(PressDown() && PressDown() && PressKeys({VK_RETURN})) << "cannot press Down, Down and Enter";
        EXPECT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << "popup still open";
        checkOnlyStarted(1);
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
    }
    {
        SCOPED_TRACE("chosen with the mouse");
        ASSERT_TRUE(MoveMouse(POINT{420, 320})) << "cannot move the pointer";
        s.ChooseFromMenu(IDM_LAUNCHER_LIST);
        const POINT at = CursorPos();  // where the main menu's item was clicked
        HWND menu = WaitForMenuWindow(s.pelto.pid());
        ASSERT_TRUE(menu != nullptr) << "the main menu's launcher list opened no popup";
        const RECT r = WindowRect(menu);
        EXPECT_TRUE(r.left == at.x && r.top == at.y) << "popup at " << RectText(r) << ", expected (" << at.x << ", " << at.y << ")";
        // Over the second item (items are 20 pixels high under a thin border).
        const ItemPicture hovered = SelectAndRead(menu, [&] { return MoveMouse(POINT{r.left + 30, r.top + 30}); });
        ASSERT_TRUE(hovered.highlight.found) << "the item under the pointer is not highlighted";
        EXPECT_TRUE(hovered.highlight.box.top <= r.top + 30 && hovered.highlight.box.bottom > r.top + 30) << "highlight " << RectText(hovered.highlight.box) << " is not under the pointer";
        ASSERT_TRUE(MouseButton(1, true) && MouseButton(1, false)) << "cannot click";
        checkOnlyStarted(1);
    }
    {
        SCOPED_TRACE("closed without a choice, then a menu command runs");
        // While the closed popup's flag stands, position 1 (posted: no input gives it
        // without a popup) is read as its entry; a main-menu command clears the flag.
        for (bool commandBetween : {false, true}) {
            SCOPED_TRACE(commandBetween ? "a main-menu command between" : "position 1 at once");
            s.ChooseFromMenu(IDM_LAUNCHER_LIST);
            ASSERT_NE(WaitForMenuWindow(s.pelto.pid()), nullptr) << "no popup";
            CloseMenu(s.pelto.pid());
            if (commandBetween) {
                HWND dialog = s.OpenDialog(IDM_LAUNCHER_SETTINGS, kLauncherSettingsCaption);
                EXPECT_TRUE(ClickDialogButton(dialog, IDC_LAUNCHER_CANCEL) && WindowGoes(dialog)) << "cancel did not close the settings dialog";
            }
            s.PostCommand(1);
            checkOnlyStarted(commandBetween ? -1 : 1);
        }
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
    }
}

}  // namespace
