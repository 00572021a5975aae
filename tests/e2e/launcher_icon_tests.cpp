// The launcher popup's icons: each row shows the shell's small icon of its own
// entry, compared pixel by pixel with the icon as the driver itself gets it from
// the shell and draws it; after start-up (kept, not asked for again at every
// open), after command 40060 adds an entry, after the dialog's apply deletes and
// reorders entries, and over many opens.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

constexpr int kIconSize = 16;
constexpr int kItemHeight = 20;
constexpr int kList = 1013, kAdd = 1014, kDelete = 1015, kApply = 1019;
constexpr int kPath = 1015, kTitle = 1016, kOk = 1017;

// A channel difference that still counts as the same colour: the image list
// and DrawIconEx may round a blended edge pixel differently.
bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 24 && std::abs(GetGValue(a) - GetGValue(b)) <= 24 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 24;
}

// The shell's small icon of path, drawn by the driver as the popup draws an
// item's icon, over background. None when the shell gives no icon.
struct IconPicture {
    bool has = false;
    Image image;
};

IconPicture ShellIconPicture(const std::string& path, COLORREF background) {
    IconPicture p;
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof info);
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon) return p;
    p.image = DrawnIcon(info.hIcon, kIconSize, background);
    p.has = p.image.ok();
    DestroyIcon(info.hIcon);
    return p;
}

// Pixels of the 16 x 16 square at (x, y) of shot that differ from the picture
// (every pixel of the square against the plain background when there is none).
int Mismatches(const Image& shot, int x, int y, const IconPicture& expected, COLORREF background) {
    int bad = 0;
    for (int j = 0; j < kIconSize; ++j)
        for (int i = 0; i < kIconSize; ++i) {
            if (x + i >= shot.width || y + j >= shot.height) {
                ++bad;
                continue;
            }
            const COLORREF want = expected.has ? expected.image.At(i, j) : background;
            if (!Near(shot.At(x + i, y + j), want)) ++bad;
        }
    return bad;
}

int Differences(const IconPicture& a, const IconPicture& b) {
    int n = 0;
    for (int i = 0; i < kIconSize * kIconSize; ++i)
        if (!Near(a.image.pixels[static_cast<std::size_t>(i)], b.image.pixels[static_cast<std::size_t>(i)])) ++n;
    return n;
}

// An entry as the popup must show it: its path and the icon expected in its row.
struct Row {
    std::string path;
    IconPicture icon;
};

std::vector<Row> RowsFor(const std::vector<std::string>& paths) {
    std::vector<Row> rows;
    for (const std::string& p : paths) rows.push_back({p, ShellIconPicture(p, GetSysColor(COLOR_MENU))});
    return rows;
}

HWND OpenPopupByHotkey(PeltoSession& s) {
    REQUIRE_MSG(MoveMouse(POINT{400, 300}), "cannot move the pointer");
    HWND menu = OpenMenuWithHotkey(s.pelto.pid(), 'Z');
    REQUIRE_MSG(menu != nullptr, "Ctrl+Shift+Z opened no popup: %s", s.pelto.Describe().c_str());
    return menu;
}

// Checks that row i of the open popup shows rows[i]'s icon and nothing else in
// the icon's place. The first item's corner is found where row 0's picture
// lies (the popup's border width is the platform's); the other rows are 20 pixels
// apart below it.
void CheckRows(HWND menu, const std::vector<Row>& rows, const char* when) {
    const COLORREF background = GetSysColor(COLOR_MENU);
    int originX = -1, originY = -1;
    std::vector<int> bad(rows.size(), 0);
    // The popup paints its rows after it shows, one owner-drawn row after the
    // other: wait until every row is right (on a loaded machine a row was once
    // still wrong after 3 s).
    WaitUntil(10000, [&] {
        Image shot = CaptureScreen(WindowRect(menu));
        if (!shot.ok()) return false;
        originX = originY = -1;
        for (int y = 0; y <= 6 && originX < 0; ++y)
            for (int x = 0; x <= 6; ++x)
                if (Mismatches(shot, x, y + 2, rows[0].icon, background) <= 8) {
                    originX = x;
                    originY = y;
                    break;
                }
        if (originX < 0) return false;
        bool all = true;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            bad[i] = Mismatches(shot, originX, originY + kItemHeight * static_cast<int>(i) + 2, rows[i].icon, background);
            if (bad[i] > 8) all = false;
        }
        return all;
    });
    REQUIRE_MSG(originX >= 0, "%s: row 0 (%s) does not show its %s", when, Printable(rows[0].path).c_str(),
                rows[0].icon.has ? "icon" : "empty icon place");
    for (std::size_t i = 1; i < rows.size(); ++i)
        CHECK_MSG(bad[i] <= 8, "%s: row %d (%s) shows %d pixels that are not its %s", when, static_cast<int>(i),
                  Printable(rows[i].path).c_str(), bad[i], rows[i].icon.has ? "icon" : "empty icon place");
}

