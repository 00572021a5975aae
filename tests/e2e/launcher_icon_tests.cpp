// The launcher popup's rows each show the shell's small icon of their entry, as the driver gets it from the shell.
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

// Within 24 a channel: the image list and DrawIconEx may round a blended edge pixel differently.
bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 24 && std::abs(GetGValue(a) - GetGValue(b)) <= 24 && std::abs(GetBValue(a) - GetBValue(b)) <= 24;
}

// The shell's small icon of path as the popup draws it, over the menu colour (empty: none).
Image ShellIconPicture(const std::string& path) {
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon) return Image();
    const Image picture = DrawnIcon(info.hIcon, kIconSize, GetSysColor(COLOR_MENU));
    DestroyIcon(info.hIcon);
    return picture;
}

// Pixels of the 16 x 16 square at (x, y) of shot unlike the picture (or, with none, the menu colour).
int Mismatches(const Image& shot, int x, int y, const Image& expected) {
    int bad = 0;
    for (int j = 0; j < kIconSize; ++j)
        for (int i = 0; i < kIconSize; ++i)
            bad += x + i >= shot.width || y + j >= shot.height ||
                   !Near(shot.At(x + i, y + j), expected.ok() ? expected.At(i, j) : GetSysColor(COLOR_MENU));
    return bad;
}

struct Row {
    std::string path;
    Image icon;
};

std::vector<Row> RowsFor(const std::vector<std::string>& paths) {
    std::vector<Row> rows;
    for (const std::string& p : paths) rows.push_back({p, ShellIconPicture(p)});
    return rows;
}

// What differs, within timeoutMs, between the open popup (null: none) and row i showing rows[i]'s icon
// alone; "" for nothing. The first row with an icon finds the items' corner (the border is the platform's).
std::string RowsMismatch(HWND menu, const std::vector<Row>& rows, DWORD timeoutMs) {
    std::size_t anchor = 0;
    while (anchor + 1 < rows.size() && !rows[anchor].icon.ok()) ++anchor;
    const int anchorY = kItemHeight * static_cast<int>(anchor) + 2;
    int originX = -1, originY = -1;
    std::vector<int> bad(rows.size(), 0);
    if (!menu) return "Ctrl+Shift+Z opened no popup";
    // The owner-drawn rows paint one by one after the popup shows (under load, one was still wrong after 3 s).
    WaitUntil(timeoutMs, [&] {
        Image shot = CaptureScreen(WindowRect(menu));
        if (!shot.ok()) return false;
        originX = originY = -1;
        for (int y = 0; y <= 6 && originX < 0; ++y)
            for (int x = 0; x <= 6 && originX < 0; ++x)
                if (Mismatches(shot, x, y + anchorY, rows[anchor].icon) <= 8) originX = x, originY = y;
        if (originX < 0) return false;
        bool all = true;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            bad[i] = Mismatches(shot, originX, originY + kItemHeight * static_cast<int>(i) + 2, rows[i].icon);
            all = all && bad[i] <= 8;
        }
        return all;
    });
    auto what = [&](std::size_t i) {
        return Format("row %d (%s)", static_cast<int>(i), Printable(rows[i].path).c_str()) + (rows[i].icon.ok() ? " its icon" : " its empty icon place");
    };
    if (originX < 0) return what(anchor) + ": not shown";
    std::string why;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (bad[i] > 8) why += what(i) + Format(": %d pixels differ; ", bad[i]);
    return why;
}

// Opens the popup by its hotkey, checks its rows and closes it.
void CheckPopup(PeltoSession& s, const std::vector<Row>& rows, const char* when) {
    EXPECT_EQ(RowsMismatch(OpenLauncherPopup(s), rows, 10000), "") << when;
    EXPECT_TRUE(CloseMenu(s.pelto.pid())) << "the popup did not close";
}

TEST(LauncherIcons, LauncherIcons_TheIconWorkerHandlesItsApartmentsMessagesWhileItWaits) {
    // Pelto's worker code where it is COM's first single-threaded apartment (in Pelto,
    // under Wine, the input method makes the user-interface thread that first).
    PROCESS_INFORMATION info;
    ASSERT_TRUE(LaunchProcess("\"" + TestProgramPath("PeltoIconWorkerCheck.exe") + "\"", &info)) << "cannot start PeltoIconWorkerCheck.exe";
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    else TerminateProcess(info.hProcess, 9);
    CloseHandle(info.hProcess);
    EXPECT_EQ(code, 0u) << "259: the check hung; 1: the worker's apartment window did not answer while it waited; 2: no icons; 3: no window";
}

