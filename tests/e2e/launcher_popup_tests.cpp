// The launcher popup: owner-drawn items with the shell's small icons at the
// pointer, choosing an entry with the keyboard or the mouse, and the flag that
// tells a chosen position from other commands.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "menu_support.h"
#include "pelto_session.h"
#include "target_support.h"

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

// Captures the popup and reads the selected item: its fill, the icon place
// (left, top + 2, 16 x 16) and where its text begins.
ItemPicture ReadSelectedItem(HWND menu) {
    ItemPicture p;
    const COLORREF fill = GetSysColor(COLOR_HIGHLIGHT);
    RECT area = WindowRect(menu);
    Image shot = CaptureScreen(area);
    if (!shot.ok()) return p;
    p.highlight = FindHighlight(shot, {area.left, area.top}, fill);
    if (!p.highlight.found) return p;
    const RECT& b = p.highlight.box;
    auto at = [&](int sx, int sy) { return shot.At(sx - area.left, sy - area.top); };
    // Pixels of the screen box [x0, x1) x [y0, y1) that are (or are not) the colour.
    auto count = [&](int x0, int y0, int x1, int y1, COLORREF colour, bool same) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (SameColour(at(x, y), colour) == same) ++n;
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
        p.nextItem = at(b.left + 17, b.bottom + 10);
    }
    return p;
}

// Gives the input, then reads the selected item once the selection has moved
// off the row at previousTop (-1: once any row is selected) and the menu's
// thread has drawn what it was given.
template <class Input>
ItemPicture SelectAndRead(HWND menu, Input input, LONG previousTop = -1) {
    [&] { ASSERT_TRUE(input()) << "the input could not be given"; }();
    WaitUntil(3000, [&] {
        ItemPicture p = ReadSelectedItem(menu);
        return p.highlight.found && p.highlight.box.top != previousTop;
    });
    WaitForWindowIdle(menu);
    return ReadSelectedItem(menu);
}

// Three marker programs registered as Alpha, Bravo and Charlie, and Pelto
// started with them.
struct ThreeEntries {
    const PeltoProcess& pelto;
    std::vector<std::string> paths;
    explicit ThreeEntries(PeltoSession& s) : pelto(s.pelto) {
        const char* names[] = {"alpha.exe", "bravo.exe", "charlie.exe"};
        const char* titles[] = {"Alpha", "Bravo", "Charlie"};
        std::vector<LauncherItem> items;
        for (int i = 0; i < 3; ++i) {
            paths.push_back(s.folder.File(std::string("launch dir\\") + names[i]));
            [&] { ASSERT_TRUE(PlaceMarker(paths.back())) << "cannot place a marker"; }();
            items.push_back({paths.back(), titles[i]});
        }
        [&] { ASSERT_TRUE(WriteLauncherFile(s.folder, items)) << "cannot write launch_data"; }();
        s.Start();
    }
    // Waits for the marker of `started` and checks no other one ran.
    void CheckOnlyStarted(int started) const {
        EXPECT_TRUE(WaitUntil(8000, [&] { return MarkerRan(paths[started]); })) << Format("entry %d was not started", started);
        EXPECT_TRUE(WaitForMarkersDone(pelto, paths)) << "a started entry still runs";
        for (int i = 0; i < 3; ++i)
            if (i != started) { EXPECT_TRUE(!MarkerRan(paths[i])) << Format("entry %d was started too", i); }
    }
};

void CheckItemDrawing(const ItemPicture& p, const char* which) {
    ASSERT_TRUE(p.highlight.found) << Format("%s: no item in the highlight colour", which);
    const RECT& b = p.highlight.box;
    EXPECT_TRUE(b.bottom - b.top == 20) << Format("%s: selected item %s is %ld pixels high, expected 20", which, RectText(b).c_str(), b.bottom - b.top);
    EXPECT_TRUE(p.gapPixels == 0) << Format("%s: %d pixels drawn between the icon and the text", which, p.gapPixels);
    EXPECT_TRUE(p.firstTextX >= 18 && p.firstTextX <= 20) << Format("%s: text begins %d pixels into the item, expected 18", which, p.firstTextX);
    EXPECT_TRUE(p.textBelowCell == 0) << Format("%s: %d text pixels in the 4 rows under the text cell", which, p.textBelowCell);
    EXPECT_TRUE(p.highlightText > 0) << Format("%s: no text pixel in the highlight-text colour", which);
    if (p.hasNextItem) {
        EXPECT_TRUE(SameColour(p.nextItem, GetSysColor(COLOR_MENU))) << Format("%s: the unselected item below is %s, not the menu colour %s", which, ColourText(p.nextItem).c_str(), ColourText(GetSysColor(COLOR_MENU)).c_str());
    }
}

