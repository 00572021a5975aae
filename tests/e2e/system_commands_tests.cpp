// Leaving Windows (answered No), control-panel applets, the wallpaper by dialog
// and by a real drop, and which dropped files Pelto acts on.
#include <windows.h>

#include <string>
#include <vector>

#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

const char kDesktopKey[] = "Control Panel\\Desktop", kSentinelWallpaper[] = "C:\\before-the-test.bmp";

std::string Wallpaper() { return ReadRegistryString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper"); }

// The system folder as Pelto.exe sees it: a 32-bit program on 64-bit Windows (or Wine) sees
// SysWOW64 as system32; a 32-bit driver is redirected there by itself.
std::string PeltoSystemFolder() {
    char path[MAX_PATH] = "";
    DWORD kind = 0;
    const bool pelto32 = GetBinaryTypeA(JoinPath(StagedInstall(), "Pelto.exe").c_str(), &kind) && kind == SCS_32BIT_BINARY;
    const UINT n = sizeof(void*) == 8 && pelto32 ? GetSystemWow64DirectoryA(path, sizeof path) : GetSystemDirectoryA(path, sizeof path);
    return n == 0 || n >= sizeof path ? "C:\\windows\\system32" : path;
}

// Takes control.exe out of the system folder Pelto's shell searches while it lives;
// with a stand-in, the test's recording control.exe takes its place.
struct ControlPanelSwap {
    static constexpr const char* kDllOverrides = "Software\\Wine\\DllOverrides";
    std::string real = JoinPath(PeltoSystemFolder(), "control.exe"), aside = real + ".pelto-test";
    bool moved = MoveFileA(real.c_str(), aside.c_str()) != 0, ok = moved;
    const bool standIn;
    explicit ControlPanelSwap(bool withStandIn) : standIn(withStandIn && moved) {
        if (!standIn) return;
        ok = CopyFileA(JoinPath(DriverFolder(), "PeltoControlStandIn.exe").c_str(), real.c_str(), FALSE) != 0;
        // Wine runs its own control.exe for that path unless told otherwise.
        WriteRegistryString(HKEY_CURRENT_USER, kDllOverrides, "control.exe", "native");
    }
    ~ControlPanelSwap() {
        if (standIn) DeleteRegistryValue(HKEY_CURRENT_USER, kDllOverrides, "control.exe");
        if (!moved) return;
        DeleteFileA(real.c_str());
        MoveFileA(aside.c_str(), real.c_str());
    }
};

COLORREF WallPixel(int x, int y) { return RGB(x * 8, y * 8, 128); }

// A hidden top-level window of the driver's: whether the wallpaper's broadcast settings change reached it.
struct WallpaperChangeHeard {
    static inline bool heard = false;
    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_SETTINGCHANGE && wParam == SPI_SETDESKWALLPAPER) heard = true;
        return DefWindowProcA(w, message, wParam, lParam);
    }
    HWND window = [] {
        WNDCLASSA wc = {0, Proc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "PeltoTestSettingChanges"};
        RegisterClassA(&wc);  // fails harmlessly when registered already
        heard = false;
        return CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    ~WallpaperChangeHeard() { DestroyWindow(window); }
};

