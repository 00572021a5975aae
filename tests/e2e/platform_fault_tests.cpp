// Faults that Wine hides unless a test sets the scene: the Windows 98 CPU
// statistic as a binary value, the skin picture after a browse in the settings
// dialog, a target of the other bitness, a save cut short between its two
// moves, the window commands right after a rename, and Moldra with a bitmap
// path too long for the skin folder.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"

namespace {

using namespace e2e;

const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));
const char kStartStat[] = "PerfStats\\StartStat";
const char kStatData[] = "PerfStats\\StatData";
const char kCpuUsage[] = "KERNEL\\CPUUsage";

// The CPU statistic as Windows 95/98 keeps it: a 4-byte binary value under
// both keys. Wine has neither value (and no StartStat key): the object puts
// that state back when it goes.
class NineXStatistic {
public:
    NineXStatistic() {
        HKEY key = nullptr;
        hadStartStat_ = RegOpenKeyExA(kDynData, kStartStat, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
    }
    ~NineXStatistic() {
        for (const char* name : {kStartStat, kStatData}) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(kDynData, name, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, kCpuUsage);
                RegCloseKey(key);
            }
        }
        if (!hadStartStat_) RegDeleteKeyA(kDynData, kStartStat);
    }
    NineXStatistic(const NineXStatistic&) = delete;
    NineXStatistic& operator=(const NineXStatistic&) = delete;

    bool Set(DWORD percent) const { return Write(kStartStat, 0) && Write(kStatData, percent); }

private:
    static bool Write(const char* name, DWORD value) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(kDynData, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
            ERROR_SUCCESS)
            return false;
        const bool ok = RegSetValueExA(key, kCpuUsage, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value),
                                       sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
    bool hadStartStat_ = false;
};

HWND OpenMeter(const PeltoSession& s) {
    const int row = RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), "Tachel.ppi");
    if (row < 0 || !ChooseFromPluginPopup(s, row, 2)) return nullptr;
    // The first start loads the library and its dialog on a new thread: slow on
    // a loaded machine.
    return WaitForDialog(s.pelto.pid(), "Quorval Tachel", 20000);
}

int BarReading(HWND meter) { return static_cast<int>(SendMessageA(GetDlgItem(meter, 1000), PBM_GETPOS, 0, 0)); }

TEST(PlatformFault, PlatformFault_TachelShowsTheWindows98StatisticStoredAsBinary) {
    PeltoSession s("faulttachel");
    NineXStatistic statistic;
    ASSERT_TRUE(statistic.Set(37)) << "cannot write the statistic under HKEY_DYN_DATA";
    s.Start();
    HWND meter = OpenMeter(s);
    ASSERT_TRUE(meter != nullptr) << "no meter: " << s.pelto;
    if (ReportedWindowsFamily() == ReportedFamily::Windows9x) {
        EXPECT_TRUE(WaitUntil(3000, [&] { return BarReading(meter) == 37; })) << Format("the bar reads %d, not the statistic's 37", BarReading(meter));
        ASSERT_TRUE(statistic.Set(64)) << "cannot change the statistic";
        EXPECT_TRUE(WaitUntil(3000, [&] { return BarReading(meter) == 64; })) << Format("the bar reads %d, not the new 64", BarReading(meter));
    } else {
        // The NT family has no such statistic: the bar shows the machine's
        // load, whatever the registry holds.
        BusyProcessors busy;
        EXPECT_TRUE(WaitUntil(4000, [&] { return BarReading(meter) >= 80; })) << Format("with every processor busy the bar reads %d", BarReading(meter));
    }
    ClickDialogButton(meter, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(meter); })) << "the x did not end the meter";
}

COLORREF NewSkinPixel(int x, int y) { return RGB(30 + x, 200, 90 + y); }