// GDI and USER objects of the process; -1 where the platform does not count them.
long GuiObjects(const PeltoProcess& pelto, DWORD kind) {
    SetLastError(0);
    const DWORD n = GetGuiResources(pelto.handle(), kind);
    return (n == 0 && GetLastError() != 0) ? -1L : static_cast<long>(n);
}

// A 64-bit PeltoTarget.exe in the system folder only, while the object lives: path as a 64-bit program names it,
// reachable as the driver does (a 32-bit driver is redirected like a 32-bit Pelto; "Sysnative" is not).
struct SystemFolderProgram {
    std::string path, reachable;
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
    ~SystemFolderProgram() { if (placed) DeleteFileA(reachable.c_str()); }
};

// The shell's icon of a file of the real system folder: a 32-bit driver turns its
// redirection off for the call (the shell takes no "Sysnative" path).
Image SystemFolderIconPicture(const std::string& path) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto disable = reinterpret_cast<BOOL(WINAPI*)(PVOID*)>(reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    auto revert = reinterpret_cast<BOOL(WINAPI*)(PVOID)>(reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    PVOID old = nullptr;
    const bool off = sizeof(void*) == 4 && disable && revert && disable(&old);
    const Image picture = ShellIconPicture(path);
    if (off) revert(old);
    return picture;
}

void AddTarget(PeltoSession& s, TargetProcess& target, const std::string& exe, const char* args, const char* title, const std::string& expected) {
    ASSERT_EQ(AddThisWindow(s, target, exe, args, title), "");
    ASSERT_EQ(WaitForLauncherFile(s.folder, expected), expected) << "launch_data";
    ASSERT_TRUE(WaitForPointerToRest()) << "the pointer never stood still";
}

// One Pelto: start-up, a stray message, 200 opens, an apply, files deleted and made, "add this window" (also 64-bit).
TEST(LauncherIcons, LauncherIcons_EachRowShowsItsOwnIconFromStartUpThroughApplyItsFileAndAddThisWindow) {
    SetTestTimeLimit(420);  // 205 opens
    PeltoSession s("iconsstart");
    // Two entries whose shell icons differ under Wine and Windows alike: Wine 8.0 gives every
    // file, programs with their own icon included, the same icon, so the other is a folder's.
    CreateDirectoryA(s.folder.File("icons").c_str(), nullptr);
    const std::string folder = s.folder.File("icons\\a folder"), program = s.folder.File("icons\\plain.exe");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) && PlaceMarker(program)) << "cannot make " << folder << " and " << program;
    const Image folderIcon = ShellIconPicture(folder), programIcon = ShellIconPicture(program);
    ASSERT_TRUE(folderIcon.ok() && programIcon.ok()) << "the shell gives the driver no icon for the test entries";
    int differ = 0;
    for (std::size_t i = 0; i < folderIcon.pixels.size(); ++i) differ += !Near(folderIcon.pixels[i], programIcon.pixels[i]);
    ASSERT_GE(differ, 20) << "pixels that differ between the two test icons";
    const std::string gone = s.folder.File("absent\\gone.exe");
    ASSERT_TRUE(WriteLauncherFile(s.folder, {{program, "Program"}, {gone, "Gone"}, {folder, "Folder"}})) << "cannot write launch_data";
    s.Start();
    CheckPopup(s, RowsFor({program, gone, folder}), "after start-up");

    // Another program's broadcast of the hand-over's message, with what would be a pointer, frees or loses nothing.
    PostMessageA(s.skin, kLauncherIconsMessage, 1, static_cast<LPARAM>(0x12345678));
    PostMessageA(s.skin, kLauncherIconsMessage, 0, -1);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "after the stray message: " << s.pelto;
    CheckPopup(s, RowsFor({program, gone, folder}), "after the stray message");

    // Opened by the hotkey (the main menu takes seconds); the first five set up what is set up once.
    auto openAndClose = [&] { ASSERT_TRUE(OpenLauncherPopup(s) && CloseMenu(s.pelto.pid())) << "the popup did not open, or stayed after Esc: " << s.pelto; };
    for (int i = 0; i < 5; ++i) openAndClose();
    const long gdiBefore = GuiObjects(s.pelto, GR_GDIOBJECTS), userBefore = GuiObjects(s.pelto, GR_USEROBJECTS);
    for (int i = 0; i < 200; ++i) openAndClose();
    if (gdiBefore < 0 || userBefore < 0) {
        Trace("GetGuiResources counts nothing on this platform; handle counts not compared");
    } else {
        // A few objects may come and go with the system's own caches; growth with the opens may not.
        EXPECT_LE(GuiObjects(s.pelto, GR_GDIOBJECTS), gdiBefore + 5) << "GDI objects after 200 opens";
        EXPECT_LE(GuiObjects(s.pelto, GR_USEROBJECTS), userBefore + 5) << "USER objects after 200 opens";
    }
    CheckPopup(s, RowsFor({program, gone, folder}), "after 200 opens");

    // Delete "Folder", move "Program" to the end: Gone, Program, each row's icon changed.
    HWND settings = s.OpenDialog(IDM_LAUNCHER_SETTINGS, kLauncherSettingsCaption);
    DeleteLauncherLine(s, settings, 2);
    DeleteLauncherLine(s, settings, 0);
    HWND entry = OpenEntryDialog(s, settings, IDC_LAUNCHER_ADD);
    ASSERT_TRUE(entry && FillEntry(entry, program, "Program")) << "no entry dialog, or OK did not close it";
    ASSERT_EQ(ListBoxLines(settings, IDC_LAUNCHER_LIST), (std::vector<std::string>{gone, program})) << "the dialog's list";
    ASSERT_TRUE(ClickDialogButton(settings, IDC_LAUNCHER_APPLY) && WindowGoes(settings)) << "apply did not close the dialog";
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText({{gone, "Gone"}, {program, "Program"}}));
    HWND menu = OpenLauncherPopup(s);
    const RECT r = WindowRect(menu);
    EXPECT_LT(r.bottom - r.top, 3 * kItemHeight) << "the popup " << RectText(r) << " still has three rows";
    EXPECT_EQ(RowsMismatch(menu, RowsFor({gone, program}), 10000), "") << "after apply";
    EXPECT_TRUE(CloseMenu(s.pelto.pid())) << "the popup did not close";

    // The second entry's file deleted, the first one's made (a drive that came late): the
    // rows follow within four opens, each leaving time for what the worker found after it.
    ASSERT_TRUE(DeleteFileA(program.c_str())) << "cannot delete " << program;
    ASSERT_TRUE(PlaceMarker(gone)) << "cannot place a marker at " << gone;
    const std::vector<Row> now = RowsFor({gone, program});
    ASSERT_TRUE(now[0].icon.ok()) << "the shell finds no icon for the new file";
    ASSERT_FALSE(now[1].icon.ok()) << "the shell still finds the deleted file";
    std::string why;
    for (int open = 1; open <= 4; ++open) {
        why = RowsMismatch(OpenLauncherPopup(s), now, 3000);
        if (!CloseMenu(s.pelto.pid())) why += "the popup did not close; ";
        if (why.empty()) break;
        WaitForPeltoIdle(s.pelto);
    }
    EXPECT_EQ(why, "") << "after four opens";

    // An entry added from its window, run from Pelto's folder so that Windows 98's bare program name names the file.
    const std::string exe = s.folder.File("IconTarget.exe");
    ASSERT_TRUE(CopyFileA(TestProgramPath("PeltoTarget.exe").c_str(), exe.c_str(), FALSE)) << "cannot copy the target";
    std::vector<LauncherItem> items = {{gone, "Gone"}, {program, "Program"}, {ExpectedProgramPath(exe), "Icon Target"}};
    TargetProcess target;
    AddTarget(s, target, exe, "--title \"Icon Target\" --rect 100 200 500 300", "Icon Target", LauncherFileText(items));
    std::vector<Row> rows = now;
    rows.push_back(RowsFor({exe})[0]);
    ASSERT_TRUE(rows[2].icon.ok()) << "the shell gives the driver no icon for " << exe;
    CheckPopup(s, rows, "after the add");
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);

    // Windows 98 has no 64-bit programs.
    if (ReportedWindowsFamily() == ReportedFamily::Windows9x) return;
    // A 64-bit program only in the system folder, added: a 32-bit Pelto, redirected from it, still shows and starts it.
    SystemFolderProgram system("PeltoSystemTarget.exe");
    ASSERT_TRUE(system.placed) << "cannot place a 64-bit program at " << system.reachable;
    if (sizeof(void*) == 4) { ASSERT_FALSE(FileExists(system.path)) << "the 32-bit system folder holds the program too"; }
    {
        TargetProcess inSystem;
        items.push_back({system.path, "System Target"});
        AddTarget(s, inSystem, system.reachable, "--title \"System Target\" --rect 150 250 500 300", "System Target", LauncherFileText(items));
    }
    rows.push_back({system.path, SystemFolderIconPicture(system.path)});
    ASSERT_TRUE(rows[3].icon.ok()) << "the shell gives the driver no icon for " << system.path;
    EXPECT_EQ(RowsMismatch(OpenLauncherPopup(s), rows, 10000), "") << "after the system folder's program was added";
    // Its row, the fourth, starts it: a window of it with its default title.
    for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) ASSERT_TRUE(PressKeys({key})) << "cannot press Down and Enter";
    HWND started = nullptr;
    EXPECT_TRUE(WaitUntil(10000, [&] { return (started = FindWindowA(nullptr, "Pelto Target")) != nullptr; }))
        << "the program of the system folder did not start: " << DescribeBoxes(s.pelto);
    EXPECT_TRUE(!started || (PostMessageA(started, WM_CLOSE, 0, 0) && WindowGoes(started))) << "the started program did not end";
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
}

