// Plug-in discovery at start-up and on refresh, the plug-in popup, and starting
// plug-ins on their own threads, with the fixture plug-ins built beside the
// driver.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "plugin_support.h"
#include "target_support.h"
#include "win98_shim_support.h"

namespace {

using namespace e2e;

constexpr unsigned kPluginListCommand = 40063;
constexpr unsigned kRefreshCommand = 40064;
const std::vector<std::string> kDelivered = {"Moldra.ppi", "Tachel.ppi"};

// Starts the fixture plug-in `name` and waits for the file name.txt that it writes.
bool StartsAndWrites(const PeltoSession& s, const std::vector<std::string>& rows, const std::string& name) {
    const std::string marker = s.folder.File(name + ".txt");
    DeleteFileA(marker.c_str());
    if (!ChooseFromPluginPopup(s, RowOf(rows, name + ".ppi"), static_cast<int>(rows.size()))) return false;
    return WaitUntil(8000, [&] { return FileExists(marker); });
}

// The plug-in popup's rectangle, opened and closed again (empty when none opens).
RECT PopupRect(const PeltoSession& s) {
    HWND popup = OpenPluginPopup(s);
    if (!popup) return RECT{0, 0, 0, 0};
    const RECT r = WindowRect(popup);
    CloseMenu(s.pelto.pid());
    WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; });
    return r;
}

int Height(const RECT& r) { return r.bottom - r.top; }

// The rows a meter or skin maker opens from: which delivered plug-in a row starts.
bool RowOpensDialog(const PeltoSession& s, int row, int rowCount, const char* caption) {
    if (!ChooseFromPluginPopup(s, row, rowCount)) return false;
    HWND dialog = WaitForDialog(s.pelto.pid(), caption, 8000);
    if (!dialog) return false;
    // Both close through a button of their own: Tachel's "x", Moldra's cancel.
    ClickDialogButton(dialog, std::string(caption) == "Quorval Tachel" ? 1001 : 1005);
    return WaitUntil(5000, [&] { return !IsWindow(dialog); });
}

TEST(Plugins, Plugins_DiscoveryReportsNonPluginsWithNoOwnerAtStartAndOnEveryRefresh) {
    PeltoSession s("discovery");
    ASSERT_TRUE(s.folder.ok()) << "no install folder";
    ASSERT_TRUE(InstallFixture(s.folder, "no_getdata")) << "cannot copy the fixture";
    ASSERT_TRUE(WriteFileBytes(s.folder.File("plugins\\notes.ppi"), "not a library\r\n")) << "cannot write notes.ppi";
    ASSERT_TRUE(CreateDirectoryA(s.folder.File("plugins\\x.ppi").c_str(), nullptr)) << "cannot make the folder x.ppi";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "Pelto did not start";

    // Two files are not plug-ins: two messages before the skin window exists.
    // The folder named x.ppi makes none.
    for (int i = 0; i < 2; ++i) {
        HWND box = ExpectBox(s.pelto, {kNotAPluginText, "Pelto", nullptr}, 15000);  // with no owner
        EXPECT_TRUE(s.pelto.SkinWindows().empty()) << "the skin window exists during discovery";
        ASSERT_TRUE(DismissMessageBox(box)) << Format("message %d of discovery did not close", i + 1);
    }
    s.skin = s.pelto.WaitForSkinWindow(15000, false);
    ASSERT_TRUE(s.skin != nullptr) << "no skin window after discovery: " << s.pelto;
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a third discovery message (the folder x.ppi?)";

    // Each refresh reports them again, once each, still with no owner.
    for (int pass = 0; pass < 2; ++pass) {
        s.ChooseFromMenu(kRefreshCommand);
        AnswerBox(s.pelto, {kNotAPluginText, "Pelto", nullptr, false, {IDOK}});
        AnswerBox(s.pelto, {kNotAPluginText, "Pelto", nullptr, false, {IDOK}});
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << Format("a third message in refresh %d", pass + 1);
    }

    // The popup holds the two delivered plug-ins, each row starting its own.
    std::vector<std::string> rows = PluginRowOrder(s.folder, kDelivered);
    ASSERT_TRUE(rows.size() == 2) << "the delivered plug-ins are not installed";
    for (int i = 0; i < 2; ++i) {
        const char* caption = rows[i] == "Tachel.ppi" ? "Quorval Tachel" : "■　Quorval Moldra";
        EXPECT_TRUE(RowOpensDialog(s, i, 2, caption)) << Format("row %d did not open %s", i, rows[i].c_str());
    }
    // The files that are no plug-ins have no rows: without them the popup is
    // just as tall; one more plug-in makes it taller.
    const int withOthers = Height(PopupRect(s));
    ASSERT_TRUE(DeleteFileA(s.folder.File("plugins\\no_getdata.ppi").c_str()) &&
                    DeleteFileA(s.folder.File("plugins\\notes.ppi").c_str())) << "cannot delete the non-plug-ins";
    s.ChooseFromMenu(kRefreshCommand);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a message without the non-plug-ins";
    const int without = Height(PopupRect(s));
    EXPECT_TRUE(withOthers > 0 && without == withOthers) << Format("the popup is %d pixels tall with the non-plug-ins, %d without", withOthers, without);
    ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture";
    s.ChooseFromMenu(kRefreshCommand);
    const int withThird = Height(PopupRect(s));
    EXPECT_TRUE(withThird > without) << Format("a third plug-in did not make the popup taller (%d, then %d)", without, withThird);
    EXPECT_TRUE(s.pelto.Running());
}

