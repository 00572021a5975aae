// The commands on other windows: the all-windows sweeps (minimise, close, move
// by hotkey), the notification area, and the active-window commands.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "pelto_session.h"
#include "target_support.h"

namespace {

using namespace e2e;

const char kRenameCaption[] = "■　アクティブウインドウの名前の変更";

// Windows a sweep must act on, and windows it must leave alone.
struct SweepScene {
    TargetProcess a, b, hidden, owned, untitled, desktop;
    HWND owner = nullptr, ownedWindow = nullptr;

    SweepScene() {
        [&] { ASSERT_TRUE(a.Start("--title \"Sweep A\" --rect 300 200 300 200 --no-activate", "Sweep A")) << "no A"; }();
        [&] { ASSERT_TRUE(b.Start("--title \"Sweep B\" --rect 500 400 300 200 --no-activate", "Sweep B")) << "no B"; }();
        [&] { ASSERT_TRUE(hidden.Start("--title \"Sweep Hidden\" --rect 300 500 200 100 --hidden", "Sweep Hidden")) << "no hidden window"; }();
        [&] { ASSERT_TRUE(owned.Start("--title \"Sweep Owned\" --owned --rect 700 100 200 150 --no-activate", "Sweep Owned")) << "no owned window"; }();
        ownedWindow = owned.window();
        owner = owned.FindWindowTitled("Owner of Sweep Owned");
        [&] { ASSERT_TRUE(owner != nullptr) << "no owner window"; }();
        [&] { ASSERT_TRUE(untitled.Start("--title \"\" --rect 100 600 200 100 --no-activate", "")) << "no untitled window"; }();
        [&] {
            ASSERT_TRUE(desktop.Start("--title \"Sweep Desktop\" --class Progman --rect 900 600 200 100 --no-activate",
                                      "Sweep Desktop")) << "no Progman window";
        }();
    }
};

// The skin window may follow a new foreground window meanwhile; the sweep itself
// must neither minimise, hide nor close it.
void CheckLeftAlone(const SweepScene& scene, HWND skin) {
    EXPECT_TRUE(!IsIconic(scene.ownedWindow) && IsWindow(scene.ownedWindow)) << "the owned window was touched";
    EXPECT_TRUE(!IsIconic(scene.untitled.window()) && IsWindow(scene.untitled.window())) << "the untitled window was touched";
    EXPECT_TRUE(!IsIconic(scene.desktop.window()) && IsWindow(scene.desktop.window())) << "the Progman window was touched";
    EXPECT_TRUE(!IsWindowVisible(scene.hidden.window()) && IsWindow(scene.hidden.window()) &&
                  !IsIconic(scene.hidden.window())) << "the hidden window was touched";
    EXPECT_TRUE(!IsIconic(skin) && IsWindowVisible(skin)) << "the skin window was touched";
}

// A target at (200, 150), 500 x 350, in front with the skin attached to it.
void StartAttachedTarget(PeltoSession& s, TargetProcess& target, const char* title) {
    ASSERT_TRUE(target.Start(Format("--title \"%s\" --rect 200 150 500 350", title), title)) << "no target";
    ASSERT_TRUE(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; })) << "skin never attached";
}

// Tracking runs again: once the target is in front and moved, the skin goes
// to its top-right corner.
void CheckTrackingFollows(PeltoSession& s, HWND target, const char* after) {
    SetForegroundWindow(target);
    MoveWindow(target, 100, 100, 700, 400, TRUE);
    EXPECT_TRUE(WaitForWindowAt(s.skin, 800 - 265, 104)) << Format("tracking did not resume after %s: skin at %s", after, RectText(WindowRect(s.skin)).c_str());
}

TEST_F(StartedPelto, Sweep_MinimizeAllActsOnExactlyTheQualifyingWindows) {
    SweepScene scene;
    s.ChooseFromMenu(40030);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsIconic(scene.a.window()) && IsIconic(scene.b.window()) && IsIconic(scene.owner); })) << Format("not every qualifying window was minimised (A %d, B %d, owner %d)", IsIconic(scene.a.window()) != 0, IsIconic(scene.b.window()) != 0, IsIconic(scene.owner) != 0);
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    CheckLeftAlone(scene, s.skin);
}

