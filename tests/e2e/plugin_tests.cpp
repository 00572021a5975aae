// Plug-in discovery at start-up and on refresh, the plug-in popup, and starts, with the driver's fixture plug-ins.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "resources/moldra_ids.h"
#include "resources/resource_ids.h"
#include "resources/tachel_ids.h"
#include "target_support.h"
#include "win98_shim_support.h"

namespace {

using namespace e2e;

const std::vector<std::string> kDelivered = {"Moldra.ppi", "Tachel.ppi"};

// Starts the fixture plug-in `name` and waits for the file name.txt that it writes.
bool StartsAndWrites(const PeltoSession& s, const std::vector<std::string>& rows, const std::string& name) {
    const std::string marker = s.folder.File(name + ".txt");
    DeleteFileA(marker.c_str());
    if (!ChooseFromPluginPopup(s, RowOf(rows, name + ".ppi"), static_cast<int>(rows.size()))) return false;
    return WaitUntil(8000, [&] { return FileExists(marker); });
}

// The height of the plug-in popup, opened and closed again (0 when none opens).
int PopupHeight(const PeltoSession& s) {
    HWND popup = OpenPluginPopup(s);
    if (!popup) return 0;
    const RECT r = WindowRect(popup);
    CloseMenu(s.pelto.pid());  // waits until no menu shows
    return r.bottom - r.top;
}

// Refreshes the list and waits until Pelto has dealt with it: no message.
void RefreshQuietly(const PeltoSession& s, const char* when) {
    s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a message " << when;
}

// Where the picture appears whole in the shot, as top-left points.
std::vector<POINT> FindPicture(const Image& shot, const Image& picture) {
    std::vector<POINT> found;
    for (int y = 0; y + picture.height <= shot.height; ++y)
        for (int x = 0; x + picture.width <= shot.width; ++x) {
            bool same = true;
            for (int py = 0; py < picture.height && same; ++py)
                for (int px = 0; px < picture.width && same; ++px)
                    same = SameColour(shot.At(x + px, y + py), picture.At(px, py));
            if (same) found.push_back({x, y});
        }
    return found;
}

// One Pelto: discovery at the start and on refresh, the popup's rows and icons, what a start gets, failed starts.
TEST(Plugins, Plugins_DiscoveryThePopupAndStarts) {
    SetTestTimeLimit(240);
    PeltoSession s("plugins");
    ASSERT_TRUE(s.folder.ok() && InstallFixture(s.folder, "no_getdata") && CreateDirectoryA(s.folder.File("plugins\\x.ppi").c_str(), nullptr) &&
                WriteFileBytes(s.folder.File("plugins\\notes.ppi"), "not a library\r\n")) << "cannot write the test files";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "Pelto did not start";
    {
        SCOPED_TRACE("discovery reports non-plug-ins with no owner, at the start and on every refresh");
        // Two files are not plug-ins: two messages before the skin window exists; the folder x.ppi makes none.
        for (int i = 0; i < 2; ++i) {
            HWND box = ExpectBox(s.pelto, {kNotAPluginText, "Pelto", nullptr}, 15000);
            EXPECT_TRUE(s.pelto.SkinWindows().empty()) << "the skin window exists during discovery";
            ASSERT_TRUE(DismissMessageBox(box)) << "message " << i + 1 << " of discovery did not close";
        }
        s.skin = s.pelto.WaitForSkinWindow(15000, false);
        ASSERT_NE(s.skin, nullptr) << "no skin window after discovery: " << s.pelto;
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a third discovery message (the folder x.ppi?)";
        for (int pass = 1; pass <= 2; ++pass) {
            SCOPED_TRACE(Format("refresh %d", pass));
            s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
            for (int i = 0; i < 2; ++i) AnswerBox(s.pelto, {kNotAPluginText, "Pelto", nullptr, false, {IDOK}});
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
            EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a third message";
        }
    }
    {
        SCOPED_TRACE("the rows: the delivered plug-ins, each closed by a button of its own, and no non-plug-ins");
        for (bool tachel : {false, true}) {
            HWND dialog = OpenNewPluginDialog(s, tachel ? "Tachel.ppi" : "Moldra.ppi", tachel ? "Quorval Tachel" : "■　Quorval Moldra", "delivered");
            ClickDialogButton(dialog, tachel ? IDC_METER_CLOSE : IDC_CANCEL_MAKER);
            EXPECT_TRUE(WindowGoes(dialog)) << "its own button did not close it";
        }
        // Without the files that are no plug-ins the popup is just as tall.
        const int withOthers = PopupHeight(s);
        ASSERT_TRUE(DeleteFileA(s.folder.File("plugins\\no_getdata.ppi").c_str()) &&
                    DeleteFileA(s.folder.File("plugins\\notes.ppi").c_str())) << "cannot delete the non-plug-ins";
        RefreshQuietly(s, "without the non-plug-ins");
        EXPECT_GT(withOthers, 0) << "no popup with the non-plug-ins";
        EXPECT_EQ(PopupHeight(s), withOthers) << "the popup's height without the non-plug-ins";
    }
    {
        SCOPED_TRACE("the popup's rows show the plug-in icon");
        // The icon as the popup draws it: from the built Pelto.exe, 16 x 16 over the menu colour.
        DataModule module(JoinPath(StagedInstall(), "Pelto.exe"));
        HICON handle = module.get() ? static_cast<HICON>(LoadImageA(module.get(), MAKEINTRESOURCEA(IDI_PLUGIN_ITEM), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)) : nullptr;
        ASSERT_NE(handle, nullptr) << "cannot read the plug-in icon from Pelto.exe";
        const Image icon = DrawnIcon(handle, 16, GetSysColor(COLOR_MENU));
        DestroyIcon(handle);
        ASSERT_TRUE(icon.ok()) << "cannot draw the plug-in icon";
        int drawn = 0;
        for (COLORREF c : icon.pixels) drawn += !SameColour(c, GetSysColor(COLOR_MENU));
        ASSERT_GT(drawn, 20) << "pixels the icon draws: a match would prove nothing";
        ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
        HWND popup = OpenPluginPopup(s);
        ASSERT_NE(popup, nullptr) << "no plug-in popup";
        const RECT r = WindowRect(popup);
        // The popup is drawn once both icons show on the screen.
        std::vector<POINT> at;
        WaitUntil(3000, [&] {
            const Image shot = CaptureScreen(r);
            at = shot.ok() ? FindPicture(shot, icon) : std::vector<POINT>();
            return at.size() == kDelivered.size();
        });
        CloseMenu(s.pelto.pid());
        ASSERT_EQ(at.size(), kDelivered.size()) << "times the icon appears in the popup " << RectText(r);
        EXPECT_TRUE(at[0].x == at[1].x && at[1].y - at[0].y == 20 && at[0].x <= 5 && at[0].y <= 7) << Format("the icons are at (%ld, %ld) and (%ld, %ld) in the popup, expected one column, 20 pixels apart, at its left", at[0].x, at[0].y, at[1].x, at[1].y);
    }
    {
        SCOPED_TRACE("refresh lists a new file, and its start gets the host's window, path and target");
        const RECT skinAtStart = WindowRect(s.skin);
        TargetProcess target;
        ASSERT_TRUE(StartPopupTarget(target, "Plugin Target", {300, 300, 700, 600})) << "no target window";
        ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), skinAtStart); })) << "no tick took the target: skin at " << RectText(WindowRect(s.skin));
        const int before = PopupHeight(s);
        ASSERT_GT(before, 0) << "no plug-in popup";
        ASSERT_EQ(VisibleMenuWindow(s.pelto.pid()), nullptr) << "popup stayed open";
        // A file copied in now shows only after the refresh.
        ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture";
        EXPECT_EQ(PopupHeight(s), before) << "the popup's height after a copy without a refresh";
        s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
        EXPECT_GT(PopupHeight(s), before + before / 4) << "the popup did not grow by an item after the refresh";

        const std::vector<std::string> rows = PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi", "quick.ppi"});
        ASSERT_TRUE(RowOf(rows, "quick.ppi") >= 0 && rows.size() == 3) << "quick.ppi is not in the folder";
        ASSERT_TRUE(StartsAndWrites(s, rows, "quick")) << "the new plug-in at row " << RowOf(rows, "quick.ppi") << " did not start";
        // What PpiStart was given, one "name=value" line each.
        const std::string marker = "\n" + ReadFileText(s.folder.File("quick.txt"));
        auto field = [&](const char* name) {
            const std::string key = "\n" + std::string(name) + "=";
            const std::size_t at = marker.find(key), from = at + key.size();
            return at == std::string::npos ? std::string("(missing)") : marker.substr(from, marker.find('\n', from) - from);
        };
        auto number = [](const void* p) { return Format("%llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(p))); };
        EXPECT_EQ(field("host"), number(s.skin));
        EXPECT_EQ(field("target"), number(target.window()));
        EXPECT_EQ(field("path"), s.folder.File("Pelto.exe"));
        // The target's program, found by the launcher's lookup when the start was chosen.
        EXPECT_EQ(field("exe"), ExpectedProgramPath(TestProgramPath("PeltoTarget.exe")));
        const DWORD thread = std::strtoul(field("thread").c_str(), nullptr, 10);
        EXPECT_NE(thread, 0u) << "PpiStart's thread";
        EXPECT_NE(thread, GetWindowThreadProcessId(s.skin, nullptr)) << "PpiStart ran on the skin window's thread";
        // A PpiStart that returns at once: its thread ends and the library goes.
        if (HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, thread)) {
            EXPECT_EQ(WaitForSingleObject(handle, 5000), WAIT_OBJECT_0) << "the plug-in thread " << thread << " did not end";
            CloseHandle(handle);
        }
        EXPECT_TRUE(WaitUntil(5000, [&] { return !ModuleLoaded(s.pelto.pid(), "quick.ppi"); })) << "quick.ppi is still loaded after its PpiStart returned";
        EXPECT_TRUE(s.pelto.Running());
        // On the Windows 98 run (only), Pelto and the plug-in it started ran under the shim of 98's rules.
        EXPECT_EQ(ModuleLoaded(s.pelto.pid(), "Win98Shim.dll"), Win98ShimWanted()) << "the Windows 98 shim in Pelto";
        if (Win98ShimWanted()) {
            EXPECT_TRUE(Win98ShimLogged(" LOADED Pelto.exe ")) << "the shim did not patch Pelto.exe";
            EXPECT_TRUE(Win98ShimLogged(" PATCHED quick.ppi ")) << "the shim did not patch the plug-in it loaded";
        }
    }
    SCOPED_TRACE("start failures are owned by the skin window and Pelto goes on");
    std::vector<std::string> valid = {"Moldra.ppi", "Tachel.ppi", "quick.ppi"};
    for (const char* name : {"second", "no_start", "decorated", "name100", "name150"}) {
        ASSERT_TRUE(InstallFixture(s.folder, name)) << "cannot copy " << name;
        valid.push_back(std::string(name) + ".ppi");
    }
    RefreshQuietly(s, "with plug-ins that all have PpiGetData");
    const std::vector<std::string> rows = PluginRowOrder(s.folder, valid);
    ASSERT_EQ(rows.size(), valid.size()) << "the plug-ins are not all in the folder";
    const int count = static_cast<int>(rows.size());
    // Deleted after the refresh: the start reports it.
    ASSERT_TRUE(DeleteFileA(s.folder.File("plugins\\quick.ppi").c_str())) << "cannot delete quick.ppi";
    ASSERT_TRUE(ChooseFromPluginPopup(s, RowOf(rows, "quick.ppi"), count)) << "cannot choose from the popup";
    AnswerBox(s.pelto, {kMissingPluginText, "Pelto", s.skin, false, {IDOK}});
    // No PpiStart, or only a decorated _PpiStart@16: not a plug-in, at the start.
    for (const std::string name : {"no_start", "decorated"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(ChooseFromPluginPopup(s, RowOf(rows, name + ".ppi"), count)) << "cannot choose it";
        AnswerBox(s.pelto, {kNotAPluginText, "Pelto", s.skin, false, {IDOK}});
        EXPECT_FALSE(FileExists(s.folder.File(name + ".txt"))) << "it was started";
    }
    // Pelto goes on: the other rows start, names of exactly 100 bytes and beyond the contract's among them.
    for (const char* name : {"second", "name100", "name150"}) EXPECT_TRUE(StartsAndWrites(s, rows, name)) << name << ".ppi did not start";
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "an unexpected message";
    EXPECT_TRUE(s.pelto.Running());
}