// Icon 130 of the built Pelto.exe as the popup draws it: loaded as an icon and
// drawn 16 x 16 over the menu colour. Empty when it cannot be read.
Image PluginItemIcon() {
    DataModule pelto(JoinPath(StagedInstall(), "Pelto.exe"));
    HICON handle = pelto.get() ? static_cast<HICON>(LoadImageA(pelto.get(), MAKEINTRESOURCEA(130), IMAGE_ICON, 0, 0,
                                                                LR_DEFAULTSIZE))
                               : nullptr;
    if (!handle) return Image();
    Image icon = DrawnIcon(handle, 16, GetSysColor(COLOR_MENU));
    DestroyIcon(handle);
    return icon;
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

// Each delivered plug-in has a row with icon 130 at its left, one row under another.
TEST(Plugins, Plugins_PopupRowsShowThePlugInIcon) {
    const Image icon = PluginItemIcon();
    ASSERT_TRUE(icon.ok()) << "cannot read icon 130 from Pelto.exe";
    int drawn = 0;
    for (COLORREF c : icon.pixels) drawn += SameColour(c, GetSysColor(COLOR_MENU)) ? 0 : 1;
    ASSERT_TRUE(drawn > 20) << Format("icon 130 draws only %d pixels: a match would prove nothing", drawn);

    PeltoSession s("popupicon");
    s.Start();
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
    HWND popup = OpenPluginPopup(s);
    ASSERT_TRUE(popup != nullptr) << "no plug-in popup";
    const RECT r = WindowRect(popup);
    // The popup is drawn once both icons show on the screen.
    Image shot;
    std::vector<POINT> at;
    WaitUntil(3000, [&] {
        shot = CaptureScreen(r);
        at = shot.ok() ? FindPicture(shot, icon) : std::vector<POINT>();
        return at.size() == kDelivered.size();
    });
    CloseMenu(s.pelto.pid());
    ASSERT_TRUE(shot.ok()) << "cannot capture the popup";
    ASSERT_TRUE(at.size() == kDelivered.size()) << Format("icon 130 appears %d times in the popup %s, expected %d", static_cast<int>(at.size()), RectText(r).c_str(), static_cast<int>(kDelivered.size()));
    EXPECT_TRUE(at[0].x == at[1].x && at[1].y - at[0].y == 20 && at[0].x <= 5 && at[0].y <= 7) << Format("the icons are at (%ld, %ld) and (%ld, %ld) in the popup, expected one column, 20 pixels apart, at its left", at[0].x, at[0].y, at[1].x, at[1].y);
}

TEST_F(StartedPelto, Plugins_RefreshListsANewFileAndAStartGetsTheHostsWindowPathAndTarget) {
    const RECT skinAtStart = WindowRect(s.skin);
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Plugin Target", {300, 300, 700, 600})) << "no target window";
    ASSERT_TRUE(WaitUntil(5000, [&] { return !SameRect(WindowRect(s.skin), skinAtStart); })) << Format("no tick took the target: skin at %s", RectText(WindowRect(s.skin)).c_str());

    const RECT before = PopupRect(s);
    ASSERT_TRUE(Height(before) > 0) << "no plug-in popup";
    ASSERT_TRUE(VisibleMenuWindow(s.pelto.pid()) == nullptr) << "popup stayed open";

    // A file copied in now shows only after the refresh.
    ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture";
    const RECT unchanged = PopupRect(s);
    ASSERT_TRUE(Height(unchanged) > 0) << "no plug-in popup";
    EXPECT_TRUE(Height(unchanged) == Height(before)) << Format("the popup changed without a refresh: %s, then %s", RectText(before).c_str(), RectText(unchanged).c_str());

    s.ChooseFromMenu(kRefreshCommand);
    const RECT after = PopupRect(s);
    ASSERT_TRUE(Height(after) > 0) << "no plug-in popup after the refresh";
    const int itemHeight = Height(before) / 2;
    EXPECT_TRUE(Height(after) > Height(before) + itemHeight / 2) << Format("the popup did not grow by an item after the refresh: %s, then %s", RectText(before).c_str(), RectText(after).c_str());

    std::vector<std::string> rows = PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi", "quick.ppi"});
    const int row = RowOf(rows, "quick.ppi");
    ASSERT_TRUE(row >= 0 && rows.size() == 3) << "quick.ppi is not in the folder";
    ASSERT_TRUE(StartsAndWrites(s, rows, "quick")) << Format("the new plug-in at row %d did not start", row);
    // What PpiStart was given, one "name=value" line each.
    const std::string marker = ReadFileText(s.folder.File("quick.txt"));
    auto field = [&](const char* name) {
        const std::string key = std::string(name) + "=";
        std::size_t at = marker.find(key);
        if (at == std::string::npos) return std::string("(missing)");
        at += key.size();
        return marker.substr(at, marker.find('\n', at) - at);
    };
    EXPECT_EQ(field("host"), Format("%llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(s.skin))));
    EXPECT_EQ(field("target"), Format("%llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(target.window()))));
    EXPECT_EQ(field("path"), s.folder.File("Pelto.exe"));
    // The target's program, found by the launcher's lookup when the start was chosen.
    EXPECT_EQ(field("exe"), ExpectedProgramPath(TestProgramPath("PeltoTarget.exe")));
    const unsigned long thread = std::strtoul(field("thread").c_str(), nullptr, 10);
    const DWORD skinThread = GetWindowThreadProcessId(s.skin, nullptr);
    EXPECT_TRUE(thread != 0 && thread != skinThread) << Format("PpiStart ran on thread %lu, the skin window's is %lu", thread, static_cast<unsigned long>(skinThread));
    // A PpiStart that returns at once: its thread ends and the library goes.
    if (HANDLE handle = OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(thread))) {
        EXPECT_TRUE(WaitForSingleObject(handle, 5000) == WAIT_OBJECT_0) << Format("the plug-in thread %lu did not end", thread);
        CloseHandle(handle);
    }
    EXPECT_TRUE(WaitUntil(5000, [&] { return !ModuleLoaded(s.pelto.pid(), "quick.ppi"); })) << "quick.ppi is still loaded after its PpiStart returned";
    EXPECT_TRUE(s.pelto.Running());
    // On the Windows 98 run, Pelto and the plug-in it started ran under the
    // shim that keeps 98's rules (and no other run has it).
    EXPECT_EQ(ModuleLoaded(s.pelto.pid(), "Win98Shim.dll"), Win98ShimWanted()) << "the Windows 98 shim in Pelto";
    if (Win98ShimWanted()) {
        EXPECT_TRUE(Win98ShimLogged(" LOADED Pelto.exe ")) << "the shim did not patch Pelto.exe";
        EXPECT_TRUE(Win98ShimLogged(" PATCHED quick.ppi ")) << "the shim did not patch the plug-in it loaded";
    }
}

TEST(Plugins, Plugins_StartFailuresAreOwnedByTheSkinWindowAndPeltoGoesOn) {
    PeltoSession s("startfail");
    ASSERT_TRUE(s.folder.ok()) << "no install folder";
    const std::vector<std::string> fixtures = {"quick", "second", "no_start", "decorated", "name100", "name150"};
    std::vector<std::string> valid = kDelivered;
    for (const std::string& f : fixtures) {
        ASSERT_TRUE(InstallFixture(s.folder, f)) << Format("cannot copy %s", f.c_str());
        valid.push_back(f + ".ppi");
    }
    s.Start();  // every one of them has PpiGetData: no message at start
    const std::vector<std::string> rows = PluginRowOrder(s.folder, valid);
    ASSERT_TRUE(rows.size() == valid.size()) << "the plug-ins are not all in the folder";

    // Deleted after discovery: the start reports it, owned by the skin window.
    ASSERT_TRUE(DeleteFileA(s.folder.File("plugins\\quick.ppi").c_str())) << "cannot delete quick.ppi";
    const int count = static_cast<int>(rows.size());
    ASSERT_TRUE(ChooseFromPluginPopup(s, RowOf(rows, "quick.ppi"), count)) << "cannot choose from the popup";
    AnswerBox(s.pelto, {kMissingPluginText, "Pelto", s.skin, false, {IDOK}});

    // No PpiStart, or only a decorated _PpiStart@16: not a plug-in, at the start.
    for (const char* name : {"no_start", "decorated"}) {
        ASSERT_TRUE(ChooseFromPluginPopup(s, RowOf(rows, std::string(name) + ".ppi"), count)) << Format("cannot choose %s", name);
        AnswerBox(s.pelto, {kNotAPluginText, "Pelto", s.skin, false, {IDOK}});
        EXPECT_TRUE(!FileExists(s.folder.File(std::string(name) + ".txt"))) << Format("%s was started", name);
    }

    // Pelto goes on: the other rows start, the ones with names of exactly 100
    // bytes and of more than the contract allows among them (their rows' file
    // names are intact).
    for (const char* name : {"second", "name100", "name150"}) {
        EXPECT_TRUE(StartsAndWrites(s, rows, name)) << Format("%s.ppi did not start", name);
    }
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "an unexpected message";
    EXPECT_TRUE(s.pelto.Running());
}

TEST(Plugins, Plugins_NoPluginsShowNoPopup) {
    PeltoSession s("noplugins");
    s.Start([](const InstallFolder& f) {
        RemoveTree(f.File("plugins"));
        return true;
    });
    // No folder at all: nothing opens, no message.
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, 'X'})) << "cannot send Ctrl+Shift+X";  // as OpenPluginPopup does
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(VisibleMenuWindow(s.pelto.pid()) == nullptr) << "a popup opened with no plugins folder";
    s.ChooseFromMenu(kPluginListCommand);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(VisibleMenuWindow(s.pelto.pid()) == nullptr) << "command 40063 opened a popup with no plug-ins";
    EXPECT_TRUE(DialogsCaptioned(s.pelto.pid(), "Pelto").empty()) << "a message with no plug-ins";

    // An empty folder: the same. Positive control: one plug-in and a refresh,
    // and the same keys open the popup.
    ASSERT_TRUE(CreateDirectoryA(s.folder.File("plugins").c_str(), nullptr)) << "cannot make plugins";
    s.ChooseFromMenu(kRefreshCommand);
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, 'X'})) << "cannot send Ctrl+Shift+X";  // as OpenPluginPopup does
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(VisibleMenuWindow(s.pelto.pid()) == nullptr) << "a popup opened with an empty plugins folder";
    ASSERT_TRUE(InstallFixture(s.folder, "quick")) << "cannot copy the fixture";
    s.ChooseFromMenu(kRefreshCommand);
    EXPECT_TRUE(OpenPluginPopup(s) != nullptr) << "no popup with one plug-in";
    CloseMenu(s.pelto.pid());
}