// Opens the popup by its hotkey, checks its rows and closes it.
void CheckPopup(PeltoSession& s, const std::vector<Row>& rows, const char* when) {
    CheckRows(OpenPopupByHotkey(s), rows, when);
    CHECK_MSG(CloseMenu(s.pelto.pid()), "the popup did not close");
}

// Two entries whose shell icons differ under Wine and Windows alike: a folder
// (the shell's folder icon) and a program without an icon of its own (the
// shell's program icon). Wine 8.0 gives every file, programs with their own
// icon included, one and the same icon, so a folder is the other known icon.
struct KnownIcons {
    std::string folder;
    std::string program;
    KnownIcons(PeltoSession& s, const std::string& folderName, const std::string& programName) {
        CreateDirectoryA(s.folder.File("icons").c_str(), nullptr);
        folder = s.folder.File("icons\\" + folderName);
        program = s.folder.File("icons\\" + programName);
        REQUIRE_MSG(CreateDirectoryA(folder.c_str(), nullptr), "cannot make the folder %s", folder.c_str());
        REQUIRE_MSG(PlaceMarker(program), "cannot place a marker");
        IconPicture a = ShellIconPicture(folder, GetSysColor(COLOR_MENU));
        IconPicture b = ShellIconPicture(program, GetSysColor(COLOR_MENU));
        REQUIRE_MSG(a.has && b.has, "the shell gives the driver no icon for the test entries");
        REQUIRE_MSG(Differences(a, b) >= 20, "the two test icons look alike (%d pixels differ)", Differences(a, b));
    }
};

TEST(LauncherIcons, LauncherIcons_EachRowShowsItsOwnIconFromStartUpOn) {
    PeltoSession s("iconsstart");
    KnownIcons known(s, "a folder", "plain.exe");
    const std::string gone = s.folder.File("absent\\gone.exe");
    REQUIRE_MSG(WriteLauncherFile(s.folder, {{known.program, "Program"}, {known.folder, "Folder"}, {gone, "Gone"}}),
                "cannot write launch_data");
    s.Start();
    CheckPopup(s, RowsFor({known.program, known.folder, gone}), "after start-up");

    // The icons were fetched once and are kept: with both entries gone (moved
    // away), the popup still shows them, where asking the shell now gives none.
    REQUIRE_MSG(MoveFileA(s.folder.File("icons").c_str(), s.folder.File("icons moved").c_str()),
                "cannot move the entries away");
    REQUIRE_MSG(!ShellIconPicture(known.folder, GetSysColor(COLOR_MENU)).has, "the shell still finds the moved folder");
    std::vector<Row> kept =
        RowsFor({s.folder.File("icons moved\\plain.exe"), s.folder.File("icons moved\\a folder"), gone});
    CheckPopup(s, kept, "after the programs were moved away");
    CHECK(s.pelto.MessageBoxes().empty());
}

TEST(LauncherIcons, LauncherIcons_AnEntryAddedByCommand40060ShowsItsIcon) {
    PeltoSession s("iconsadd");
    KnownIcons known(s, "a folder", "plain.exe");
    REQUIRE_MSG(WriteLauncherFile(s.folder, {{known.folder, "Folder"}}), "cannot write launch_data");
    s.Start();
    // The target runs from Pelto's own folder, so that also the bare program
    // name that Windows 98 reports names the file from Pelto's working folder.
    const std::string exe = s.folder.File("IconTarget.exe");
    REQUIRE_MSG(CopyFileA(TestProgramPath("PeltoTarget.exe").c_str(), exe.c_str(), FALSE), "cannot copy the target");
    const RECT before = WindowRect(s.skin);
    TargetProcess target;
    REQUIRE_MSG(target.StartProgram(exe, "--title \"Icon Target\" --rect 100 200 500 300", "Icon Target"),
                "no target window");
    REQUIRE_MSG(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); }), "the skin did not attach");
    const std::string listed = ExpectedProgramPath(exe);
    const std::string expected = LauncherFileText({{known.folder, "Folder"}, {listed, "Icon Target"}});
    // The title comes from a tracking tick: add until the file says so.
    s.ChooseFromMenu(40060);
    REQUIRE_MSG(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; }),
                "launch_data is \"%s\", expected \"%s\"", Printable(LauncherFileOf(s.folder)).c_str(),
                Printable(expected).c_str());
    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    std::vector<Row> rows = RowsFor({known.folder, exe});
    REQUIRE_MSG(rows[1].icon.has, "the shell gives the driver no icon for %s", exe.c_str());
    CheckPopup(s, rows, "after command 40060");
    CHECK(s.pelto.MessageBoxes().empty());
}