TEST(LauncherPopup, LauncherPopup_ThreeEntriesDrawnAtThePointerAndChosenByKeys) {
    PeltoSession s("popupkeys");
    ThreeEntries entries(s);
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
    HWND menu = OpenMenuWithHotkey(s.pelto.pid(), 'Z');
    ASSERT_TRUE(menu != nullptr) << "Ctrl+Shift+Z opened no popup: " << s.pelto;
    RECT r = WindowRect(menu);
    EXPECT_TRUE(r.left == 400 && r.top == 300) << Format("popup at %s, expected its corner at the pointer (400, 300)", RectText(r).c_str());
    EXPECT_TRUE(r.bottom - r.top >= 60 && r.bottom - r.top <= 70) << Format("popup %s is not three 20-pixel items high", RectText(r).c_str());

    ItemPicture first = SelectAndRead(menu, [] { return PressKeys({VK_DOWN}); });
    CheckItemDrawing(first, "first item");
    EXPECT_TRUE(first.iconPixels > 0) << "no icon drawn in the first item";
    EXPECT_TRUE(first.highlight.box.top - r.top <= 5) << Format("the first item starts %ld pixels below the popup's top", first.highlight.box.top - r.top);

    ItemPicture second = SelectAndRead(menu, [] { return PressKeys({VK_DOWN}); }, first.highlight.box.top);
    CheckItemDrawing(second, "second item");
    EXPECT_TRUE(second.highlight.box.top == first.highlight.box.top + 20) << Format("the second item starts at %ld, expected %ld", second.highlight.box.top, first.highlight.box.top + 20);

    ASSERT_TRUE(PressKeys({VK_RETURN})) << "cannot press Enter";
    EXPECT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << "popup still open";
    entries.CheckOnlyStarted(1);
    EXPECT_TRUE(s.pelto.MessageBoxes().empty());
}

TEST(LauncherPopup, LauncherPopup_ChosenWithTheMouse) {
    PeltoSession s("popupmouse");
    ThreeEntries entries(s);
    ASSERT_TRUE(MoveMouse(POINT{420, 320})) << "cannot move the pointer";
    s.ChooseFromMenu(40061);
    // Chosen from the main menu: the pointer is where the item was clicked.
    const POINT at = CursorPos();
    HWND menu = WaitForMenuWindow(s.pelto.pid());
    ASSERT_TRUE(menu != nullptr) << "command 40061 opened no popup";
    RECT r = WindowRect(menu);
    EXPECT_TRUE(r.left == at.x && r.top == at.y) << Format("popup at %s, expected (%ld, %ld)", RectText(r).c_str(), at.x, at.y);
    // Over the second item (items are 20 pixels high under a thin border).
    ItemPicture hovered = SelectAndRead(menu, [&] { return MoveMouse(POINT{r.left + 30, r.top + 30}); });
    ASSERT_TRUE(hovered.highlight.found) << "the item under the pointer is not highlighted";
    EXPECT_TRUE(hovered.highlight.box.top <= r.top + 30 && hovered.highlight.box.bottom > r.top + 30) << Format("highlight %s is not under the pointer", RectText(hovered.highlight.box).c_str());
    ASSERT_TRUE(MouseButton(1, true) && MouseButton(1, false)) << "cannot click";
    entries.CheckOnlyStarted(1);
}

TEST(LauncherPopup, LauncherPopup_AMissingFileHasNoIconAndFailsToStart) {
    PeltoSession s("popupgone");
    const std::string here = s.folder.File("present\\here.exe");
    s.Start([&](const InstallFolder& f) {
        return PlaceMarker(here) && WriteLauncherFile(f, {{f.File("absent\\gone.exe"), "Gone"}, {here, "Here"}});
    });
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
    HWND menu = OpenMenuWithHotkey(s.pelto.pid(), 'Z');
    ASSERT_TRUE(menu != nullptr) << "no popup";
    ItemPicture gone = SelectAndRead(menu, [] { return PressKeys({VK_DOWN}); });
    CheckItemDrawing(gone, "missing file");
    EXPECT_TRUE(gone.iconPixels == 0) << Format("an icon (%d pixels) was drawn for a file that is gone", gone.iconPixels);
    ItemPicture present = SelectAndRead(menu, [] { return PressKeys({VK_DOWN}); }, gone.highlight.box.top);
    EXPECT_TRUE(present.iconPixels > 0) << "no icon for the file that is there";

    ASSERT_TRUE(PressKeys({VK_UP}) && PressKeys({VK_RETURN})) << "cannot press Up and Enter";
    AnswerBox(s.pelto, {kLaunchFailedText, "Pelto", s.skin});
    EXPECT_TRUE(!MarkerRan(here));
}

TEST(LauncherPopup, LauncherPopup_ClosedWithoutAChoiceThenAMenuCommandRuns) {
    PeltoSession s("popupflags");
    ThreeEntries entries(s);
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";

    // While the closed popup's flag stands, position 1 is read as its entry.
    s.ChooseFromMenu(40061);
    ASSERT_TRUE(WaitForMenuWindow(s.pelto.pid()) != nullptr) << "no popup";
    CloseMenu(s.pelto.pid());
    // The message itself is under test: a command id 1 arriving while the
    // closed popup's flag stands (no user input gives it without a popup).
    s.PostCommand(1);
    entries.CheckOnlyStarted(1);
    DeleteFileA((entries.paths[1] + ".ran").c_str());

    // Closed again, then a main-menu command: it runs, and clears the flag, so
    // a later position 1 starts nothing.
    s.ChooseFromMenu(40061);
    ASSERT_TRUE(WaitForMenuWindow(s.pelto.pid()) != nullptr) << "no popup the second time";
    CloseMenu(s.pelto.pid());
    HWND dialog = s.OpenDialog(40062, kLauncherSettingsCaption);
    ClickDialogButton(dialog, 1018);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); }));
    s.PostCommand(1);  // the same message, now after the flag was cleared
    EXPECT_TRUE(WaitForMarkersDone(s.pelto, entries.paths)) << "a started entry still runs";
    for (int i = 0; i < 3; ++i) { EXPECT_TRUE(!MarkerRan(entries.paths[i])) << Format("entry %d started after the flag was cleared", i); }
    EXPECT_TRUE(s.pelto.MessageBoxes().empty());
}

}  // namespace
