// The launcher popup's icons: each row shows the shell's small icon of its own
// entry, compared pixel by pixel with the icon as the driver itself gets it from
// the shell and draws it; after start-up, after files are deleted and created
// (within a few opens), after command 40060 adds an entry (a 64-bit program of
// the system folder too, which then starts from its row), after the dialog's
// apply deletes and reorders entries, over many opens, and with a shell that
// cannot be loaded. The icon worker answers the messages of its COM apartment,
// and a stray message of its hand-over number changes nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "launcher/launcher_icons.h"
#include "resources/resource_ids.h"
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
    [&] { ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer"; }();
    HWND menu = OpenMenuWithHotkey(s.pelto.pid(), 'Z');
    [&] { ASSERT_TRUE(menu != nullptr) << "Ctrl+Shift+Z opened no popup: " << s.pelto; }();
    return menu;
}

// What differs between the open popup and rows (row i showing rows[i]'s icon
// and nothing else in the icon's place), waiting up to timeoutMs for the rows
// to be right; "" when they are. The first item's corner is found where a
// row's picture lies (the popup's border width is the platform's); the rows are
// 20 pixels apart.
std::string RowsMismatch(HWND menu, const std::vector<Row>& rows, DWORD timeoutMs) {
    const COLORREF background = GetSysColor(COLOR_MENU);
    // The corner is found by a row that has an icon (an empty one matches plain
    // background anywhere).
    std::size_t anchor = 0;
    while (anchor + 1 < rows.size() && !rows[anchor].icon.has) ++anchor;
    const int anchorY = kItemHeight * static_cast<int>(anchor) + 2;
    int originX = -1, originY = -1;
    std::vector<int> bad(rows.size(), 0);
    // The popup paints its rows after it shows, one owner-drawn row after the
    // other: wait until every row is right (on a loaded machine a row was once
    // still wrong after 3 s).
    WaitUntil(timeoutMs, [&] {
        Image shot = CaptureScreen(WindowRect(menu));
        if (!shot.ok()) return false;
        originX = originY = -1;
        for (int y = 0; y <= 6 && originX < 0; ++y)
            for (int x = 0; x <= 6; ++x)
                if (Mismatches(shot, x, y + anchorY, rows[anchor].icon, background) <= 8) {
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
    if (originX < 0)
        return Format("row %d (%s) does not show its %s", static_cast<int>(anchor), Printable(rows[anchor].path).c_str(),
                      rows[anchor].icon.has ? "icon" : "empty icon place");
    std::string why;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (bad[i] > 8)
            why += Format("row %d (%s) shows %d pixels that are not its %s; ", static_cast<int>(i),
                          Printable(rows[i].path).c_str(), bad[i], rows[i].icon.has ? "icon" : "empty icon place");
    return why;
}

void CheckRows(HWND menu, const std::vector<Row>& rows, const char* when) {
    const std::string why = RowsMismatch(menu, rows, 10000);
    EXPECT_EQ(why, "") << when;
}

// Opens the popup by its hotkey, checks its rows and closes it.
void CheckPopup(PeltoSession& s, const std::vector<Row>& rows, const char* when) {
    CheckRows(OpenPopupByHotkey(s), rows, when);
    EXPECT_TRUE(CloseMenu(s.pelto.pid())) << "the popup did not close";
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
        [&] { ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << Format("cannot make the folder %s", folder.c_str()); }();
        [&] { ASSERT_TRUE(PlaceMarker(program)) << "cannot place a marker"; }();
        IconPicture a = ShellIconPicture(folder, GetSysColor(COLOR_MENU));
        IconPicture b = ShellIconPicture(program, GetSysColor(COLOR_MENU));
        [&] { ASSERT_TRUE(a.has && b.has) << "the shell gives the driver no icon for the test entries"; }();
        [&] { ASSERT_TRUE(Differences(a, b) >= 20) << Format("the two test icons look alike (%d pixels differ)", Differences(a, b)); }();
    }
};

TEST(LauncherIcons, LauncherIcons_TheIconWorkerHandlesItsApartmentsMessagesWhileItWaits) {
    // The worker with Pelto's own code, in a process where it is COM's first
    // single-threaded apartment (under Wine, Pelto's user-interface thread is
    // made one first by the input method).
    PROCESS_INFORMATION info;
    ASSERT_TRUE(LaunchProcess("\"" + TestProgramPath("PeltoIconWorkerCheck.exe") + "\"", &info))
        << "cannot start PeltoIconWorkerCheck.exe";
    const bool ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    if (!ended) TerminateProcess(info.hProcess, 9);
    CloseHandle(info.hProcess);
    ASSERT_TRUE(ended) << "the check hung";
    EXPECT_EQ(code, 0u) << "1: the worker's apartment window did not answer while it waited; 2: no icons; 3: no window";
}

// Up to `opens` opens of the popup, until its rows are right; how many it took
// (0: never right, with the last mismatch in why).
int OpensUntilRowsAreRight(PeltoSession& s, const std::vector<Row>& rows, int opens, std::string* why) {
    for (int open = 1; open <= opens; ++open) {
        HWND menu = OpenPopupByHotkey(s);
        *why = RowsMismatch(menu, rows, 3000);
        if (!CloseMenu(s.pelto.pid())) *why += "the popup did not close; ";
        if (why->empty()) return open;
        // What the worker found after this open arrives in the meantime.
        WaitForPeltoIdle(s.pelto);
    }
    return 0;
}

TEST(LauncherIcons, LauncherIcons_EachRowShowsItsOwnIconFromStartUpOnAndFollowsItsFile) {
    PeltoSession s("iconsstart");
    KnownIcons known(s, "a folder", "plain.exe");
    const std::string gone = s.folder.File("absent\\gone.exe");
    ASSERT_TRUE(WriteLauncherFile(s.folder, {{known.program, "Program"}, {gone, "Gone"}, {known.folder, "Folder"}})) << "cannot write launch_data";
    s.Start();
    CheckPopup(s, RowsFor({known.program, gone, known.folder}), "after start-up");

    // Another program's broadcast of the hand-over's message number, with what
    // would be a pointer: nothing is freed or lost, the icons stay.
    PostMessageA(s.skin, kLauncherIconsMessage, 1, static_cast<LPARAM>(0x12345678));
    PostMessageA(s.skin, kLauncherIconsMessage, 0, -1);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "after the stray message: " << s.pelto.Describe();
    CheckPopup(s, RowsFor({known.program, gone, known.folder}), "after the stray message");

    // The first entry's file is deleted, the second one's made (a drive that
    // came late): the rows follow within four opens.
    ASSERT_TRUE(DeleteFileA(known.program.c_str())) << Format("cannot delete %s", known.program.c_str());
    ASSERT_TRUE(PlaceMarker(gone)) << Format("cannot place a marker at %s", gone.c_str());
    const std::vector<Row> now = RowsFor({known.program, gone, known.folder});
    ASSERT_FALSE(now[0].icon.has) << "the shell still finds the deleted file";
    ASSERT_TRUE(now[1].icon.has) << "the shell finds no icon for the new file";
    std::string why;
    EXPECT_GT(OpensUntilRowsAreRight(s, now, 4, &why), 0) << "after four opens: " << why;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
}

// A 64-bit PeltoTarget.exe placed in the system folder only (removed again
// when the object goes): path as the user and a 64-bit program name it,
// reachable as the driver reaches the same file (a 32-bit driver is redirected
// from the system folder like a 32-bit Pelto; "Sysnative" is not).
struct SystemFolderProgram {
    std::string path;
    std::string reachable;
    bool placed = false;

    explicit SystemFolderProgram(const char* name) {
        char folder[MAX_PATH] = "", windows[MAX_PATH] = "";
        GetSystemDirectoryA(folder, sizeof folder);
        GetWindowsDirectoryA(windows, sizeof windows);
        path = std::string(folder) + "\\" + name;
        reachable = sizeof(void*) == 4 ? std::string(windows) + "\\Sysnative\\" + name : path;
        const std::string program = sizeof(void*) == 4 ? OtherBitnessTarget() : TestProgramPath("PeltoTarget.exe");
        placed = !program.empty() && CopyFileA(program.c_str(), reachable.c_str(), FALSE) != 0;
    }
    ~SystemFolderProgram() {
        if (placed) DeleteFileA(reachable.c_str());
    }
};

// The shell's icon of a file of the real system folder as the driver gets it:
// a 32-bit driver turns its redirection off for the call (the shell takes no
// "Sysnative" path).
IconPicture SystemFolderIconPicture(const std::string& path) {
    using Disable = BOOL WINAPI(PVOID*);
    using Revert = BOOL WINAPI(PVOID);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto disable = reinterpret_cast<Disable*>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<Revert*>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    PVOID old = nullptr;
    const bool off = sizeof(void*) == 4 && disable && revert && disable(&old);
    IconPicture picture = ShellIconPicture(path, GetSysColor(COLOR_MENU));
    if (off) revert(old);
    return picture;
}

// Ends the process that shows the window and waits for it; true when it has ended.
bool EndProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
    if (!process) return false;
    TerminateProcess(process, 0);
    const bool ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

TEST(LauncherIcons, LauncherIcons_AnEntryAddedByCommand40060ShowsItsIconAlsoForA64BitProgramOfTheSystemFolder) {
    PeltoSession s("iconsadd");
    KnownIcons known(s, "a folder", "plain.exe");
    ASSERT_TRUE(WriteLauncherFile(s.folder, {{known.folder, "Folder"}})) << "cannot write launch_data";
    s.Start();
    // The target runs from Pelto's own folder, so that also the bare program
    // name that Windows 98 reports names the file from Pelto's working folder.
    const std::string exe = s.folder.File("IconTarget.exe");
    ASSERT_TRUE(CopyFileA(TestProgramPath("PeltoTarget.exe").c_str(), exe.c_str(), FALSE)) << "cannot copy the target";
    const RECT before = WindowRect(s.skin);
    TargetProcess target;
    ASSERT_TRUE(target.StartProgram(exe, "--title \"Icon Target\" --rect 100 200 500 300", "Icon Target")) << "no target window";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "the skin did not attach";
    const std::string listed = ExpectedProgramPath(exe);
    const std::string expected = LauncherFileText({{known.folder, "Folder"}, {listed, "Icon Target"}});
    // The title comes from a tracking tick: add until the file says so.
    s.ChooseFromMenu(IDM_LAUNCHER_ADD);
    ASSERT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; })) << Format("launch_data is \"%s\", expected \"%s\"", Printable(LauncherFileOf(s.folder)).c_str(), Printable(expected).c_str());
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    std::vector<Row> rows = RowsFor({known.folder, exe});
    ASSERT_TRUE(rows[1].icon.has) << Format("the shell gives the driver no icon for %s", exe.c_str());
    CheckPopup(s, rows, "after command 40060");
    EXPECT_TRUE(s.pelto.MessageBoxes().empty());

    // Windows 98 has no 64-bit programs.
    if (ReportedWindowsFamily() == ReportedFamily::Windows9x) return;
    // A 64-bit program that lies only in the system folder, added from its
    // window: the 32-bit Pelto is redirected from that folder, and must still
    // show the program's icon and start it from its row.
    SystemFolderProgram system("PeltoSystemTarget.exe");
    ASSERT_TRUE(system.placed) << "cannot place a 64-bit program at " << system.reachable;
    if (sizeof(void*) == 4) {
        ASSERT_FALSE(FileExists(system.path)) << "the 32-bit system folder holds the program too";
    }
    {
        TargetProcess inSystem;
        ASSERT_TRUE(inSystem.StartProgram(system.reachable, "--title \"System Target\" --rect 150 250 500 300",
                                          "System Target"))
            << "no window of " << system.reachable;
        ASSERT_TRUE(WaitForTick(s.skin)) << "no tick found the program of the system folder";
        const std::string withSystem = LauncherFileText(
            {{known.folder, "Folder"}, {listed, "Icon Target"}, {system.path, "System Target"}});
        s.ChooseFromMenu(IDM_LAUNCHER_ADD);
        ASSERT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == withSystem; }))
            << "launch_data is \"" << Printable(LauncherFileOf(s.folder)) << "\", expected \"" << Printable(withSystem)
            << "\"";
    }
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    rows = RowsFor({known.folder, exe});
    rows.push_back({system.path, SystemFolderIconPicture(system.path)});
    ASSERT_TRUE(rows[2].icon.has) << "the shell gives the driver no icon for " << system.path;
    HWND menu = OpenPopupByHotkey(s);
    CheckRows(menu, rows, "after the system folder's program was added");
    // Its row, the third, starts it: a window of it with its default title.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(PressKeys({VK_DOWN})) << "cannot press Down";
    }
    ASSERT_TRUE(PressKeys({VK_RETURN})) << "cannot press Enter";
    HWND started = nullptr;
    EXPECT_TRUE(WaitUntil(10000, [&] { return (started = FindWindowA(nullptr, "Pelto Target")) != nullptr; }))
        << "the program of the system folder did not start: " << DescribeBoxes(s.pelto);
    if (started) {
        EXPECT_TRUE(EndProcessOf(started)) << "the started program did not end";
    }
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
}

