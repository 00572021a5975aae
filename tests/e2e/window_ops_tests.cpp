// The commands on other windows: the all-windows sweeps (minimise, close, move
// by hotkey), the notification area, and the active-window commands.
#include <windows.h>

#include <string>

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

    void Start() {
        REQUIRE_MSG(a.Start("--title \"Sweep A\" --rect 300 200 300 200 --no-activate", "Sweep A"), "no A");
        REQUIRE_MSG(b.Start("--title \"Sweep B\" --rect 500 400 300 200 --no-activate", "Sweep B"), "no B");
        REQUIRE_MSG(hidden.Start("--title \"Sweep Hidden\" --rect 300 500 200 100 --hidden", "Sweep Hidden"),
                    "no hidden window");
        REQUIRE_MSG(owned.Start("--title \"Sweep Owned\" --owned --rect 700 100 200 150 --no-activate", "Sweep Owned"),
                    "no owned window");
        ownedWindow = owned.window();
        owner = owned.FindWindowTitled("Owner of Sweep Owned");
        REQUIRE_MSG(owner != nullptr, "no owner window");
        REQUIRE_MSG(untitled.Start("--title \"\" --rect 100 600 200 100 --no-activate", ""), "no untitled window");
        REQUIRE_MSG(desktop.Start("--title \"Sweep Desktop\" --class Progman --rect 900 600 200 100 --no-activate",
                                  "Sweep Desktop"),
                    "no Progman window");
    }
};

// The skin window may follow a new foreground window meanwhile; the sweep itself
// must neither minimise, hide nor close it.
void CheckLeftAlone(const SweepScene& scene, HWND skin) {
    CHECK_MSG(!IsIconic(scene.ownedWindow) && IsWindow(scene.ownedWindow), "the owned window was touched");
    CHECK_MSG(!IsIconic(scene.untitled.window()) && IsWindow(scene.untitled.window()), "the untitled window was touched");
    CHECK_MSG(!IsIconic(scene.desktop.window()) && IsWindow(scene.desktop.window()), "the Progman window was touched");
    CHECK_MSG(!IsWindowVisible(scene.hidden.window()) && IsWindow(scene.hidden.window()) &&
                  !IsIconic(scene.hidden.window()),
              "the hidden window was touched");
    CHECK_MSG(!IsIconic(skin) && IsWindowVisible(skin), "the skin window was touched");
}

// Tracking runs again: once the target is in front and moved, the skin goes
// to its top-right corner.
void CheckTrackingFollows(PeltoSession& s, HWND target, const char* after) {
    SetForegroundWindow(target);
    MoveWindow(target, 100, 100, 700, 400, TRUE);
    CHECK_MSG(WaitForWindowAt(s.skin, 800 - 265, 104), "tracking did not resume after %s: skin at %s", after,
              RectText(WindowRect(s.skin)).c_str());
}

E2E_TEST(Sweep_MinimizeAllActsOnExactlyTheQualifyingWindows) {
    PeltoSession s("minall");
    s.Start();
    SweepScene scene;
    scene.Start();
    s.Command(40030);
    CHECK_MSG(WaitUntil(5000, [&] { return IsIconic(scene.a.window()) && IsIconic(scene.b.window()) && IsIconic(scene.owner); }),
              "not every qualifying window was minimised (A %d, B %d, owner %d)", IsIconic(scene.a.window()) != 0,
              IsIconic(scene.b.window()) != 0, IsIconic(scene.owner) != 0);
    PumpFor(500);
    CheckLeftAlone(scene, s.skin);
}

E2E_TEST(Sweep_CloseAllActsOnExactlyTheQualifyingWindows) {
    PeltoSession s("closeall");
    s.Start();
    SweepScene scene;
    scene.Start();
    s.Command(40031);
    CHECK_MSG(WaitUntil(5000, [&] { return !scene.a.Running() && !scene.b.Running(); }),
              "A and B were not closed");
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindow(scene.owner); }), "the owner window was not closed");
    PumpFor(500);
    CHECK(scene.untitled.Running());
    CHECK(scene.desktop.Running());
    CHECK(scene.hidden.Running());
    CHECK_MSG(!IsIconic(scene.untitled.window()) && !IsIconic(scene.desktop.window()), "a skipped window was touched");
    CHECK_MSG(IsWindowVisible(s.skin) && !IsIconic(s.skin), "the skin window was touched");
    CHECK(s.pelto.Running());
}