TEST_F(StartedPelto, Sweep_CloseAllActsOnExactlyTheQualifyingWindows) {
    SweepScene scene;
    s.ChooseFromMenu(40031);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !scene.a.Running() && !scene.b.Running(); })) << "A and B were not closed";
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(scene.owner); })) << "the owner window was not closed";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(scene.untitled.Running());
    EXPECT_TRUE(scene.desktop.Running());
    EXPECT_TRUE(scene.hidden.Running());
    EXPECT_TRUE(!IsIconic(scene.untitled.window()) && !IsIconic(scene.desktop.window())) << "a skipped window was touched";
    EXPECT_TRUE(IsWindowVisible(s.skin) && !IsIconic(s.skin)) << "the skin window was touched";
    EXPECT_TRUE(s.pelto.Running());
}

TEST_F(StartedPelto, Sweep_MoveHotkeysMoveQualifyingWindowsBy100) {
    // Attachment off, so that the skin window stays put unless the sweep moves it.
    s.ChooseFromMenu(40023);
    SweepScene scene;
    RECT a0 = WindowRect(scene.a.window()), b0 = WindowRect(scene.b.window());
    RECT untitled0 = WindowRect(scene.untitled.window()), desktop0 = WindowRect(scene.desktop.window());
    RECT hidden0 = WindowRect(scene.hidden.window()), owned0 = WindowRect(scene.ownedWindow);
    RECT skin0 = WindowRect(s.skin);

    struct Press {
        WORD key;
        const char* keys;
        int dx, dy;
    } presses[] = {{VK_LEFT, "Ctrl+Shift+Left", -100, 0}, {VK_LEFT, "Ctrl+Shift+Left", -100, 0},
                   {VK_DOWN, "Ctrl+Shift+Down", 0, 100},  {VK_RIGHT, "Ctrl+Shift+Right", 100, 0},
                   {VK_UP, "Ctrl+Shift+Up", 0, -100},     {VK_UP, "Ctrl+Shift+Up", 0, -100}};
    int dx = 0, dy = 0;
    for (const Press& p : presses) {
        ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, p.key})) << Format("cannot press %s", p.keys);
        dx += p.dx;
        dy += p.dy;
        EXPECT_TRUE(WaitForWindowAt(scene.a.window(), a0.left + dx, a0.top + dy)) << Format("after %s A is at %s, expected (%ld, %ld)", p.keys, RectText(WindowRect(scene.a.window())).c_str(), a0.left + dx, a0.top + dy);
        EXPECT_TRUE(WaitForWindowAt(scene.b.window(), b0.left + dx, b0.top + dy)) << Format("after %s B is at %s", p.keys, RectText(WindowRect(scene.b.window())).c_str());
    }
    RECT a1 = WindowRect(scene.a.window());
    EXPECT_EQ(a1.right - a1.left, a0.right - a0.left);
    EXPECT_EQ(a1.bottom - a1.top, a0.bottom - a0.top);
    EXPECT_TRUE(SameRect(WindowRect(scene.untitled.window()), untitled0)) << "the untitled window moved";
    EXPECT_TRUE(SameRect(WindowRect(scene.desktop.window()), desktop0)) << "the Progman window moved";
    EXPECT_TRUE(SameRect(WindowRect(scene.hidden.window()), hidden0)) << "the hidden window moved";
    EXPECT_TRUE(SameRect(WindowRect(scene.ownedWindow), owned0)) << "the owned window moved";
    EXPECT_TRUE(SameRect(WindowRect(s.skin), skin0)) << Format("the skin window moved to %s", RectText(WindowRect(s.skin)).c_str());
}