// The screen inside the window's region, against an earlier capture of the
// same window; out of both, only the rows and columns both captures hold.
int DifferingPixels(HWND window, const Image& before, const Image& now, std::string* first) {
    int type = ERROR;
    HRGN region = CopyWindowRegion(window, &type);
    if (!region) {
        *first = "no region";
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < std::min(before.height, now.height); ++y)
        for (int x = 0; x < std::min(before.width, now.width); ++x) {
            if (!PtInRegion(region, x, y) || SameColour(before.At(x, y), now.At(x, y))) continue;
            if (differing++ == 0)
                *first = Format("(%d, %d) was %s, is %s", x, y, ColourText(before.At(x, y)).c_str(),
                                ColourText(now.At(x, y)).c_str());
        }
    DeleteObject(region);
    return differing;
}

TEST(PlatformFault, PlatformFault_BrowsedSkinKeepsTheOldPictureUntilTheRestart) {
    PeltoSession s("faultpicture");
    ASSERT_TRUE(s.folder.WriteSkinDefinition("green.skn", "green.bmp 2 -100 4 -100 4 Tester") &&
                    s.folder.WriteSkinBitmap("green.bmp", 80, 30, NewSkinPixel) &&
                    s.folder.WriteSetting("300 0 nothing")) << "cannot write the skin files";
    s.Start();
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Picture Target", {200, 150, 800, 550})) << "no target";
    ASSERT_TRUE(BringToForeground(target.window())) << "the target did not come to the front";
    ASSERT_TRUE(WaitForWindowAt(s.skin, 800 - 265, 154)) << Format("the skin did not attach: %s", RectText(WindowRect(s.skin)).c_str());
    WaitForPointerToRest();
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    const Image before = CaptureScreen(WindowRect(s.skin));
    ASSERT_TRUE(before.ok()) << "no capture";
    // The capture shows the skin: the default picture inside the window's shape.
    const Image shown = LoadBmpPixels(s.folder.File("skin\\default.bmp"));
    std::string first;
    int differing = DifferingPixels(s.skin, shown, before, &first);
    ASSERT_TRUE(differing == 0) << Format("%d pixels of the skin window do not show the default skin: %s", differing, first.c_str());

    HWND dialog = s.OpenDialog(40039, "■　Peltoの設定");
    ClickDialogButton(dialog, 1007);
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), dialog);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog: " << s.pelto;
    ASSERT_TRUE(ChooseInOpenDialog(chooser, s.folder.File("skin\\green.skn"))) << "the open-file dialog stayed open";
    ClickDialogButton(dialog, 1012);
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "cancel did not end the dialog";

    // Back on the target the new offsets and size are in force at once (the
    // window is resized, so repainted)...
    ASSERT_TRUE(BringToForeground(target.window())) << "the target did not come to the front";
    EXPECT_TRUE(WaitUntil(5000, [&] {
                  const RECT r = WindowRect(s.skin);
                  return r.left == 700 && r.top == 154 && r.right - r.left == 80 && r.bottom - r.top == 30;
              })) << Format("the skin is at %s, expected the browsed skin's place and size (700, 154) 80 x 30", RectText(WindowRect(s.skin)).c_str());
    WaitForPointerToRest();
    // ... and painted again once more on purpose; the picture is the old one.
    RedrawWindow(s.skin, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    const Image after = CaptureScreen(WindowRect(s.skin));
    differing = DifferingPixels(s.skin, before, after, &first);
    Trace("at (10, 5): before %s, after %s; %d pixels differ", ColourText(before.At(10, 5)).c_str(),
          ColourText(after.At(10, 5)).c_str(), differing);
    EXPECT_TRUE(differing == 0) << Format("%d pixels inside the window changed after the browse: %s", differing, first.c_str());
    // The capture does see the new skin's colours where they would be painted:
    // a pixel of the new bitmap differs from the old picture at the same place.
    EXPECT_TRUE(!SameColour(before.At(10, 5), NewSkinPixel(10, 5))) << "the two skins share a colour at (10, 5)";
}