void DeleteLine(PeltoSession& s, HWND settings, int line) {
    SendMessageA(GetDlgItem(settings, kList), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    // A click made while the pointer still glides to a new foreground window loses its release.
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    EXPECT_TRUE(ClickDialogButton(settings, kDelete)) << "cannot click the delete button";
    AnswerBox(s.pelto, {kDeleteQuestion, "Pelto", settings}, IDYES);  // Yes by a real click
}

TEST(LauncherIcons, LauncherIcons_ApplyThatDeletesAndReordersKeepsEachIconWithItsEntry) {
    PeltoSession s("iconsapply");
    KnownIcons known(s, "a folder", "plain.exe");
    const std::string second = s.folder.File("icons\\second folder");
    ASSERT_TRUE(CreateDirectoryA(second.c_str(), nullptr)) << "cannot make a folder";
    ASSERT_TRUE(WriteLauncherFile(s.folder, {{known.program, "Program"}, {known.folder, "Folder"}, {second, "Second"}})) << "cannot write launch_data";
    s.Start();
    CheckPopup(s, RowsFor({known.program, known.folder, second}), "before the changes");

    // Delete "Folder", then move "Program" to the end (deleted and added
    // again): the list becomes Second, Program, and each row's icon changes.
    HWND settings = s.OpenDialog(40062, kLauncherSettingsCaption);
    DeleteLine(s, settings, 1);
    DeleteLine(s, settings, 0);
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    EXPECT_TRUE(ClickDialogButton(settings, kAdd)) << "cannot click the add button";
    HWND entry = WaitForDialog(s.pelto.pid(), kNewEntryCaption);
    ASSERT_TRUE(entry != nullptr) << "no entry dialog";
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    SetControlText(entry, kPath, known.program);
    SetControlText(entry, kTitle, "Program");
    EXPECT_TRUE(ClickDialogButton(entry, kOk)) << "cannot click OK";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(entry); })) << "the entry dialog stayed open";
    const std::vector<std::string> lines = ListBoxLines(settings, kList);
    ASSERT_TRUE(lines.size() == 2 && lines[0] == second && lines[1] == known.program) << "the dialog's list is not Second, Program";
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    EXPECT_TRUE(ClickDialogButton(settings, kApply)) << "cannot click the apply button";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(settings); })) << "apply did not close the dialog";
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText({{second, "Second"}, {known.program, "Program"}}));

    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    HWND menu = OpenPopupByHotkey(s);
    const RECT r = WindowRect(menu);
    EXPECT_TRUE(r.bottom - r.top < 3 * kItemHeight) << Format("the popup %s still has three rows", RectText(r).c_str());
    CheckRows(menu, RowsFor({second, known.program}), "after apply");
    EXPECT_TRUE(CloseMenu(s.pelto.pid())) << "the popup did not close";
    EXPECT_TRUE(s.pelto.MessageBoxes().empty());
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
    ASSERT_TRUE(WriteLauncherFile(s.folder, items)) << "cannot write launch_data";
    s.Start();
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
    // Each open by the user's hotkey (the other tests choose 一覧表示 through the
    // real menu, which takes seconds a choice).
    auto openAndClose = [&] {
        OpenPopupByHotkey(s);
        ASSERT_TRUE(CloseMenu(s.pelto.pid())) << "the popup stayed after Esc";
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
        EXPECT_TRUE(gdiAfter <= gdiBefore + 5) << Format("GDI objects grew from %ld to %ld over 200 opens", gdiBefore, gdiAfter);
        EXPECT_TRUE(userAfter <= userBefore + 5) << Format("USER objects grew from %ld to %ld over 200 opens", userBefore, userAfter);
    }
    CheckPopup(s, RowsFor({known.program, known.folder, known.program, known.folder}), "after 200 opens");
    EXPECT_TRUE(s.pelto.Running());
}