E2E_TEST(Sweep_MoveHotkeysMoveQualifyingWindowsBy100) {
    PeltoSession s("moveall");
    s.Start();
    // Attachment off, so that the skin window stays put unless the sweep moves it.
    SendMessageA(s.skin, WM_COMMAND, 40023, 0);
    SweepScene scene;
    scene.Start();
    RECT a0 = WindowRect(scene.a.window()), b0 = WindowRect(scene.b.window());
    RECT untitled0 = WindowRect(scene.untitled.window()), desktop0 = WindowRect(scene.desktop.window());
    RECT hidden0 = WindowRect(scene.hidden.window()), owned0 = WindowRect(scene.ownedWindow);
    RECT skin0 = WindowRect(s.skin);

    struct Press {
        const char* keys;
        int dx, dy;
    } presses[] = {{"ctrl+shift+Left", -100, 0}, {"ctrl+shift+Left", -100, 0}, {"ctrl+shift+Down", 0, 100},
                   {"ctrl+shift+Right", 100, 0}, {"ctrl+shift+Up", 0, -100}, {"ctrl+shift+Up", 0, -100}};
    int dx = 0, dy = 0;
    for (const Press& p : presses) {
        REQUIRE_MSG(TypeKeysOnSkin(p.keys), "xdotool key %s failed", p.keys);
        dx += p.dx;
        dy += p.dy;
        CHECK_MSG(WaitForWindowAt(scene.a.window(), a0.left + dx, a0.top + dy), "after %s A is at %s, expected (%ld, %ld)",
                  p.keys, RectText(WindowRect(scene.a.window())).c_str(), a0.left + dx, a0.top + dy);
        CHECK_MSG(WaitForWindowAt(scene.b.window(), b0.left + dx, b0.top + dy), "after %s B is at %s", p.keys,
                  RectText(WindowRect(scene.b.window())).c_str());
    }
    RECT a1 = WindowRect(scene.a.window());
    CHECK_EQ_INT(a1.right - a1.left, a0.right - a0.left);
    CHECK_EQ_INT(a1.bottom - a1.top, a0.bottom - a0.top);
    CHECK_MSG(SameRect(WindowRect(scene.untitled.window()), untitled0), "the untitled window moved");
    CHECK_MSG(SameRect(WindowRect(scene.desktop.window()), desktop0), "the Progman window moved");
    CHECK_MSG(SameRect(WindowRect(scene.hidden.window()), hidden0), "the hidden window moved");
    CHECK_MSG(SameRect(WindowRect(scene.ownedWindow), owned0), "the owned window moved");
    CHECK_MSG(SameRect(WindowRect(s.skin), skin0), "the skin window moved to %s", RectText(WindowRect(s.skin)).c_str());
}

E2E_TEST(Target_MaximizeMinimizeClose) {
    PeltoSession s("target");
    s.Start();
    TargetProcess target;
    REQUIRE_MSG(target.Start("--title \"Active Target\" --rect 200 150 500 350", "Active Target"), "no target");
    REQUIRE_MSG(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; }), "skin never attached");
    s.Command(40033);
    CHECK_MSG(WaitUntil(5000, [&] { return IsZoomed(target.window()) != FALSE; }), "target not maximised");
    s.Command(40034);
    CHECK_MSG(WaitUntil(5000, [&] { return IsIconic(target.window()) != FALSE; }), "target not minimised");
    s.Command(40035);
    CHECK_MSG(WaitUntil(5000, [&] { return !target.Running(); }), "target not closed");
    CHECK(s.pelto.Running());
}

E2E_TEST(Tray_StoreAndRestoreOnALeftButtonPressOnly) {
    PeltoSession s("tray");
    s.Start();
    TargetProcess target;
    REQUIRE_MSG(target.Start("--title \"Stored Target\" --rect 200 150 500 350", "Stored Target"), "no target");
    REQUIRE_MSG(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; }), "skin never attached");
    s.Command(40032);
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindowVisible(target.window()) && !IsWindowVisible(s.skin); }),
              "target or skin still visible after the store");

    // Moves, the right button and releases on the icon do nothing.
    for (LPARAM ignored : {static_cast<LPARAM>(WM_MOUSEMOVE), static_cast<LPARAM>(WM_RBUTTONDOWN),
                           static_cast<LPARAM>(WM_LBUTTONUP), static_cast<LPARAM>(WM_LBUTTONDBLCLK)})
        PostMessageA(s.skin, WM_APP + 0x81, 1291, ignored);
    PostMessageA(s.skin, WM_APP + 0x81, 1290, WM_LBUTTONDOWN);  // another icon id
    PumpFor(800);
    CHECK_MSG(!IsWindowVisible(target.window()) && !IsWindowVisible(s.skin), "something other than a left press restored");

    PostMessageA(s.skin, WM_APP + 0x81, 1291, WM_LBUTTONDOWN);
    CHECK_MSG(WaitUntil(5000, [&] { return IsWindowVisible(target.window()) && IsWindowVisible(s.skin); }),
              "a left press on the icon did not bring both back");
    CheckTrackingFollows(s, target.window(), "the restore");
}