void DeleteLine(PeltoSession& s, HWND settings, int line) {
    SendMessageA(GetDlgItem(settings, kList), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    // A click made while the pointer still glides to a new foreground window loses its release.
    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    CHECK_MSG(ClickDialogButton(settings, kDelete), "cannot click the delete button");
    AnswerBox(s.pelto, {kDeleteQuestion, "Pelto", settings}, IDYES);  // Yes by a real click
}

TEST(LauncherIcons, LauncherIcons_ApplyThatDeletesAndReordersKeepsEachIconWithItsEntry) {
    PeltoSession s("iconsapply");
    KnownIcons known(s, "a folder", "plain.exe");
    const std::string second = s.folder.File("icons\\second folder");
    REQUIRE_MSG(CreateDirectoryA(second.c_str(), nullptr), "cannot make a folder");
    REQUIRE_MSG(WriteLauncherFile(s.folder, {{known.program, "Program"}, {known.folder, "Folder"}, {second, "Second"}}),
                "cannot write launch_data");
    s.Start();
    CheckPopup(s, RowsFor({known.program, known.folder, second}), "before the changes");

    // Delete "Folder", then move "Program" to the end (deleted and added
    // again): the list becomes Second, Program, and each row's icon changes.
    HWND settings = s.OpenDialog(40062, kLauncherSettingsCaption);
    DeleteLine(s, settings, 1);
    DeleteLine(s, settings, 0);
    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    CHECK_MSG(ClickDialogButton(settings, kAdd), "cannot click the add button");
    HWND entry = WaitForDialog(s.pelto.pid(), kNewEntryCaption);
    REQUIRE_MSG(entry != nullptr, "no entry dialog");
    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    SetControlText(entry, kPath, known.program);
    SetControlText(entry, kTitle, "Program");
    CHECK_MSG(ClickDialogButton(entry, kOk), "cannot click OK");
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindow(entry); }), "the entry dialog stayed open");
    const std::vector<std::string> lines = ListBoxLines(settings, kList);
    REQUIRE_MSG(lines.size() == 2 && lines[0] == second && lines[1] == known.program,
                "the dialog's list is not Second, Program");
    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    CHECK_MSG(ClickDialogButton(settings, kApply), "cannot click the apply button");
    REQUIRE_MSG(WaitUntil(5000, [&] { return !IsWindow(settings); }), "apply did not close the dialog");
    CHECK_EQ_STR(LauncherFileOf(s.folder), LauncherFileText({{second, "Second"}, {known.program, "Program"}}));

    REQUIRE_MSG(WaitForPointerToRest(), "the pointer never stood still");
    HWND menu = OpenPopupByHotkey(s);
    const RECT r = WindowRect(menu);
    CHECK_MSG(r.bottom - r.top < 3 * kItemHeight, "the popup %s still has three rows", RectText(r).c_str());
    CheckRows(menu, RowsFor({second, known.program}), "after apply");
    CHECK_MSG(CloseMenu(s.pelto.pid()), "the popup did not close");
    CHECK(s.pelto.MessageBoxes().empty());
}

// GDI and USER objects of a process; -1 where the platform does not count them.
long GuiObjects(HANDLE process, DWORD kind) {
    SetLastError(0);
    const DWORD n = GetGuiResources(process, kind);
    return (n == 0 && GetLastError() != 0) ? -1 : static_cast<long>(n);
}

TEST(LauncherIcons, LauncherIcons_TwoHundredOpensLeaveNoHandlesBehind) {
    SetTestTimeLimit(300);  // 205 opens
    PeltoSession s("iconsopens");
    KnownIcons known(s, "a folder", "plain.exe");
    std::vector<LauncherItem> items;
    for (int i = 0; i < 20; ++i) items.push_back({i % 2 ? known.folder : known.program, Format("Entry %d", i)});
    REQUIRE_MSG(WriteLauncherFile(s.folder, items), "cannot write launch_data");
    s.Start();
    REQUIRE_MSG(MoveMouse(POINT{400, 300}), "cannot move the pointer");
    // Each open by the user's hotkey (the other tests choose 一覧表示 through the
    // real menu, which takes seconds a choice).
    auto openAndClose = [&] {
        OpenPopupByHotkey(s);
        REQUIRE_MSG(CloseMenu(s.pelto.pid()), "the popup stayed after Esc");
    };
    for (int i = 0; i < 5; ++i) openAndClose();  // whatever the first opens set up once
    const long gdiBefore = GuiObjects(s.pelto.handle(), GR_GDIOBJECTS);
    const long userBefore = GuiObjects(s.pelto.handle(), GR_USEROBJECTS);
    for (int i = 0; i < 200; ++i) openAndClose();
    const long gdiAfter = GuiObjects(s.pelto.handle(), GR_GDIOBJECTS);
    const long userAfter = GuiObjects(s.pelto.handle(), GR_USEROBJECTS);
    if (gdiBefore < 0 || userBefore < 0) {
        Trace("GetGuiResources counts nothing on this platform; handle counts not compared");
    } else {
        // A few objects may come and go with the system's own caches; growth with the opens may not.
        CHECK_MSG(gdiAfter <= gdiBefore + 5, "GDI objects grew from %ld to %ld over 200 opens", gdiBefore, gdiAfter);
        CHECK_MSG(userAfter <= userBefore + 5, "USER objects grew from %ld to %ld over 200 opens", userBefore, userAfter);
    }
    CheckPopup(s, RowsFor({known.program, known.folder, known.program, known.folder}), "after 200 opens");
    CHECK(s.pelto.Running());
}

}  // namespace
