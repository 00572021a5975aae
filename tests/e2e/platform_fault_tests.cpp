// Faults that Wine hides unless a test sets the scene.
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
#include "resources/moldra_ids.h"
#include "resources/resource_ids.h"
#include "resources/tachel_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));
const char kStartStat[] = "PerfStats\\StartStat", kStatData[] = "PerfStats\\StatData", kCpuUsage[] = "KERNEL\\CPUUsage";

// The CPU statistic as Windows 95/98 keeps it: a 4-byte binary value under
// both keys. Wine has neither value (and no StartStat key): the object puts
// that state back when it goes.
struct NineXStatistic {
    HKEY startStat = nullptr;
    const bool hadStartStat = RegOpenKeyExA(kDynData, kStartStat, 0, KEY_READ, &startStat) == ERROR_SUCCESS;
    ~NineXStatistic() {
        if (startStat) RegCloseKey(startStat);
        for (const char* name : {kStartStat, kStatData}) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(kDynData, name, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
            RegDeleteValueA(key, kCpuUsage);
            RegCloseKey(key);
        }
        if (!hadStartStat) RegDeleteKeyA(kDynData, kStartStat);
    }
    static bool Write(const char* name, DWORD value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(kDynData, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return false;
        const bool ok = RegSetValueExA(key, kCpuUsage, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok;
    }
    bool Set(DWORD percent) const { return Write(kStartStat, 0) && Write(kStatData, percent); }
};

// Opens one of the two bundled plug-ins from the plug-in popup and waits for its
// dialog. The first start loads the library and its dialog on a new thread:
// slow on a loaded machine.
HWND OpenBundledPlugin(const PeltoSession& s, const char* file, const char* caption) {
    const int row = RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), file);
    HWND dialog = row >= 0 && ChooseFromPluginPopup(s, row, 2) ? WaitForDialog(s.pelto.pid(), caption, 20000) : nullptr;
    [&] { ASSERT_TRUE(dialog != nullptr) << "no " << caption << ": " << s.pelto; }();
    return dialog;
}

int BarReading(HWND meter) { return static_cast<int>(SendMessageA(GetDlgItem(meter, IDC_METER_BAR), PBM_GETPOS, 0, 0)); }

COLORREF NewSkinPixel(int x, int y) { return RGB(30 + x, 200, 90 + y); }

// The screen inside the window's region, against an earlier capture of the
// same window; out of both, only the rows and columns both captures hold.
int DifferingPixels(HWND window, const Image& before, const Image& now, std::string* first) {
    int type = ERROR, differing = 0;
    HRGN region = CopyWindowRegion(window, &type);
    *first = region ? "" : "no region";
    if (!region) return -1;
    for (int y = 0; y < std::min(before.height, now.height); ++y)
        for (int x = 0; x < std::min(before.width, now.width); ++x) {
            if (!PtInRegion(region, x, y) || SameColour(before.At(x, y), now.At(x, y))) continue;
            if (differing++ == 0) *first = Format("(%d, %d) was %s, is %s", x, y, ColourText(before.At(x, y)).c_str(), ColourText(now.At(x, y)).c_str());
        }
    DeleteObject(region);
    return differing;
}