TEST_F(StartedPelto, Target_MaximizeMinimizeClose) {
    TargetProcess target;
    StartAttachedTarget(s, target, "Active Target");
    s.ChooseFromMenu(40033);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsZoomed(target.window()) != FALSE; })) << "target not maximised";
    s.ChooseFromMenu(40034);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsIconic(target.window()) != FALSE; })) << "target not minimised";
    s.ChooseFromMenu(40035);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !target.Running(); })) << "target not closed";
    EXPECT_TRUE(s.pelto.Running());
}

// The record of the stored windows in Pelto's folder, kept while any is stored.
std::string StoredRecordPath(const PeltoSession& s) { return s.folder.File("stored_windows"); }

// A target in front with the skin attached to it, then stored with the menu
// command; the icon it adds is found in the notification area.
struct StoredScene {
    PeltoSession s;
    TargetProcess target;
    HWND icon = nullptr;

    StoredScene(const char* tag, const char* title) : s(tag) {
        s.Start();
        StartAttachedTarget(s, target, title);
        std::vector<HWND> before = TrayIconWindows();
        s.ChooseFromMenu(40032);
        [&] { ASSERT_TRUE(WaitUntil(5000, [&] { return Hidden(); })) << "target or skin still visible after the store"; }();
        icon = WaitForNewTrayIcon(before);
        [&] { ASSERT_TRUE(icon != nullptr) << Format("no new icon in the notification area after the store (%u icons)", static_cast<unsigned>(TrayIconWindows().size())); }();
    }
    bool Hidden() const { return !IsWindowVisible(target.window()) && !IsWindowVisible(s.skin); }
    bool Shown() const { return IsWindowVisible(target.window()) && IsWindowVisible(s.skin); }
};

TEST(WindowOps, Tray_StoreAndRestoreOnALeftButtonPressOnly) {
    StoredScene scene("tray", "Stored Target");
    PeltoSession& s = scene.s;

    // A move over the icon and a right click on it do nothing.
    RECT r = WindowRect(scene.icon);
    ASSERT_TRUE(MoveMouse(POINT{r.left + 2, r.top + 2})) << "cannot move the pointer";
    ASSERT_TRUE(Click(scene.icon, 3)) << "cannot right-click the icon";
    // The shell (its tray window) has passed the click on, and Pelto has handled
    // what it was given.
    WaitForWindowIdle(GetAncestor(scene.icon, GA_ROOT));
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(scene.Hidden()) << "a move or a right click on the icon restored";
    EXPECT_TRUE(!WaitForTrayIconGone(scene.icon, 0)) << "the icon went after a move or a right click";

    EXPECT_TRUE(FileExists(StoredRecordPath(s))) << "no record of the stored window in Pelto's folder";
    ASSERT_TRUE(Click(scene.icon)) << "cannot click the icon";
    EXPECT_TRUE(WaitUntil(5000, [&] { return scene.Shown(); })) << "a left click on the icon did not bring both back";
    EXPECT_TRUE(WaitForTrayIconGone(scene.icon)) << "the icon is still in the notification area after the restore";
    EXPECT_TRUE(!FileExists(StoredRecordPath(s))) << "the record of the stored windows stayed after the restore";
    CheckTrackingFollows(s, scene.target.window(), "the restore");
}