TEST(PlatformFault, PlatformFault_ProgramOfTheOtherBitnessIsFoundForTheLauncherAndPlugins) {
    const std::string other = OtherBitnessTarget();
    ASSERT_TRUE(!other.empty() && FileExists(other)) << Format("no PeltoTarget.exe of the other bitness (\"%s\")", other.c_str());
    PeltoSession s("faultbitness");
    s.Start();
    ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture plug-in";
    s.ChooseFromMenu(40064);  // the plug-in list again, now with the fixture
    const std::string exe = s.folder.File("other bits\\PeltoTarget.exe");
    CreateDirectoryA(s.folder.File("other bits").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(other.c_str(), exe.c_str(), FALSE)) << "cannot copy the other target";
    TargetProcess target;
    const RECT before = WindowRect(s.skin);
    ASSERT_TRUE(target.StartProgram(exe, "--title \"Other Bits\" --rect 150 200 500 300", "Other Bits")) << "no target window of the other bitness";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "the skin did not attach";
    ASSERT_TRUE(WaitForTick(s.skin)) << "no tick after the target was found";

    s.ChooseFromMenu(40060);
    std::string expectedPath = ExpectedProgramPath(exe);
    std::replace(expectedPath.begin(), expectedPath.end(), ' ', '?');
    const std::string expected = "1\n" + expectedPath + "\nOther?Bits\n";
    EXPECT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; })) << Format("launch_data is \"%s\", expected \"%s\"", Printable(LauncherFileOf(s.folder)).c_str(), Printable(expected).c_str());

    std::vector<std::string> rows = PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi", "quick.ppi"});
    const int row = RowOf(rows, "quick.ppi");
    ASSERT_TRUE(row >= 0 && rows.size() == 3) << "quick.ppi is not listed";
    DeleteFileA(s.folder.File("quick.txt").c_str());
    ASSERT_TRUE(ChooseFromPluginPopup(s, row, 3)) << "no plug-in popup";
    ASSERT_TRUE(WaitUntil(8000, [&] { return FileExists(s.folder.File("quick.txt")); })) << "the plug-in did not start";
    const std::string marker = ReadFileText(s.folder.File("quick.txt"));
    const std::string line = "\nexe=" + ExpectedProgramPath(exe) + "\n";
    EXPECT_TRUE(marker.find(line) != std::string::npos) << Format("the plug-in was given \"%s\", expected the line \"%s\"", Printable(marker).c_str(), Printable(line).c_str());
}

COLORREF SavedSkinPixel(int x, int y) { return RGB(90, 60 + x, 150 + y); }

TEST(PlatformFault, PlatformFault_SaveCutShortComesBackAtStartFromTheWholeNewTextOrElseTheOldFile) {
    PeltoSession s("faultold");
    // What a crash between the two moves of a Windows 9x save leaves: the old
    // files set aside and the new texts that never got into place. The new
    // setting is whole and wins; the new launcher list is cut short (a pair is
    // missing), so the one set aside comes back.
    ASSERT_TRUE(s.folder.WriteSkinDefinition("saved.skn", "saved.bmp 2 -100 4 -100 4 Tester") &&
                    s.folder.WriteSkinBitmap("saved.bmp", 70, 26, SavedSkinPixel) &&
                    WriteFileBytes(s.folder.File("setting.old"), "800 0 nothing") &&
                    WriteFileBytes(s.folder.File("setting.tmp"), "300 0 saved.skn") &&
                    WriteFileBytes(s.folder.File("launch_data.old"), LauncherFileText({{"C:\\kept.exe", "Kept"}})) &&
                    WriteFileBytes(s.folder.File("launch_data.tmp"), "2\nC:\\new.exe\nNew\n")) << "cannot write the files";
    ASSERT_TRUE(!FileExists(s.folder.File("setting")) && !FileExists(s.folder.File("launch_data"))) << "the install folder already holds setting or launch_data";
    s.Start();
    const RECT r = WindowRect(s.skin);
    EXPECT_TRUE(r.right - r.left == 70 && r.bottom - r.top == 26) << Format("the skin window is %s, not the saved 70 x 26 skin", RectText(r).c_str());
    EXPECT_EQ(ReadFileText(s.folder.File("setting")), "300 0 saved.skn");
    EXPECT_TRUE(!FileExists(s.folder.File("setting.old")) && !FileExists(s.folder.File("setting.tmp"))) << "setting.old or setting.tmp is still there";
    EXPECT_EQ(LauncherFileOf(s.folder), LauncherFileText({{"C:\\kept.exe", "Kept"}}));
    EXPECT_TRUE(!FileExists(s.folder.File("launch_data.old")) && !FileExists(s.folder.File("launch_data.tmp"))) << "launch_data.old or launch_data.tmp is still there";

    // The kept list is the one in use: the launcher popup opens with its entry
    // (an empty list opens none).
    EXPECT_TRUE(OpenMenuWithHotkey(s.pelto.pid(), 'Z') != nullptr) << "no launcher popup: the list set aside was not read";
    CloseMenu(s.pelto.pid());
}