// More files than rows and an overlong path, each noted at the start; then no plug-ins at all.
TEST(Plugins, Plugins_MoreFilesThanRowsAndOverlongPathsAreSkippedWithANoteAndNoPluginsShowNoPopup) {
    PeltoSession s("toomany");
    ASSERT_TRUE(s.folder.ok()) << "no install folder";
    // 98 copies and the two delivered plug-ins fill the 100 rows; two more do not fit.
    const std::string source = FixturePath("quick");
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(CopyFileA(source.c_str(), s.folder.File(Format("plugins\\q%03d.ppi", i)).c_str(), FALSE)) << "cannot copy copy " << i;
    // A name that makes the full path longer than a row's 100 characters.
    const std::string prefix = s.folder.File("plugins\\");
    const std::string longName = std::string(101 - prefix.size(), 'L') + ".ppi";
    ASSERT_TRUE(CopyFileA(source.c_str(), (prefix + longName).c_str(), FALSE)) << "cannot copy the long name";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "Pelto did not start";
    AnswerBox(s.pelto, {"プラグインが多すぎます。\n最初に見つかった100個だけを一覧に載せました。", "Pelto", nullptr, false, {IDOK}});
    AnswerBox(s.pelto, {"パスが長すぎるプラグインがあります。\nそのプラグインは一覧に載せませんでした。\nPeltoを短いパスのフォルダに置いてください。", "Pelto", nullptr, false, {IDOK}});
    s.skin = s.pelto.WaitForSkinWindow(30000, false);
    ASSERT_NE(s.skin, nullptr) << "no skin window: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running());

    // Positive control for both notes: without the extra files, a refresh (the same discovery) shows neither.
    for (int i = 98; i < 100; ++i) DeleteFileA(s.folder.File(Format("plugins\\q%03d.ppi", i)).c_str());
    DeleteFileA((prefix + longName).c_str());
    RefreshQuietly(s, "with exactly 100 plug-ins");

    // No plugins folder, then an empty one, refreshed: neither the keys nor the main menu's list open a popup, no message.
    const std::string plugins = s.folder.File("plugins");
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "with an empty plugins folder" : "with no plugins folder");
        RemoveTree(plugins);
        ASSERT_TRUE(folder ? CreateDirectoryA(plugins.c_str(), nullptr) != 0 : GetFileAttributesA(plugins.c_str()) == INVALID_FILE_ATTRIBUTES)
            << "cannot empty or remove plugins";
        RefreshQuietly(s, "on the refresh");
        ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, 'X'})) << "cannot send Ctrl+Shift+X";  // as OpenPluginPopup does
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_EQ(VisibleMenuWindow(s.pelto.pid()), nullptr) << "a popup opened for the keys";
        s.ChooseFromMenu(IDM_PLUGIN_LIST);
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_EQ(VisibleMenuWindow(s.pelto.pid()), nullptr) << "the main menu's plug-in list opened a popup";
        EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a message with no plug-ins";
    }
    // Positive control: one plug-in and a refresh, and the same keys open the popup.
    ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture";
    s.ChooseFromMenu(IDM_PLUGIN_REFRESH);
    EXPECT_NE(OpenPluginPopup(s), nullptr) << "no popup with one plug-in";
    CloseMenu(s.pelto.pid());
}

}  // namespace