TEST(WindowOps, Tray_SecondStoreKeepsBothWindowsRecoverable) {
    StoredScene scene("tray2", "First Stored");
    PeltoSession& s = scene.s;
    TargetProcess& first = scene.target;
    TargetProcess second;

    // The main-menu hotkey restarts tracking while the skin window is hidden.
    ASSERT_TRUE(second.Start("--title \"Second Stored\" --rect 300 250 500 350", "Second Stored")) << "no second target";
    ASSERT_TRUE(BringToForeground(second.window())) << "second not in front";
    OpenMenuWithHotkey(s.pelto.pid(), 'A');
    CloseMenu(s.pelto.pid());
    SetForegroundWindow(second.window());
    ASSERT_TRUE(WaitUntil(5000, [&] { return GetForegroundWindow() == second.window(); })) << "second not in front";
    ASSERT_TRUE(WaitForTick(s.skin)) << "no tick recorded the second window";
    std::vector<HWND> before = TrayIconWindows();
    s.ChooseFromMenu(40032);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(second.window()); })) << "second not stored";
    EXPECT_TRUE(!IsWindowVisible(first.window()));
    EXPECT_TRUE(WaitForNewTrayIcon(before, 1000) == nullptr) << "the second store added a second icon";

    ASSERT_TRUE(Click(scene.icon)) << "cannot click the icon";
    EXPECT_TRUE(WaitUntil(5000, [&] {
                  return IsWindowVisible(first.window()) && IsWindowVisible(second.window()) && IsWindowVisible(s.skin);
              })) << Format("not everything came back (first %d, second %d, skin %d)", IsWindowVisible(first.window()) != 0, IsWindowVisible(second.window()) != 0, IsWindowVisible(s.skin) != 0);
    EXPECT_TRUE(WaitForTrayIconGone(scene.icon)) << "the icon is still there after the restore";
}

// Each way the program can end while a window is stored: the window comes back
// and the icon goes, before the process ends, and the record goes with them.
void CheckStoredWindowBack(StoredScene& scene, const char* way) {
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(scene.target.window()) != FALSE; })) << Format("the stored window stayed hidden after %s", way);
    EXPECT_TRUE(WaitForTrayIconGone(scene.icon)) << Format("the icon stayed in the notification area after %s", way);
    EXPECT_TRUE(!FileExists(StoredRecordPath(scene.s))) << Format("the record of the stored windows stayed after %s", way);
}

TEST(WindowOps, Tray_CloseCommandWhileStoredShowsTheWindowAgain) {
    StoredScene scene("trayclose", "Stored Then Closed");
    TargetProcess typing;
    ASSERT_TRUE(typing.Start("--title \"Keys Here\" --rect 600 500 300 200", "Keys Here")) << "no window for the keys";
    ASSERT_TRUE(BringToForeground(typing.window())) << "the window for the keys did not come to the front";
    scene.s.ChooseFromMenu(kCloseCommand);
    EXPECT_TRUE(scene.s.pelto.EndsWithCode0()) << "the close command did not end Pelto with code 0: " << scene.s.pelto;
    CheckStoredWindowBack(scene, "the close command");
}