// The main menu by its hotkey, then its keys: down to the third entry (the
// active-window pop-up), into it, down `steps` entries and Enter.
bool ChooseActiveWindowCommand(const PeltoSession& s, int steps) {
    if (!OpenMenuWithHotkey(s.pelto.pid(), 'A')) return false;
    std::vector<WORD> keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT};
    keys.insert(keys.end(), static_cast<std::size_t>(steps), VK_DOWN);
    keys.push_back(VK_RETURN);
    for (WORD key : keys)
        if (!PressKeys({key})) return false;
    return WaitUntil(5000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; });
}

TEST(PlatformFault, PlatformFault_WindowCommandsActOnTheTargetRightAfterARename) {
    PeltoSession s("faultrename");
    s.Start();
    TargetProcess target;
    ASSERT_TRUE(target.Start("--title \"Before Rename\" --rect 200 150 500 350", "Before Rename")) << "no target";
    ASSERT_TRUE(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; })) << "the skin never attached";
    ASSERT_TRUE(WaitForTick(s.skin)) << "no tick after the target was found";
    HWND dialog = s.OpenDialog(40036, "■　アクティブウインドウの名前の変更");
    SetControlText(dialog, 1003, "After Rename");
    ClickDialogButton(dialog, 1001);
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "OK did not end the dialog";
    ASSERT_TRUE(WaitUntil(5000, [&] { return WindowText(target.window()) == "After Rename"; })) << Format("the target is titled \"%s\"", WindowText(target.window()).c_str());

    // Without touching the target: 最大化, then 終了, from the menu.
    ASSERT_TRUE(ChooseActiveWindowCommand(s, 1)) << "could not choose the maximize command";
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsZoomed(target.window()) != FALSE; })) << "the renamed target was not maximized";
    ASSERT_TRUE(ChooseActiveWindowCommand(s, 3)) << "could not choose the close command";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !target.Running(); })) << "the renamed target was not closed";
    EXPECT_TRUE(s.pelto.Running());
}

const char kMoldraCaption[] = "■　Quorval Moldra";

TEST(PlatformFault, PlatformFault_MoldraWritesTheDefinitionWhenOnlyTheBitmapPathIsTooLong) {
    PeltoSession s("faultmoldra");
    s.Start();
    const int row = RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), "Moldra.ppi");
    ASSERT_TRUE(row >= 0 && ChooseFromPluginPopup(s, row, 2)) << "no plug-in popup";
    HWND dialog = WaitForDialog(s.pelto.pid(), kMoldraCaption, 8000);
    ASSERT_TRUE(dialog != nullptr) << "no Moldra dialog: " << s.pelto;
    // A 254-byte file name: the bitmap field holds 259 bytes, but the skin
    // folder and the name together are longer than a path may be.
    const std::string name = std::string(250, 'b') + ".bmp";
    const std::string source = "C:\\b\\" + name;
    ASSERT_TRUE(s.folder.File("skin\\").size() + name.size() > 259) << "the install folder's path is too short";
    SetControlText(dialog, 1000, "longbitmap");
    SetControlText(dialog, 1001, source);
    SetControlText(dialog, 1003, "Tester");
    ClickDialogButton(dialog, 1004);
    AnswerBox(s.pelto, {"ビットマップファイルのコピーに失敗しました。\nお手数ですが、手動でコピーをして下さい。", "Moldra", dialog});
    AnswerBox(s.pelto, {"貴方のスキンは正常に作成・インストールされました。", "Moldra", dialog});
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "the dialog stayed open";
    EXPECT_EQ(ReadFileText(s.folder.File("skin\\longbitmap.skn")), name + " 2 0 0 0 0 Tester");
}

}  // namespace