// One started Pelto. Under Wine the skin takes no drop once a box or dialog it owns
// has been up: the drops that ask nothing come first, the one question last. Then
// the wallpaper dialog, leaving Windows answered No, and each applet: with
// control.exe gone it says so; with the recording stand-in (its log named in the
// environment Pelto passes on) it starts that with its applet, and says nothing.
TEST(SystemCommands, System_DropsWallpaperDialogExitAnsweredNoAndTheApplets) {
    SetTestTimeLimit(420);
    PeltoSession s("system");
    const std::string log = s.folder.File("control-arguments.txt");
    SetEnvironmentVariableA("PELTO_CONTROL_LOG", log.c_str());  // Pelto and its children inherit it
    s.Start();
    SetEnvironmentVariableA("PELTO_CONTROL_LOG", nullptr);
    WriteRegistryString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", kSentinelWallpaper);
    std::string upper = s.folder.File("LOUD.BMP"), text = s.folder.File("notes.txt"), lzh = s.folder.File("skin.LZH"), zip = s.folder.File("pack.Zip"),
                wall = s.folder.File("wall.bmp");
    for (const std::string& f : {upper, wall, text, lzh, zip})
        ASSERT_TRUE(f == upper || f == wall ? WriteBmp24(f, 16, 16, WallPixel) : WriteFileBytes(f, "data")) << "cannot write " << f;
    // Ignored: capital letters (archives too: no missing-library message), other
    // extensions, and a bitmap second in a drop.
    for (const std::vector<std::string>& drop : {std::vector<std::string>{upper}, {text}, {lzh}, {zip}, {text, wall}}) {
        SCOPED_TRACE(drop[0]);
        ASSERT_TRUE(DropOnSkin(100, 9, drop)) << "the drop was not accepted";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << DescribeBoxes(s.pelto);
        for (HWND box : s.pelto.MessageBoxes()) DismissMessageBox(box, IDNO);
    }
    EXPECT_TRUE(s.pelto.Running());
    {
        SCOPED_TRACE("a bitmap first of two files, answered Yes");
        WallpaperChangeHeard change;
        ASSERT_NE(change.window, nullptr) << "cannot make the window that hears settings changes";
        ASSERT_TRUE(DropOnSkin(100, 9, {wall, text})) << "the drop was not accepted";
        HWND box = ExpectBox(s.pelto, {wall + "\nこのファイルを壁紙に設定しますか？", "Pelto", s.skin});
        EXPECT_EQ(Wallpaper(), kSentinelWallpaper);  // nothing before the answer
        EXPECT_TRUE(DismissMessageBox(box, IDYES));
        EXPECT_TRUE(WaitUntil(5000, [&] { return Wallpaper() == wall; })) << "wallpaper is \"" << Wallpaper() << "\"";
        // Announced to every window, so that a desktop the shell draws (Windows 98's Active Desktop) repaints.
        EXPECT_TRUE(WaitUntil(5000, [] { return WallpaperChangeHeard::heard; })) << "no WM_SETTINGCHANGE for SPI_SETDESKWALLPAPER reached the driver's window";
    }
    {
        SCOPED_TRACE("a bitmap chosen in the dialog, which opens in C:\\Windows, is set at once");
        WriteRegistryString(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", kSentinelWallpaper);
        // A bitmap only in C:\Windows\: its bare name, typed, names it only from that folder.
        const std::string name = Format("pelto-wall-%lu.bmp", static_cast<unsigned long>(GetCurrentProcessId())), inWindows = "C:\\Windows\\" + name;
        ASSERT_TRUE(WriteBmp24(inWindows, 16, 16, WallPixel)) << "cannot write " << inWindows;
        struct Remove {
            std::string path;
            ~Remove() { DeleteFileA(path.c_str()); }
        } removeAfter{inWindows};
        s.ChooseFromMenu(IDM_WALLPAPER);
        HWND dialog = WaitForOpenDialog(s.pelto.pid());
        ASSERT_NE(dialog, nullptr) << "no open-file dialog: " << DescribeBoxes(s.pelto);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), s.skin) << "the dialog is not owned by the skin window";
        ClickDialogButton(dialog, IDCANCEL);
        EXPECT_TRUE(WindowGoes(dialog)) << "Cancel did not close the dialog";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_EQ(Wallpaper(), kSentinelWallpaper);

        s.ChooseFromMenu(IDM_WALLPAPER);
        dialog = WaitForOpenDialog(s.pelto.pid());
        ASSERT_NE(dialog, nullptr) << "no open-file dialog the second time";
        EXPECT_EQ(ControlText(FileNameEdit(dialog)), "") << "the file name box starts with a name";
        EXPECT_TRUE(ChooseInOpenDialog(dialog, name)) << "OK did not close the open-file dialog";
        EXPECT_TRUE(WaitUntil(8000, [&] { return _stricmp(Wallpaper().c_str(), inWindows.c_str()) == 0; })) << "wallpaper is \"" << Wallpaper() << "\": the dialog did not open in C:\\Windows\\";
        EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "something is still open: " << DescribeBoxes(s.pelto);
    }
    const struct Row {
        const char* name;
        unsigned command;
        const char* text;  // the question, or the applet's arguments
    } questions[] = {{"ShutDown", IDM_SHUTDOWN, "Windowsを終了してよろしいですか"},
                             {"Restart", IDM_RESTART, "Windowsを再起動してよろしいですか"},
                             {"LogOff", IDM_LOGOFF, "ログオフしてよろしいですか"}};
    const Row applets[] = {{"System", IDM_CPL_SYSTEM, "sysdm.cpl,,0"}, {"AddRemove", IDM_CPL_APPWIZ, "appwiz.cpl"}, {"Display", IDM_CPL_DISPLAY, "desk.cpl"},
                           {"Multimedia", IDM_CPL_MULTIMEDIA, "mmsys.cpl,,0"}, {"Mouse", IDM_CPL_MOUSE, "main.cpl,,0"}};
    for (const auto& q : questions) {
        SCOPED_TRACE(q.name);
        s.ChooseFromMenu(q.command);
        AnswerBox(s.pelto, {q.text, "Pelto", s.skin, false, {IDYES, IDNO}}, IDNO);
        EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer after No: " << s.pelto;
        EXPECT_TRUE(s.pelto.MessageBoxes().empty());
        TargetProcess probe;  // Windows (the Wine session) is still there: a new process starts
        EXPECT_TRUE(probe.Start("--title \"Still Here\" --rect 10 400 100 100 --no-activate", "Still Here")) << "the session ended";
    }
    for (bool withStandIn : {false, true}) {
        ControlPanelSwap swap(withStandIn);
        ASSERT_TRUE(swap.ok) << "cannot swap " << swap.real;
        for (const auto& a : applets) {
            SCOPED_TRACE(std::string(a.name) + (withStandIn ? " with the stand-in" : " without control.exe"));
            DeleteFileA(log.c_str());
            s.ChooseFromMenu(a.command);
            if (!withStandIn) {
                AnswerBox(s.pelto, {"起動に失敗しました。", "Pelto", s.skin});
                continue;
            }
            const std::string expected = std::string(a.text) + "\n";
            EXPECT_TRUE(WaitUntil(5000, [&] { return ReadFileText(log) == expected; })) << "control.exe's arguments: " << Printable(ReadFileText(log));
            EXPECT_TRUE(s.pelto.MessageBoxes().empty()) << "a message after a successful start: " << DescribeBoxes(s.pelto);
        }
    }
}

}  // namespace