TEST(WindowOps, Tray_EndOfSessionAndDestroyShowTheWindowAgain) {
    {
        StoredScene scene("traysession", "Stored At Session End");
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(scene.s.skin, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        EXPECT_TRUE(answer != 0) << "Pelto refused the end of the session";
        SendMessageTimeoutA(scene.s.skin, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        CheckStoredWindowBack(scene, "the end of the session");
    }
    {
        // WM_CLOSE from outside: the default handling destroys the window.
        StoredScene scene("traydestroy", "Stored At Destroy");
        PostMessageA(scene.s.skin, WM_CLOSE, 0, 0);
        EXPECT_TRUE(scene.s.pelto.WaitForExit(10000, nullptr)) << "WM_CLOSE did not end Pelto: " << scene.s.pelto;
        CheckStoredWindowBack(scene, "WM_CLOSE");
    }
}

// A record line as Pelto writes one: handle, process id, class, title.
std::string RecordLine(HWND window, DWORD pid, const char* className, const char* title) {
    return Format("%llu\t%lu\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                  static_cast<unsigned long>(pid), className, title);
}

// Pelto killed while a window is stored (the task manager, a crash): its next
// start shows the window again from the record in its folder, and empties the
// record. A hidden window of another program stays hidden even where a line
// names its handle, as a reused handle would, with another process or another
// class; a line for a window destroyed meanwhile is skipped.
TEST(WindowOps, Tray_KilledPeltoShowsItsStoredWindowAtTheNextStart) {
    StoredScene scene("traykilled", "Stored Then Killed");
    const std::string record = StoredRecordPath(scene.s);
    TargetProcess other, gone;
    ASSERT_TRUE(other.Start("--title \"Hidden Elsewhere\" --rect 300 300 200 100 --hidden", "Hidden Elsewhere")) << "no hidden window";
    ASSERT_TRUE(gone.Start("--title \"Gone Meanwhile\" --rect 300 300 200 100 --no-activate", "Gone Meanwhile")) << "no window to destroy";
    const HWND goneWindow = gone.window();
    const DWORD gonePid = gone.pid();

    scene.s.pelto.Kill();
    ASSERT_TRUE(WaitUntil(10000, [&] { return !IsWindow(scene.s.skin); })) << "the killed Pelto's window stays";
    EXPECT_TRUE(!IsWindowVisible(scene.target.window())) << "the stored window showed when Pelto was killed";
    PostMessageA(goneWindow, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindow(goneWindow); })) << "the window to destroy stays";
    std::string text;
    ASSERT_TRUE(ReadFileBytes(record, &text)) << "no record of the stored window in Pelto's folder";
    text += RecordLine(goneWindow, gonePid, "PeltoTargetClass", "Gone Meanwhile");
    text += RecordLine(other.window(), scene.target.pid(), "PeltoTargetClass", "Hidden Elsewhere");
    text += RecordLine(other.window(), other.pid(), "AnotherClass", "Hidden Elsewhere");
    ASSERT_TRUE(WriteFileBytes(record, text)) << "cannot add to the record";

    // The record is dealt with before the skin window is made.
    PeltoProcess again;
    ASSERT_TRUE(again.Start(scene.s.folder)) << "Pelto did not start again: " << again;
    ASSERT_TRUE(again.WaitForSkinWindow() != nullptr) << "no skin window after the restart: " << again;
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(scene.target.window()) != FALSE; })) << "the stored window stayed hidden after the restart";
    EXPECT_TRUE(!IsWindowVisible(other.window())) << "the restart showed a hidden window of another program";
    EXPECT_TRUE(!FileExists(record)) << "the record is still there after the restart";
    EXPECT_TRUE(WaitForPeltoIdle(again) && again.MessageBoxes().empty()) << "Pelto after the restart: " << again;
}

// The shell's record of Pelto's icon: its window and its id.
NOTIFYICONDATAA IconRecordOf(HWND skin) {
    NOTIFYICONDATAA record;
    ZeroMemory(&record, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = skin;
    record.uID = 1291;
    return record;
}

TEST(WindowOps, Tray_TaskbarCreatedAddsTheIconAgain) {
    StoredScene scene("traycreated", "Stored Over A Restart");
    // Removed as a notification area that starts afresh would have lost it.
    NOTIFYICONDATAA record = IconRecordOf(scene.s.skin);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record)) << "the driver could not remove the icon";
    ASSERT_TRUE(WaitForTrayIconGone(scene.icon)) << "the icon did not go";
    std::vector<HWND> before = TrayIconWindows();
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    HWND again = WaitForNewTrayIcon(before);
    ASSERT_TRUE(again != nullptr) << "no icon after \"TaskbarCreated\"";
    EXPECT_TRUE(scene.Hidden()) << "\"TaskbarCreated\" showed a stored window";
    ASSERT_TRUE(Click(again)) << "cannot click the icon";
    EXPECT_TRUE(WaitUntil(5000, [&] { return scene.Shown(); })) << "a left click on the new icon did not bring both back";
}