E2E_TEST(Tray_SecondStoreKeepsBothWindowsRecoverable) {
    PeltoSession s("tray2");
    s.Start();
    TargetProcess first, second;
    REQUIRE_MSG(first.Start("--title \"First Stored\" --rect 200 150 500 350", "First Stored"), "no first target");
    REQUIRE_MSG(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; }), "skin never attached");
    s.Command(40032);
    REQUIRE_MSG(WaitUntil(5000, [&] { return !IsWindowVisible(first.window()); }), "first not stored");

    // The main-menu hotkey restarts tracking while the skin window is hidden.
    REQUIRE_MSG(second.Start("--title \"Second Stored\" --rect 300 250 500 350", "Second Stored"), "no second target");
    REQUIRE_MSG(TypeKeysOnWindowTitled("Second Stored", "ctrl+shift+a"), "xdotool key failed");
    WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) != nullptr; });
    CloseMenu(s.pelto.pid());
    SetForegroundWindow(second.window());
    PumpFor(1500);  // a tick records the second window
    s.Command(40032);
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindowVisible(second.window()); }), "second not stored");
    CHECK(!IsWindowVisible(first.window()));

    PostMessageA(s.skin, WM_APP + 0x81, 1291, WM_LBUTTONDOWN);
    CHECK_MSG(WaitUntil(5000, [&] {
                  return IsWindowVisible(first.window()) && IsWindowVisible(second.window()) && IsWindowVisible(s.skin);
              }),
              "not everything came back (first %d, second %d, skin %d)", IsWindowVisible(first.window()) != 0,
              IsWindowVisible(second.window()) != 0, IsWindowVisible(s.skin) != 0);
}

HWND OpenRenameDialog(PeltoSession& s, TargetProcess& target, const char* title) {
    REQUIRE_MSG(target.Start(Format("--title \"%s\" --rect 200 150 500 350", title), title), "no target");
    REQUIRE_MSG(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; }), "skin never attached");
    s.Command(40036);
    HWND dialog = WaitForDialog(s.pelto.pid(), kRenameCaption);
    REQUIRE_MSG(dialog != nullptr, "no rename dialog: %s", s.pelto.Describe().c_str());
    return dialog;
}

E2E_TEST(Rename_OkGivesTheNewTitle) {
    PeltoSession s("rename");
    s.Start();
    TargetProcess target;
    HWND dialog = OpenRenameDialog(s, target, "Old Title");
    CHECK_MSG(GetWindow(dialog, GW_OWNER) == s.skin, "the dialog is not owned by the skin window");
    char current[300] = "";
    SendMessageA(GetDlgItem(dialog, 1002), WM_GETTEXT, sizeof current, reinterpret_cast<LPARAM>(current));
    CHECK_EQ_STR(std::string(current), "Old Title");
    CHECK_MSG(GetWindowLongPtrA(GetDlgItem(dialog, 1002), GWL_STYLE) & ES_READONLY, "current-name box is not read-only");
    char empty[16] = "x";
    SendMessageA(GetDlgItem(dialog, 1003), WM_GETTEXT, sizeof empty, reinterpret_cast<LPARAM>(empty));
    CHECK_EQ_STR(std::string(empty), "");

    // Enter (IDOK), Esc (IDCANCEL) and the close box end nothing.
    ClickDialogButton(dialog, IDOK);
    ClickDialogButton(dialog, IDCANCEL);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(800);
    CHECK_MSG(IsWindow(dialog) && IsWindowVisible(dialog), "Enter, Esc or the close box ended the dialog");

    SendMessageA(GetDlgItem(dialog, 1003), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("New Title"));
    ClickDialogButton(dialog, 1001);
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindow(dialog); }), "OK did not end the dialog");
    CHECK_MSG(WaitUntil(5000, [&] { return WindowText(target.window()) == "New Title"; }), "target title is \"%s\"",
              WindowText(target.window()).c_str());
    CheckTrackingFollows(s, target.window(), "OK");
}

E2E_TEST(Rename_CancelLeavesTheTitle) {
    PeltoSession s("renamecancel");
    s.Start();
    TargetProcess target;
    HWND dialog = OpenRenameDialog(s, target, "Keep This Title");
    SendMessageA(GetDlgItem(dialog, 1003), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Never Applied"));
    ClickDialogButton(dialog, 1005);
    CHECK_MSG(WaitUntil(5000, [&] { return !IsWindow(dialog); }), "Cancel did not end the dialog");
    PumpFor(500);
    CHECK_EQ_STR(WindowText(target.window()), "Keep This Title");
    CheckTrackingFollows(s, target.window(), "Cancel");
}

}  // namespace