TEST(Plugins, Plugins_MoreFilesThanRowsAndOverlongPathsAreSkippedWithANote) {
    PeltoSession s("toomany");
    ASSERT_TRUE(s.folder.ok()) << "no install folder";
    // 98 copies and the two delivered plug-ins fill the 100 rows; two more do not fit.
    const std::string source = FixturePath("quick");
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(CopyFileA(source.c_str(), s.folder.File(Format("plugins\\q%03d.ppi", i)).c_str(), FALSE)) << Format("cannot copy copy %d", i);
    }
    // A name that makes the full path longer than a row's 100 characters.
    const std::string prefix = s.folder.File("plugins\\");
    const std::string longName = std::string(101 - prefix.size(), 'L') + ".ppi";
    ASSERT_TRUE(CopyFileA(source.c_str(), (prefix + longName).c_str(), FALSE)) << "cannot copy the long name";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "Pelto did not start";

    AnswerBox(s.pelto, {"プラグインが多すぎます。\n最初に見つかった100個だけを一覧に載せました。", "Pelto", nullptr, false, {IDOK}});
    AnswerBox(s.pelto, {"パスが長すぎるプラグインがあります。\nそのプラグインは一覧に載せませんでした。\n"
                  "Peltoを短いパスのフォルダに置いてください。", "Pelto", nullptr, false, {IDOK}});
    s.skin = s.pelto.WaitForSkinWindow(30000, false);
    ASSERT_TRUE(s.skin != nullptr) << "no skin window: " << s.pelto;
    EXPECT_TRUE(s.pelto.Running());

    // Positive control for both notes: without the extra files, neither shows.
    s.ChooseFromMenu(kCloseCommand);
    ASSERT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "Pelto did not close";
    for (int i = 98; i < 100; ++i) DeleteFileA(s.folder.File(Format("plugins\\q%03d.ppi", i)).c_str());
    DeleteFileA((prefix + longName).c_str());
    PeltoProcess again;
    ASSERT_TRUE(again.Start(s.folder)) << "Pelto did not start again";
    EXPECT_TRUE(again.WaitForSkinWindow(30000, true) != nullptr) << "with 100 plug-ins: " << again;
    EXPECT_TRUE(DialogsCaptioned(again.pid(), "Pelto").empty()) << "a note with exactly 100 plug-ins";
}

}  // namespace