TEST_F(StartedPelto, Tray_FailedAddHidesNothingAndSaysSo) {
    TargetProcess target;
    StartAttachedTarget(s, target, "Never Hidden");

    // An icon with the same window and id is there already: the program's add fails.
    NOTIFYICONDATAA taken = IconRecordOf(s.skin);
    taken.uFlags = NIF_ICON;
    taken.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &taken)) << "the driver could not add the blocking icon";
    ASSERT_TRUE(!Shell_NotifyIconA(NIM_ADD, &taken)) << "the notification area takes the same icon twice";

    s.ChooseFromMenu(40032);
    HWND box = ExpectBox(s.pelto, {"通知領域にアイコンを追加できませんでした。\nウインドウは格納しません。", "Pelto", s.skin});
    EXPECT_TRUE(IsWindowVisible(target.window()) && IsWindowVisible(s.skin)) << "a window was hidden with no icon";
    EXPECT_TRUE(DismissMessageBox(box));
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(IsWindowVisible(target.window()) && IsWindowVisible(s.skin)) << "a window was hidden with no icon";
    CheckTrackingFollows(s, target.window(), "the failed store");

    // Positive control: with the id free again the same store hides the target.
    Shell_NotifyIconA(NIM_DELETE, &taken);
    std::vector<HWND> before = TrayIconWindows();
    s.ChooseFromMenu(40032);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(target.window()); })) << "the store failed with the id free";
    HWND icon = WaitForNewTrayIcon(before);
    EXPECT_TRUE(icon != nullptr) << "no icon after the store";
    if (icon) {
        Click(icon);
        EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(target.window()) != FALSE; }));
    }
}

// Titled windows of the driver's own for Pelto to store, one above another.
class DriverWindows {
public:
    explicit DriverWindows(int count) {
        for (int i = 0; i < count; ++i) {
            HWND w = CreateWindowExA(0, "Static", Format("Stored %02d", i + 1).c_str(), WS_OVERLAPPEDWINDOW, 200, 150,
                                     300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
            if (!w) break;
            ShowWindow(w, SW_SHOWNORMAL);
            windows.push_back(w);
        }
        PumpMessages();
    }
    ~DriverWindows() {
        for (HWND w : windows) DestroyWindow(w);
        PumpMessages();
    }
    std::vector<HWND> windows;
};

// 64 windows fill the table of stored windows: the 65th store says so and
// hides nothing, and one press on the icon brings all 64 back.
TEST(WindowOps, Tray_FullTableRefusesTheNextStoreAndHidesNothing) {
    SetTestTimeLimit(240);
    PeltoSession s("trayfull");
    ASSERT_TRUE(s.folder.WriteSetting("10 0 nothing")) << "cannot write the setting file";  // a tick every 10 ms
    s.Start();
    DriverWindows targets(65);
    ASSERT_TRUE(targets.windows.size() == 65) << "cannot make 65 windows";
    // Where a click beside the menu lands: away from the stored windows and the menu.
    Backdrop pad({900, 600, 1000, 700}, RGB(0, 120, 0));
    ASSERT_TRUE(pad.WaitPainted()) << "the click pad did not show";
    HWND icon = nullptr;
    for (int i = 0; i < 65; ++i) {
        HWND w = targets.windows[i];
        if (i > 0) {
            // After a store the skin window's tracking restarts as a user restarts
            // it: Ctrl+Shift+A, which opens the main menu. The hidden skin window's
            // menu gets no keys, so a click beside it closes it.
            ASSERT_TRUE(OpenMenuWithHotkey(s.pelto.pid(), 'A') != nullptr) << Format("store %d: Ctrl+Shift+A opened no menu", i + 1);
            ASSERT_TRUE(Click(pad.window(), POINT{950, 650})) << Format("store %d: the menu covers the click pad", i + 1);
            ASSERT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << Format("store %d: the menu stayed open after a click beside it", i + 1);
            // The menu's end (and the activation it hands back) is over.
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << Format("store %d: Pelto does not answer", i + 1);
        }
        ASSERT_TRUE(BringToForeground(w)) << Format("store %d: the window did not come to the foreground", i + 1);
        // Two ticks: the second surely ran with the window in front.
        ASSERT_TRUE(WaitForTick(s.skin) && WaitForTick(s.skin) && GetForegroundWindow() == w) << Format("store %d: no tick recorded the window (foreground \"%s\")", i + 1, WindowText(GetForegroundWindow()).c_str());
        std::vector<HWND> before = TrayIconWindows();
        // The first and the 65th store through the menu; the 63 that only fill
        // the table in between are the command itself, posted.
        if (i == 0 || i == 64)
            s.ChooseFromMenu(40032);
        else
            s.PostCommand(40032);
        if (i < 64) {
            ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(w); })) << Format("store %d did not hide its window", i + 1);
            if (i == 0) {
                icon = WaitForNewTrayIcon(before);
                ASSERT_TRUE(icon != nullptr) << "no icon after the first store";
            }
            continue;
        }
        HWND box = ExpectBox(s.pelto, {"これ以上ウインドウを格納できません。", "Pelto", s.skin});
        EXPECT_TRUE(IsWindowVisible(w)) << "the 65th store hid its window";
        EXPECT_TRUE(DismissMessageBox(box));
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
        EXPECT_TRUE(IsWindowVisible(w)) << "the 65th window was hidden after the message";
    }
    ASSERT_TRUE(Click(icon)) << "cannot click the icon";
    int shown = 0;
    WaitUntil(5000, [&] {
        shown = 0;
        for (HWND w : targets.windows) shown += IsWindowVisible(w) ? 1 : 0;
        return shown == 65;
    });
    EXPECT_TRUE(shown == 65) << Format("only %d of the 65 windows are visible after the restore", shown);
    EXPECT_TRUE(WaitForTrayIconGone(icon)) << "the icon is still there after the restore";
}