// One Pelto: Tachel with the Windows 98 statistic, Moldra with a bitmap path too
// long for the skin folder, a target of the other bitness for the launcher and
// a plug-in; then the window commands right after a rename, and a skin browsed
// in the settings dialog, whose picture stays the old one until the restart.
TEST(PlatformFault, PlatformFault_PluginsOtherBitnessRenameAndBrowse) {
    SetTestTimeLimit(270);
    const std::string other = OtherBitnessTarget();
    ASSERT_TRUE(!other.empty() && FileExists(other)) << "no PeltoTarget.exe of the other bitness (\"" << other << "\")";
    PeltoSession s("faultplugins");
    NineXStatistic statistic;
    ASSERT_TRUE(statistic.Set(37)) << "cannot write the statistic under HKEY_DYN_DATA";
    s.Start([](const InstallFolder& f) {
        return f.WriteSkinDefinition("green.skn", "green.bmp 2 -100 4 -100 4 Tester") && f.WriteSkinBitmap("green.bmp", 80, 30, NewSkinPixel) &&
               f.WriteSetting("300 0 nothing");
    });
    {
        SCOPED_TRACE("Tachel shows the Windows 98 statistic stored as binary");
        HWND meter = OpenBundledPlugin(s, "Tachel.ppi", "Quorval Tachel");
        if (ReportedWindowsFamily() == ReportedFamily::Windows9x) {
            EXPECT_TRUE(WaitUntil(3000, [&] { return BarReading(meter) == 37; })) << "the bar reads " << BarReading(meter) << ", not the statistic's 37";
            ASSERT_TRUE(statistic.Set(64)) << "cannot change the statistic";
            EXPECT_TRUE(WaitUntil(3000, [&] { return BarReading(meter) == 64; })) << "the bar reads " << BarReading(meter) << ", not the new 64";
        } else {
            // The NT family has no such statistic: the bar shows the machine's load, whatever the registry holds.
            BusyProcessors busy;
            EXPECT_TRUE(WaitUntil(4000, [&] { return BarReading(meter) >= 80; })) << "with every processor busy the bar reads " << BarReading(meter);
        }
        ClickDialogButton(meter, IDC_METER_CLOSE);
        EXPECT_TRUE(WindowGoes(meter)) << "the x did not end the meter";
    }
    {
        // A 254-byte file name fits the bitmap field's 259 bytes, but the skin
        // folder and the name together are longer than a path may be.
        SCOPED_TRACE("Moldra writes the definition when only the bitmap's path is too long");
        HWND maker = OpenBundledPlugin(s, "Moldra.ppi", "■　Quorval Moldra");
        const std::string name = std::string(250, 'b') + ".bmp";
        ASSERT_GT(s.folder.File("skin\\").size() + name.size(), 259u) << "the install folder's path is too short";
        SetControlText(maker, IDC_SKIN_NAME, "longbitmap");
        SetControlText(maker, IDC_BITMAP_PATH, "C:\\b\\" + name);
        SetControlText(maker, IDC_AUTHOR, "Tester");
        ClickDialogButton(maker, IDC_CREATE);
        AnswerBox(s.pelto, {"ビットマップファイルのコピーに失敗しました。\nお手数ですが、手動でコピーをして下さい。", "Moldra", maker});
        AnswerBox(s.pelto, {"貴方のスキンは正常に作成・インストールされました。", "Moldra", maker});
        EXPECT_TRUE(WindowGoes(maker)) << "the dialog stayed open";
        EXPECT_EQ(ReadFileText(s.folder.File("skin\\longbitmap.skn")), name + " 2 0 0 0 0 Tester");
    }
    {
        SCOPED_TRACE("a program of the other bitness is found for the launcher and the plug-ins");
        ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture plug-in";
        s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
        const std::string exe = s.folder.File("other bits\\PeltoTarget.exe");
        CreateDirectoryA(s.folder.File("other bits").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(other.c_str(), exe.c_str(), FALSE)) << "cannot copy the other target";
        TargetProcess target;
        const RECT before = WindowRect(s.skin);
        ASSERT_TRUE(target.StartProgram(exe, "--title \"Other Bits\" --rect 150 200 500 300", "Other Bits")) << "no target window of the other bitness";
        ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), before); })) << "the skin did not attach";
        ASSERT_TRUE(WaitForTick(s.skin)) << "no tick after the target was found";
        s.ChooseFromMenu(IDM_LAUNCHER_ADD);
        std::string expectedPath = ExpectedProgramPath(exe);
        std::replace(expectedPath.begin(), expectedPath.end(), ' ', '?');
        const std::string expected = "1\n" + expectedPath + "\nOther?Bits\n";
        EXPECT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; })) << "launch_data is " << Printable(LauncherFileOf(s.folder)) << ", expected " << Printable(expected);
        std::vector<std::string> rows = PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi", "quick.ppi"});
        const int row = RowOf(rows, "quick.ppi");
        ASSERT_TRUE(row >= 0 && rows.size() == 3) << "quick.ppi is not listed";
        DeleteFileA(s.folder.File("quick.txt").c_str());
        ASSERT_TRUE(ChooseFromPluginPopup(s, row, 3)) << "no plug-in popup";
        ASSERT_TRUE(WaitUntil(8000, [&] { return FileExists(s.folder.File("quick.txt")); })) << "the plug-in did not start";
        const std::string marker = ReadFileText(s.folder.File("quick.txt")), line = "\nexe=" + ExpectedProgramPath(exe) + "\n";
        EXPECT_NE(marker.find(line), std::string::npos) << "the plug-in was given " << Printable(marker) << ", expected the line " << Printable(line);
    }
    {
        SCOPED_TRACE("the window commands right after a rename");
        TargetProcess target;
        ASSERT_TRUE(target.Start("--title \"Before Rename\" --rect 200 150 500 350", "Before Rename")) << "no target";
        ASSERT_TRUE(WaitForWindowAt(s.skin, 700 - 265, 154)) << "the skin never attached: " << RectText(WindowRect(s.skin));
        ASSERT_TRUE(WaitForTick(s.skin)) << "no tick after the target was found";
        HWND dialog = s.OpenDialog(IDM_TARGET_RENAME, "■　アクティブウインドウの名前の変更");
        SetControlText(dialog, IDC_RENAME_NEW, "After Rename");
        ClickDialogButton(dialog, IDC_RENAME_OK);
        ASSERT_TRUE(WindowGoes(dialog)) << "OK did not end the dialog";
        ASSERT_TRUE(WaitUntil(5000, [&] { return WindowText(target.window()) == "After Rename"; })) << "the target is titled " << WindowText(target.window());
        // Without touching the target: 最大化, then 終了, from the menu.
        s.ChooseFromMenu(IDM_TARGET_MAXIMIZE);
        EXPECT_TRUE(WaitUntil(5000, [&] { return IsZoomed(target.window()) != FALSE; })) << "the renamed target was not maximized";
        s.ChooseFromMenu(IDM_TARGET_CLOSE);
        EXPECT_TRUE(WaitUntil(5000, [&] { return !target.Running(); })) << "the renamed target was not closed";
        EXPECT_TRUE(s.pelto.Running());
    }
    SCOPED_TRACE("the picture after a browse in the settings dialog");
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Picture Target", {200, 150, 800, 550})) << "no target";
    ASSERT_TRUE(BringToForeground(target.window())) << "the target did not come to the front";
    ASSERT_TRUE(WaitForWindowAt(s.skin, 800 - 265, 154)) << "the skin did not attach: " << RectText(WindowRect(s.skin));
    WaitForPointerToRest();
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    const Image before = CaptureScreen(WindowRect(s.skin));
    ASSERT_TRUE(before.ok()) << "no capture";
    // The capture shows the skin: the default picture inside the window's shape.
    std::string first;
    int differing = DifferingPixels(s.skin, LoadBmpPixels(s.folder.File("skin\\default.bmp")), before, &first);
    ASSERT_EQ(differing, 0) << "pixels of the skin window that do not show the default skin, the first " << first;

    HWND dialog = s.OpenDialog(IDM_SETTINGS, "■　Peltoの設定");
    ClickDialogButton(dialog, IDC_SETTINGS_BROWSE);
    HWND chooser = WaitForOpenDialog(s.pelto.pid(), dialog);
    ASSERT_TRUE(chooser != nullptr) << "no open-file dialog: " << s.pelto;
    ASSERT_TRUE(ChooseInOpenDialog(chooser, s.folder.File("skin\\green.skn"))) << "the open-file dialog stayed open";
    ClickDialogButton(dialog, IDC_SETTINGS_CANCEL);
    ASSERT_TRUE(WindowGoes(dialog)) << "cancel did not end the dialog";
    // Back on the target the new offsets and size are in force at once (the
    // window is resized, so repainted)...
    ASSERT_TRUE(BringToForeground(target.window())) << "the target did not come to the front";
    EXPECT_TRUE(WaitUntil(5000, [&] { return RectText(WindowRect(s.skin)) == RectText({700, 154, 780, 184}); })) << "the skin is at " << RectText(WindowRect(s.skin)) << ", expected the browsed skin's place and size (700, 154) 80 x 30";
    WaitForPointerToRest();
    // ... and painted again once more on purpose; the picture is the old one.
    RedrawWindow(s.skin, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    ASSERT_TRUE(RaiseSkinInX()) << "xdotool windowraise failed";
    const Image after = CaptureScreen(WindowRect(s.skin));
    differing = DifferingPixels(s.skin, before, after, &first);
    Trace("at (10, 5): before %s, after %s; %d pixels differ", ColourText(before.At(10, 5)).c_str(), ColourText(after.At(10, 5)).c_str(), differing);
    EXPECT_EQ(differing, 0) << "pixels inside the window that changed after the browse, the first " << first;
    // The capture does see the new skin's colours where they would be painted:
    // a pixel of the new bitmap differs from the old picture at the same place.
    EXPECT_FALSE(SameColour(before.At(10, 5), NewSkinPixel(10, 5))) << "the two skins share a colour at (10, 5)";
}

}  // namespace