const char kShellMissingText[] = "SHELL32.DLLを読み込めませんでした。\nこのライブラリを使う機能は使えません。";

TEST(LauncherIcons, LauncherIcons_AShellThatCannotBeLoadedIsToldWhenFirstUsedAndPeltoGoesOn) {
    if (sizeof(void*) == 4) GTEST_SKIP() << "the 32-bit build loads the shell at start-up, as Windows 98 needs";
    PeltoSession s("iconsnoshell");
    // Moldra needs the common dialogs, which need the shell: discovery would have its own say.
    ASSERT_TRUE(s.folder.RemoveFile("plugins\\Moldra.ppi") && s.folder.RemoveFile("plugins\\Tachel.ppi"));
    // Wine loads no shell32 into Pelto.exe until the test ends (a per-program override:
    // WINEDLLOVERRIDES in the driver's environment does not reach a process it starts).
    const char* overrides = "Software\\Wine\\AppDefaults\\Pelto.exe\\DllOverrides";
    WriteRegistryString(HKEY_CURRENT_USER, overrides, "shell32", "");
    struct Undo { const char* key; ~Undo() { DeleteRegistryValue(HKEY_CURRENT_USER, key, "shell32"); } } undo{overrides};
    s.Start();
    // An empty list: nothing asks for the shell yet, and nothing is said.
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);

    // Added from its window, its icon is asked for: the shell is missing.
    TargetProcess target;
    const std::string exe = TestProgramPath("PeltoTarget.exe");
    AddTarget(s, target, exe, "--title \"Shell Target\" --rect 100 200 500 300", "Shell Target", LauncherFileText({{ExpectedProgramPath(exe), "Shell Target"}}));
    AnswerBox(s.pelto, {kShellMissingText, "Pelto", s.skin});

    // Pelto goes on: the row shows its title alone, and its start fails as a start does.
    EXPECT_EQ(RowsMismatch(OpenLauncherPopup(s), {Row{exe, Image()}}, 10000), "") << "without the shell";
    ASSERT_TRUE(PressKeys({VK_DOWN}) && PressKeys({VK_RETURN})) << "cannot press Down and Enter";
    AnswerBox(s.pelto, {kLaunchFailedText, "Pelto", s.skin});
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << s.pelto;
    EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "the shell was reported twice: " << DescribeBoxes(s.pelto);
}

}  // namespace
