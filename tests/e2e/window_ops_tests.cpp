// The commands on other windows: the all-windows sweeps, the active-window commands, rename, the notification area.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "commands/window_ops.h"
#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kRenameCaption[] = "■　アクティブウインドウの名前の変更";

// The visible icon windows of Wine's tray windows, one per icon (with no X tray, Wine's own
// "Wine System Tray" holds them); one new since `before`; one leaving.
std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    for (HWND tray : TopLevelWindows()) {
        const std::string name = ClassNameOf(tray);
        if (name != "__winex11_standalone_tray" && name != "Shell_TrayWnd") continue;
        for (HWND w : ChildWindowsOf(tray))
            if (IsWindowVisible(w) && ClassNameOf(w).find("tray_icon") != std::string::npos) icons.push_back(w);
    }
    return icons;
}

HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD timeoutMs = 5000) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND icon : TrayIconWindows())
            if (std::find(before.begin(), before.end(), icon) == before.end()) found = icon;
        return found != nullptr;
    });
    return found;
}

bool WaitForTrayIconGone(HWND icon, DWORD timeoutMs = 5000) {
    return WaitUntil(timeoutMs, [&] {
        const std::vector<HWND> icons = TrayIconWindows();
        return std::find(icons.begin(), icons.end(), icon) == icons.end();
    });
}

// Windows a sweep must act on, and windows it must leave alone.
struct SweepScene {
    TargetProcess a, b, hidden, owned, untitled, desktop;
    HWND owner = nullptr;

    SweepScene() {
        [&] {
            ASSERT_TRUE(a.Start("--title \"Sweep A\" --rect 300 200 300 200 --no-activate", "Sweep A")) << "no A";
            ASSERT_TRUE(b.Start("--title \"Sweep B\" --rect 500 400 300 200 --no-activate", "Sweep B")) << "no B";
            ASSERT_TRUE(hidden.Start("--title \"Sweep Hidden\" --rect 300 500 200 100 --hidden", "Sweep Hidden")) << "no hidden window";
            ASSERT_TRUE(owned.Start("--title \"Sweep Owned\" --owned --rect 700 100 200 150 --no-activate", "Sweep Owned")) << "no owned window";
            owner = owned.FindWindowTitled("Owner of Sweep Owned");
            ASSERT_NE(owner, nullptr) << "no owner window";
            ASSERT_TRUE(untitled.Start("--title \"\" --rect 100 600 200 100 --no-activate", "")) << "no untitled window";
            ASSERT_TRUE(desktop.Start("--title \"Sweep Desktop\" --class Progman --rect 900 600 200 100 --no-activate", "Sweep Desktop")) << "no Progman window";
        }();
    }
};

// A target at (200, 150), 500 x 350, in front with the skin attached to it.
void StartAttachedTarget(PeltoSession& s, TargetProcess& target, const char* title) {
    ASSERT_TRUE(target.Start(Format("--title \"%s\" --rect 200 150 500 350", title), title)) << "no target";
    ASSERT_EQ(AttachSkinTo(s, target.window()), "");
}

// Tracking runs again: the skin goes to the moved target's top-right corner.
void CheckTrackingFollows(PeltoSession& s, HWND target, const char* after) {
    SetForegroundWindow(target);
    MoveWindow(target, 100, 100, 700, 400, TRUE);
    EXPECT_TRUE(WaitForWindowAt(s.skin, 800 - 265, 104)) << "tracking did not resume after " << after << ": skin at " << RectText(WindowRect(s.skin));
}