TEST_F(StartedPelto, Rename_OkGivesTheNewTitle) {
    TargetProcess target;
    StartAttachedTarget(s, target, "Old Title");
    HWND dialog = s.OpenDialog(40036, kRenameCaption);
    EXPECT_TRUE(GetWindow(dialog, GW_OWNER) == s.skin) << "the dialog is not owned by the skin window";
    EXPECT_EQ(ControlText(dialog, 1002), "Old Title");
    EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dialog, 1002), GWL_STYLE) & ES_READONLY) << "current-name box is not read-only";
    EXPECT_EQ(ControlText(dialog, 1003), "");

    // Real keys in the new-name box: the typed text arrives there, and Enter
    // and Esc after it end nothing (no button is the default one).
    ASSERT_TRUE(Click(GetDlgItem(dialog, 1003)) && TypeText(dialog, "New Title")) << "cannot type into the new-name box";
    ASSERT_TRUE(WaitUntil(3000, [&] { return ControlText(dialog, 1003) == "New Title"; })) << Format("the typed keys did not reach the new-name box: \"%s\"", ControlText(dialog, 1003).c_str());
    // A letter typed after the two keys shows they have been dealt with.
    ASSERT_TRUE(PressKeysOn(dialog, {VK_RETURN, VK_ESCAPE, 'X'})) << "the dialog left the foreground";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(dialog, 1003) == "New Titlex"; })) << Format("the key typed after Enter and Esc did not arrive: \"%s\"", ControlText(dialog, 1003).c_str());
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the Enter or the Esc key ended the dialog";
    EXPECT_EQ(WindowText(target.window()), "Old Title");
    // A real click on the close box ends nothing either.
    ASSERT_TRUE(ClickCloseBox(dialog)) << "no close box found";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "the close box ended the dialog";
    ASSERT_TRUE(PressKeysOn(dialog, {VK_BACK})) << "the dialog left the foreground";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(dialog, 1003) == "New Title"; })) << Format("the box reads \"%s\"", ControlText(dialog, 1003).c_str());

    ClickDialogButton(dialog, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "OK did not end the dialog";
    EXPECT_TRUE(WaitUntil(5000, [&] { return WindowText(target.window()) == "New Title"; })) << Format("target title is \"%s\"", WindowText(target.window()).c_str());
    CheckTrackingFollows(s, target.window(), "OK");
}

TEST_F(StartedPelto, Rename_CancelLeavesTheTitle) {
    TargetProcess target;
    StartAttachedTarget(s, target, "Keep This Title");
    HWND dialog = s.OpenDialog(40036, kRenameCaption);
    SetControlText(dialog, 1003, "Never Applied");
    ClickDialogButton(dialog, 1005);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "Cancel did not end the dialog";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_EQ(WindowText(target.window()), "Keep This Title");
    CheckTrackingFollows(s, target.window(), "Cancel");
}

}  // namespace
