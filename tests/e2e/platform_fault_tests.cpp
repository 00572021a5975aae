// Faults that Wine hides unless a test sets the scene.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "launcher_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/moldra_ids.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

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

// One Pelto through the cases its traces name; a skin browsed in the settings
// dialog keeps the old picture until the restart.
TEST(PlatformFault, PlatformFault_PluginsOtherBitnessRenameAndBrowse) {
    SetTestTimeLimit(270);
    // Set by run_e2e.sh, with the reason, where no 32-bit program starts (then only the 64-bit run runs).
    const std::string other = OtherBitnessTarget(), otherCannotRun = EnvironmentValue("PELTO_NO_32BIT");
    ASSERT_TRUE(!otherCannotRun.empty() || (!other.empty() && FileExists(other))) << "no PeltoTarget.exe of the other bitness (\"" << other << "\")";
    PeltoSession s("faultplugins");
    s.Start([](const InstallFolder& f) {
        return f.WriteSkinDefinition("green.skn", "green.bmp 2 -100 4 -100 4 Tester") && f.WriteSkinBitmap("green.bmp", 80, 30, NewSkinPixel) &&
               f.WriteSetting("300 0 nothing");
    });
    {
        // A 254-byte file name fits the bitmap field's 259 bytes, but the skin
        // folder and the name together are longer than a path may be.
        SCOPED_TRACE("Moldra writes the definition when only the bitmap's path is too long");
        HWND maker = OpenNewPluginDialog(s, "Moldra.ppi", "■　Quorval Moldra", "bundled");
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
    if (!otherCannotRun.empty()) {
        std::printf("NOT RUN: %s: a program of the other bitness: %s\n", CurrentTestName().c_str(), otherCannotRun.c_str());
    } else {
        SCOPED_TRACE("a program of the other bitness is found for the launcher and the plug-ins");
        ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture plug-in";
        s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
        const std::string exe = s.folder.File("other bits\\PeltoTarget.exe");
        CreateDirectoryA(s.folder.File("other bits").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(other.c_str(), exe.c_str(), FALSE)) << "cannot copy the other target";
        TargetProcess target;
        ASSERT_EQ(AddThisWindow(s, target, exe, "--title \"Other Bits\" --rect 150 200 500 300", "Other Bits"), "");
        const std::string expected = LauncherFileText({{ExpectedProgramPath(exe), "Other Bits"}});
        EXPECT_EQ(WaitForLauncherFile(s.folder, expected), expected) << "launch_data";
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
        ASSERT_EQ(AttachSkinTo(s, target.window()), "");
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
    ASSERT_EQ(AttachSkinTo(s, target.window()), "");
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
    // Back on the target the new offsets and size are in force at once (a resize, so a repaint)...
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
    // The control: where the new skin would be painted, its colour differs from the old picture's.
    EXPECT_FALSE(SameColour(before.At(10, 5), NewSkinPixel(10, 5))) << "the two skins share a colour at (10, 5)";
}

}  // namespace