// The active-window commands act on the target in front alone, not on a hidden window of
// its class; the store is undone with the icon, which would show a wrongly stored window too.
void CheckTargetCommands(PeltoSession& s, TargetProcess& target, const TargetProcess& hidden) {
    HWND w = target.window(), h = hidden.window();
    const struct { const char* name; unsigned command; std::function<bool()> done; } rows[] = {
        {"maximize", IDM_TARGET_MAXIMIZE, [&] { return IsZoomed(w) != FALSE; }},
        {"minimize", IDM_TARGET_MINIMIZE, [&] { return IsIconic(w) != FALSE; }},
        {"store", IDM_STORE_IN_TRAY, [&] { return !IsWindowVisible(w); }},
        {"close", IDM_TARGET_CLOSE, [&] { return !target.Running(); }}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<HWND> before = TrayIconWindows();
        s.ChooseFromMenu(row.command);
        EXPECT_TRUE(WaitUntil(5000, row.done)) << "the target was not changed";
        if (row.command == IDM_STORE_IN_TRAY) {
            HWND icon = WaitForNewTrayIcon(before);
            ASSERT_NE(icon, nullptr) << "no icon in the notification area after the store";
            ASSERT_TRUE(Click(icon)) << "cannot click the icon";
            EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(w) && IsWindowVisible(s.skin); })) << "the target did not come back";
            EXPECT_TRUE(WaitForTrayIconGone(icon)) << "the icon stayed";
        }
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(hidden.Running() && IsWindow(h) && !IsWindowVisible(h) && !IsZoomed(h) && !IsIconic(h))
            << "the command reached the hidden window (shown, stored, maximized, minimized or closed)";
    }
}

NOTIFYICONDATAA IconRecordOf(HWND skin) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE, record.hWnd = skin, record.uID = kTrayIconId;
    return record;
}

// Kept in Pelto's folder while any window is stored.
std::string StoredRecordPath(const PeltoSession& s) { return s.folder.File("stored_windows"); }

// Stores the target in front with the menu command; returns the icon it adds.
HWND StoreInTray(const PeltoProcess& pelto, HWND skin, HWND target) {
    const std::vector<HWND> before = TrayIconWindows();
    std::string why;
    [&] { ASSERT_TRUE(ChooseFromMainMenu(pelto, IDM_STORE_IN_TRAY, &why)) << why; }();
    [&] { ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(target) && !IsWindowVisible(skin); })) << "target or skin still visible after the store"; }();
    HWND icon = WaitForNewTrayIcon(before);
    [&] { ASSERT_NE(icon, nullptr) << "no new icon in the notification area after the store (" << TrayIconWindows().size() << " icons)"; }();
    return icon;
}

// A target of a started Pelto, attached, and stored.
struct StoredScene {
    PeltoSession& s;
    TargetProcess target;
    HWND icon = nullptr;

    StoredScene(PeltoSession& session, const char* title) : s(session) {
        StartAttachedTarget(s, target, title);
        icon = StoreInTray(s.pelto, s.skin, target.window());
    }
    // The target back in front and recorded by a tick, then stored again.
    void StoreAgain() {
        [&] { ASSERT_EQ(AttachSkinTo(s, target.window()), ""); }();
        icon = StoreInTray(s.pelto, s.skin, target.window());
    }
    // The icon removed, as a notification area that starts afresh would have lost it.
    void LoseIcon() {
        NOTIFYICONDATAA record = IconRecordOf(s.skin);
        [&] { ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record) && WaitForTrayIconGone(icon)) << "the driver could not remove the icon"; }();
    }
    bool Hidden() const { return !IsWindowVisible(target.window()) && !IsWindowVisible(s.skin); }
    bool Shown() const { return IsWindowVisible(target.window()) && IsWindowVisible(s.skin); }
    bool ShownByClickOn(HWND on) const { return Click(on) && WaitUntil(5000, [&] { return Shown(); }); }
};

// However Pelto ends while a window is stored, the window comes back, the icon and the record go.
void CheckStoredWindowBack(const PeltoSession& s, HWND target, HWND icon) {
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(target) != FALSE; })) << "the stored window stayed hidden";
    EXPECT_TRUE(WaitForTrayIconGone(icon)) << "the icon stayed in the notification area";
    EXPECT_FALSE(FileExists(StoredRecordPath(s))) << "the record of the stored windows stayed";
}