// Wine told to load no library of that name into programs named Pelto.exe
// (a per-program DLL override, the empty load order), until the object goes.
// (WINEDLLOVERRIDES set in the driver's environment does not reach a process
// the driver starts: Wine hands on its own.)
class LibraryDisabledForPelto {
public:
    explicit LibraryDisabledForPelto(const char* library) : library_(library) {
        WriteUserRegistryString(kKey, library, "");
    }
    ~LibraryDisabledForPelto() { DeleteUserRegistryValue(kKey, library_); }

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Pelto.exe\\DllOverrides";
    const char* library_;
};

const char kShellMissingText[] = "SHELL32.DLLを読み込めませんでした。\nこのライブラリを使う機能は使えません。";

TEST(LauncherIcons, LauncherIcons_AShellThatCannotBeLoadedIsToldWhenFirstUsedAndPeltoGoesOn) {
    if (sizeof(void*) == 4) GTEST_SKIP() << "the 32-bit build loads the shell at start-up, as Windows 98 needs";
    PeltoSession s("iconsnoshell");
    // Moldra needs the common dialogs, which need the shell: without it the
    // plug-ins' discovery would have its own say.
    ASSERT_TRUE(s.folder.RemoveFile("plugins\\Moldra.ppi") && s.folder.RemoveFile("plugins\\Tachel.ppi"));
    LibraryDisabledForPelto noShell("shell32");
    s.Start();
    // An empty list: nothing asks for the shell yet, and nothing is said.
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto.Describe();
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);

    // Added from its window, the program's icon is asked for: the shell is missing.
    TargetProcess target;
    const RECT before = WindowRect(s.skin);
    ASSERT_TRUE(target.Start("--title \"Shell Target\" --rect 100 200 500 300", "Shell Target")) << "no target";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "the skin did not attach";
    const std::string exe = TestProgramPath("PeltoTarget.exe");
    const std::string expected = LauncherFileText({{ExpectedProgramPath(exe), "Shell Target"}});
    s.ChooseFromMenu(IDM_LAUNCHER_ADD);
    ASSERT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; }))
        << "launch_data is \"" << Printable(LauncherFileOf(s.folder)) << "\"";
    AnswerBox(s.pelto, {kShellMissingText, "Pelto", s.skin});

    // Pelto goes on: the row shows its title alone, and starting it fails as a
    // start does.
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
    HWND menu = OpenPopupByHotkey(s);
    CheckRows(menu, {Row{exe, IconPicture{}}}, "without the shell");
    ASSERT_TRUE(PressKeys({VK_DOWN}) && PressKeys({VK_RETURN})) << "cannot press Down and Enter";
    AnswerBox(s.pelto, {kLaunchFailedText, "Pelto", s.skin});
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << s.pelto.Describe();
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "the shell was reported twice: " << DescribeBoxes(s.pelto);
}

}  // namespace