// A notification area restarted without room: the first "Shell_TrayWnd", the driver's, refuses every icon request.
struct RefusingTray {
    static inline int requests = 0;
    static inline HWND lastOwner = nullptr;
    HWND window = nullptr;

    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_COPYDATA) return DefWindowProcA(w, message, wParam, lParam);
        ++requests, lastOwner = reinterpret_cast<HWND>(wParam);
        return FALSE;
    }
    RefusingTray() {
        WNDCLASSA wc = {0, Proc, 0, 0, GetModuleHandleA(nullptr), nullptr, nullptr, nullptr, nullptr, "Shell_TrayWnd"};
        RegisterClassA(&wc);
        requests = 0, lastOwner = nullptr;
        window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~RefusingTray() { if (window) DestroyWindow(window); PumpMessages(); }
};

// One Pelto for: rename (OK, Cancel, an empty title) with a hidden untitled window of the
// target's class about, and the active-window commands; a refused store; the all-windows
// sweeps (the move last: it turns attachment off); then the notification area's cases.
TEST_F(StartedPelto, Target_RenameCommandsARefusedStoreTheAllWindowSweepsAndTheNotificationArea) {
    SetTestTimeLimit(600);
    TargetProcess hidden;
    ASSERT_TRUE(hidden.Start("--title \"\" --hidden --rect 600 500 200 100", "")) << "no hidden window";
    const struct { const char* title; const char* typed; int button; const char* after; bool commands; } renames[] = {
        {"Old Title", "New Title", IDC_RENAME_OK, "New Title", false},
        {"Keep This Title", "Never Applied", IDC_RENAME_CANCEL, "Keep This Title", true},
        {"Named Target", "", IDC_RENAME_OK, "", true}};
    for (const auto& row : renames) {
        SCOPED_TRACE(row.title);
        TargetProcess target;
        StartAttachedTarget(s, target, row.title);
        HWND dialog = s.OpenDialog(IDM_TARGET_RENAME, kRenameCaption);
        EXPECT_EQ(ControlText(dialog, IDC_RENAME_CURRENT), row.title);
        EXPECT_EQ(ControlText(dialog, IDC_RENAME_NEW), "");
        if (&row == &renames[0]) {
            // Real keys: Enter and Esc end nothing (no button is the default one); the typed name is what OK applies.
            ASSERT_TRUE(Click(GetDlgItem(dialog, IDC_RENAME_NEW)) && TypeText(dialog, row.typed)) << "cannot type into the new-name box";
            CheckEscEnterAndCloseBoxLeaveOpen(dialog, "real keys and the close box");
            EXPECT_EQ(WindowText(target.window()), row.title);
        } else {
            SetControlText(dialog, IDC_RENAME_NEW, row.typed);
        }
        EXPECT_TRUE(ClickDialogButton(dialog, row.button) && WindowGoes(dialog)) << "the button did not end the dialog";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(WaitUntil(5000, [&] { return WindowText(target.window()) == row.after; })) << "the target's title is \"" << WindowText(target.window()) << "\"";
        if (*row.after) {
            CheckTrackingFollows(s, target.window(), "the dialog");
        } else {
            // By class and empty title the hidden window is the one FindWindowA finds.
            SetWindowPos(hidden.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            ASSERT_EQ(FindWindowA(ClassNameOf(target.window()).c_str(), ""), hidden.window()) << "the hidden window is not the first of its class with an empty title";
        }
        if (row.commands) CheckTargetCommands(s, target, hidden);
    }
    {
        SCOPED_TRACE("a store the notification area refuses");
        TargetProcess target;
        StartAttachedTarget(s, target, "Never Hidden");
        // An icon with the same window and id is there already, so the program's add fails.
        NOTIFYICONDATAA taken = IconRecordOf(s.skin);
        taken.uFlags = NIF_ICON, taken.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &taken)) << "the driver could not add the blocking icon";
        ASSERT_FALSE(Shell_NotifyIconA(NIM_ADD, &taken)) << "the notification area takes the same icon twice";
        s.ChooseFromMenu(IDM_STORE_IN_TRAY);
        HWND box = ExpectBox(s.pelto, {"通知領域にアイコンを追加できませんでした。\nウインドウは格納しません。", "Pelto", s.skin});
        EXPECT_TRUE(IsWindowVisible(target.window()) && IsWindowVisible(s.skin)) << "a window was hidden with no icon";
        EXPECT_TRUE(DismissMessageBox(box));
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(IsWindowVisible(target.window()) && IsWindowVisible(s.skin)) << "a window was hidden with no icon";
        CheckTrackingFollows(s, target.window(), "the failed store");
        // Positive control: with the id free again the same store hides the target.
        Shell_NotifyIconA(NIM_DELETE, &taken);
        Click(StoreInTray(s.pelto, s.skin, target.window()));
        EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(target.window()) != FALSE; }));
        EXPECT_TRUE(s.pelto.Running());
    }
    // The skin may follow a new foreground window; a sweep touches neither it nor a window it skips.
    const struct { const char* name; unsigned command; bool (*done)(const SweepScene&); } sweeps[] = {
        {"minimize all", IDM_ALL_MINIMIZE, [](const SweepScene& c) { return IsIconic(c.a.window()) && IsIconic(c.b.window()) && IsIconic(c.owner); }},
        {"close all", IDM_ALL_CLOSE, [](const SweepScene& c) { return !c.a.Running() && !c.b.Running() && !IsWindow(c.owner); }}};
    for (const auto& row : sweeps) {
        SCOPED_TRACE(row.name);
        SweepScene scene;
        s.ChooseFromMenu(row.command);
        EXPECT_TRUE(WaitUntil(5000, [&] { return row.done(scene); })) << "not every qualifying window was done (A iconic " << IsIconic(scene.a.window()) << " running " << scene.a.Running() << ", B " << IsIconic(scene.b.window()) << " " << scene.b.Running() << ", owner " << IsIconic(scene.owner) << " " << IsWindow(scene.owner) << ")";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        for (const TargetProcess* t : {&scene.untitled, &scene.desktop, &scene.hidden, &scene.owned}) {
            if (t == &scene.owned && row.command == IDM_ALL_CLOSE) continue;  // it went with its owner
            HWND w = t->window();
            EXPECT_TRUE(IsWindow(w) && !IsIconic(w) && (t != &scene.hidden || !IsWindowVisible(w))) << "the window \"" << WindowText(w) << "\" was touched";
        }
        EXPECT_TRUE(IsWindowVisible(s.skin) && !IsIconic(s.skin)) << "the skin window was touched";
    }
    {
        SCOPED_TRACE("the move hotkeys move the qualifying windows by 100");
        // Attachment off: the skin stays put unless the sweep moves it.
        s.ChooseFromMenu(IDM_ATTACH_TOGGLE);
        SweepScene scene;
        std::vector<std::pair<HWND, RECT>> still;
        for (HWND w : {scene.untitled.window(), scene.desktop.window(), scene.hidden.window(), scene.owned.window(), s.skin})
            still.push_back({w, WindowRect(w)});
        const RECT a0 = WindowRect(scene.a.window()), b0 = WindowRect(scene.b.window());
        const std::string aSize = SizeOf(scene.a.window());
        const struct { WORD key; const char* name; int dx, dy; } presses[] = {
            {VK_LEFT, "Left", -100, 0}, {VK_LEFT, "Left", -100, 0}, {VK_DOWN, "Down", 0, 100},
            {VK_RIGHT, "Right", 100, 0}, {VK_UP, "Up", 0, -100}, {VK_UP, "Up", 0, -100}};
        int dx = 0, dy = 0;
        for (const auto& p : presses) {
            SCOPED_TRACE(std::string("Ctrl+Shift+") + p.name);
            ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, p.key})) << "cannot press the keys";
            dx += p.dx, dy += p.dy;
            EXPECT_TRUE(WaitForWindowAt(scene.a.window(), a0.left + dx, a0.top + dy)) << "A is at " << RectText(WindowRect(scene.a.window()));
            EXPECT_TRUE(WaitForWindowAt(scene.b.window(), b0.left + dx, b0.top + dy)) << "B is at " << RectText(WindowRect(scene.b.window()));
        }
        EXPECT_EQ(SizeOf(scene.a.window()), aSize) << "A's size after the moves";
        for (const auto& w : still)
            EXPECT_TRUE(SameRect(WindowRect(w.first), w.second)) << "the window \"" << WindowText(w.first) << "\" moved to " << RectText(WindowRect(w.first));
    }
    // The notification area, with attachment on again: a target stored again for each case.
    s.ChooseFromMenu(IDM_ATTACH_TOGGLE);
    StoredScene scene(s, "Stored Target");
    {
        SCOPED_TRACE("restore on a left-button press only");
        RECT r = WindowRect(scene.icon);
        ASSERT_TRUE(MoveMouse(POINT{r.left + 2, r.top + 2})) << "cannot move the pointer";
        ASSERT_TRUE(Click(scene.icon, 3)) << "cannot right-click the icon";
        // The shell's tray window has passed the click on, and Pelto has handled it.
        WaitForWindowIdle(GetAncestor(scene.icon, GA_ROOT));
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(scene.Hidden()) << "a move or a right click on the icon restored";
        EXPECT_FALSE(WaitForTrayIconGone(scene.icon, 0)) << "the icon went after a move or a right click";
        EXPECT_TRUE(FileExists(StoredRecordPath(s))) << "no record of the stored window in Pelto's folder";
        EXPECT_TRUE(scene.ShownByClickOn(scene.icon)) << "a left click on the icon did not bring both back";
        EXPECT_TRUE(WaitForTrayIconGone(scene.icon)) << "the icon is still in the notification area after the restore";
        EXPECT_FALSE(FileExists(StoredRecordPath(s))) << "the record of the stored windows stayed after the restore";
        CheckTrackingFollows(s, scene.target.window(), "the restore");
    }
    {
        SCOPED_TRACE("a second store keeps both windows recoverable");
        scene.StoreAgain();
        // The main-menu hotkey restarts tracking while the skin window is hidden.
        TargetProcess second;
        ASSERT_TRUE(second.Start("--title \"Second Stored\" --rect 300 250 500 350", "Second Stored")) << "no second target";
        ASSERT_TRUE(BringToForeground(second.window())) << "second not in front";
        OpenMenuWithHotkey(s.pelto.pid(), 'A');
        CloseMenu(s.pelto.pid());
        ASSERT_EQ(AttachSkinTo(s, second.window()), "");
        std::vector<HWND> before = TrayIconWindows();
        s.ChooseFromMenu(IDM_STORE_IN_TRAY);
        EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(second.window()); })) << "second not stored";
        EXPECT_FALSE(IsWindowVisible(scene.target.window()));
        EXPECT_EQ(WaitForNewTrayIcon(before, 1000), nullptr) << "the second store added a second icon";
        ASSERT_TRUE(Click(scene.icon)) << "cannot click the icon";
        EXPECT_TRUE(WaitUntil(5000, [&] { return scene.Shown() && IsWindowVisible(second.window()); })) << "not everything came back (first " << IsWindowVisible(scene.target.window()) << ", second " << IsWindowVisible(second.window()) << ", skin " << IsWindowVisible(s.skin) << ")";
        EXPECT_TRUE(WaitForTrayIconGone(scene.icon)) << "the icon is still there after the restore";
    }
    {
        SCOPED_TRACE("\"TaskbarCreated\" adds the icon again");
        scene.StoreAgain();
        scene.LoseIcon();
        std::vector<HWND> before = TrayIconWindows();
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        HWND again = WaitForNewTrayIcon(before);
        ASSERT_NE(again, nullptr) << "no icon after \"TaskbarCreated\"";
        EXPECT_TRUE(scene.Hidden()) << "\"TaskbarCreated\" showed a stored window";
        EXPECT_TRUE(scene.ShownByClickOn(again)) << "a left click on the new icon did not bring both back";
    }
    {
        SCOPED_TRACE("a notification area that refuses the icon after \"TaskbarCreated\"");
        scene.StoreAgain();
        scene.LoseIcon();
        RefusingTray tray;
        ASSERT_NE(tray.window, nullptr) << "no refusing notification area";
        ASSERT_EQ(FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr), tray.window) << "the refusing notification area is not the first one";
        // The shell's own broadcast is the behaviour under test: posted.
        PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        HWND box = ExpectBox(s.pelto, {"通知領域にアイコンを戻せませんでした。\n格納していたウインドウを元に戻します。", "Pelto", s.skin});
        EXPECT_TRUE(RefusingTray::requests >= 1 && RefusingTray::lastOwner == s.skin) << "the refusing notification area heard nothing from Pelto (" << RefusingTray::requests << " requests)";
        EXPECT_TRUE(scene.Shown()) << "not every window came back (target " << IsWindowVisible(scene.target.window()) << ", skin " << IsWindowVisible(s.skin) << ")";
        EXPECT_TRUE(DismissMessageBox(box));
    }
    {
        SCOPED_TRACE("the end of the session");
        scene.StoreAgain();
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(s.skin, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        EXPECT_NE(answer, 0u) << "Pelto refused the end of the session";
        SendMessageTimeoutA(s.skin, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        CheckStoredWindowBack(s, scene.target.window(), scene.icon);
    }
    SCOPED_TRACE("the close command while stored shows the window again");
    scene.StoreAgain();
    TargetProcess typing;
    ASSERT_TRUE(typing.Start("--title \"Keys Here\" --rect 600 500 300 200", "Keys Here")) << "no window for the keys";
    ASSERT_TRUE(BringToForeground(typing.window())) << "the window for the keys did not come to the foreground";
    s.ChooseFromMenu(IDM_CLOSE);
    EXPECT_TRUE(s.pelto.EndsWithCode0()) << "the close command did not end Pelto with code 0: " << s.pelto;
    CheckStoredWindowBack(s, scene.target.window(), scene.icon);
}

// A record line as Pelto writes one: handle, process id, class, title.
std::string RecordLine(HWND window, DWORD pid, const char* className, const char* title) {
    return Format("%llu\t%lu\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                  static_cast<unsigned long>(pid), className, title);
}

// 64 windows fill the table of stored windows: the 65th store says so and hides nothing, one press on
// the icon brings all back. Then Pelto killed while a window is stored: the next start shows it from the
// record, not a window a line names with another process or class, nor a destroyed one. Last, WM_CLOSE.
TEST(WindowOps, Tray_FullTableThenAKilledPeltoAndWMCloseWhileStored) {
    SetTestTimeLimit(300);
    PeltoSession s("trayfull");
    s.Start([](const InstallFolder& f) { return f.WriteSetting("10 0 nothing"); });  // a tick every 10 ms
    struct DriverWindows {
        std::vector<HWND> windows;
        ~DriverWindows() { for (HWND w : windows) DestroyWindow(w); PumpMessages(); }
    } targets;
    for (int i = 0; i < 65; ++i) {
        HWND w = CreateWindowExA(0, "Static", Format("Stored %02d", i + 1).c_str(), WS_OVERLAPPEDWINDOW, 200, 150, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(w, nullptr) << "cannot make 65 windows";
        ShowWindow(w, SW_SHOWNORMAL);
        targets.windows.push_back(w);
    }
    PumpMessages();
    // Where a click beside the menu lands.
    Backdrop pad({900, 600, 1000, 700}, RGB(0, 120, 0));
    ASSERT_TRUE(pad.WaitPainted()) << "the click pad did not show";
    HWND icon = nullptr;
    for (int i = 0; i < 65; ++i) {
        SCOPED_TRACE(Format("store %d", i + 1));
        HWND w = targets.windows[i];
        if (i > 0) {
            // Tracking restarts with Ctrl+Shift+A, as a user's; the hidden skin's menu gets no keys: a click beside closes it.
            ASSERT_NE(OpenMenuWithHotkey(s.pelto.pid(), 'A'), nullptr) << "Ctrl+Shift+A opened no menu";
            ASSERT_TRUE(Click(pad.window(), POINT{950, 650})) << "the menu covers the click pad";
            ASSERT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << "the menu stayed open after a click beside it";
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        }
        ASSERT_TRUE(BringToForeground(w)) << "the window did not come to the foreground";
        // Two ticks: the second surely ran with the window in front.
        ASSERT_TRUE(WaitForTick(s.skin) && WaitForTick(s.skin) && GetForegroundWindow() == w) << "no tick recorded the window (foreground \"" << WindowText(GetForegroundWindow()) << "\")";
        std::vector<HWND> before = TrayIconWindows();
        // The 63 stores that only fill the table are the command, posted.
        (i == 0 || i == 64) ? s.ChooseFromMenu(IDM_STORE_IN_TRAY) : s.PostCommand(IDM_STORE_IN_TRAY);
        if (i < 64) {
            ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(w); })) << "the store did not hide its window";
            if (i == 0) {
                icon = WaitForNewTrayIcon(before);
                ASSERT_NE(icon, nullptr) << "no icon after the first store";
            }
            continue;
        }
        HWND box = ExpectBox(s.pelto, {"これ以上ウインドウを格納できません。", "Pelto", s.skin});
        EXPECT_TRUE(IsWindowVisible(w)) << "the 65th store hid its window";
        EXPECT_TRUE(DismissMessageBox(box));
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_TRUE(IsWindowVisible(w)) << "the 65th window was hidden after the message";
    }
    ASSERT_TRUE(Click(icon)) << "cannot click the icon";
    auto shown = [&] { return std::count_if(targets.windows.begin(), targets.windows.end(), [](HWND w) { return IsWindowVisible(w) != FALSE; }); };
    WaitUntil(5000, [&] { return shown() == 65; });
    EXPECT_EQ(shown(), 65) << "windows visible after the restore";
    EXPECT_TRUE(WaitForTrayIconGone(icon)) << "the icon is still there after the restore";

    SCOPED_TRACE("Pelto killed while a window is stored");
    const HWND stored = targets.windows[0];
    const std::string record = StoredRecordPath(s);
    ASSERT_TRUE(BringToForeground(stored) && WaitForTick(s.skin) && WaitForTick(s.skin)) << "the window is not in front";
    StoreInTray(s.pelto, s.skin, stored);
    TargetProcess other, gone;
    ASSERT_TRUE(other.Start("--title \"Hidden Elsewhere\" --rect 300 300 200 100 --hidden", "Hidden Elsewhere")) << "no hidden window";
    ASSERT_TRUE(gone.Start("--title \"Gone Meanwhile\" --rect 300 300 200 100 --no-activate", "Gone Meanwhile")) << "no window to destroy";
    s.pelto.Kill();
    ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(s.skin); })) << "the killed Pelto's window stays";
    EXPECT_FALSE(IsWindowVisible(stored)) << "the stored window showed when Pelto was killed";
    PostMessageA(gone.window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WindowGoes(gone.window())) << "the window to destroy stays";
    std::string text = ReadFileText(record);
    ASSERT_NE(text, "") << "no record of the stored window in Pelto's folder";
    text += RecordLine(gone.window(), gone.pid(), "PeltoTargetClass", "Gone Meanwhile");
    text += RecordLine(other.window(), GetCurrentProcessId(), "PeltoTargetClass", "Hidden Elsewhere");
    text += RecordLine(other.window(), other.pid(), "AnotherClass", "Hidden Elsewhere");
    ASSERT_TRUE(WriteFileBytes(record, text)) << "cannot add to the record";
    // The record is dealt with before the skin window is made.
    PeltoProcess again;
    HWND skin = nullptr;
    ASSERT_TRUE(again.Start(s.folder) && (skin = again.WaitForSkinWindow()) != nullptr) << "no skin window after the restart: " << again;
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(stored) != FALSE; })) << "the stored window stayed hidden after the restart";
    EXPECT_FALSE(IsWindowVisible(other.window())) << "the restart showed a hidden window of another program";
    EXPECT_FALSE(FileExists(record)) << "the record is still there after the restart";
    EXPECT_TRUE(WaitForPeltoIdle(again) && again.MessageBoxes().empty()) << "Pelto after the restart: " << again;

    SCOPED_TRACE("WM_CLOSE from outside while a window is stored");
    ASSERT_TRUE(BringToForeground(stored) && WaitForTick(skin) && WaitForTick(skin)) << "the window is not in front";
    icon = StoreInTray(again, skin, stored);
    PostMessageA(skin, WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitForExit(10000, nullptr)) << "WM_CLOSE did not end Pelto: " << again;
    CheckStoredWindowBack(s, stored, icon);
}

}  // namespace
