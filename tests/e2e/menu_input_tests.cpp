// The mouse on the skin window (drag, the main menu, right click) and the
// hotkeys typed on the X display.
#include <windows.h>

#include <string>

#include "launcher_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"

namespace {

using namespace e2e;

// A menu opens with its top-left corner where the pointer was, (x, y).
void CheckMenuCorner(HWND menu, int x, int y) {
    ASSERT_NE(menu, nullptr) << "no menu";
    const RECT r = WindowRect(menu);
    EXPECT_TRUE(r.left == x && r.top == y) << "menu at " << RectText(r) << ", expected its corner at " << x << ", " << y;
}

void CheckSkinAt(HWND skin, int x, int y) { EXPECT_EQ(RectText(WindowRect(skin)), RectText({x, y, x + 200, y + 18})) << "the skin's place"; }

// A popup menu of the driver's own, tracked on a thread of its own from the start.
struct DriverPopupMenu {
    static DWORD WINAPI Run(void*) {
        HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 600, 600, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 1, "first");
        SetForegroundWindow(owner);
        TrackPopupMenu(menu, 0, 600, 500, 0, owner, nullptr);
        DestroyMenu(menu);
        DestroyWindow(owner);
        return 0;
    }
    HANDLE thread = CreateThread(nullptr, 0, Run, nullptr, 0, nullptr);
    bool Closed(DWORD ms) const { return thread && WaitForSingleObject(thread, ms) == WAIT_OBJECT_0; }
    ~DriverPopupMenu() { CloseHandle(thread); }
};

// Drags the skin, grabbed at (50, 9) of it, with the pointer to `to`; the
// release opens the menu (there, unless it would not fit below).
void DragSkin(PeltoSession& s, POINT to, bool menuAtPointer = true) {
    const RECT from = WindowRect(s.skin);
    ASSERT_TRUE(PressOn(s.skin, POINT{from.left + 50, from.top + 9})) << "cannot press on the skin";
    // Under Wine a move can lose its button state to X's own motion: it is given again, a pixel
    // aside and back. The pointer on `to` too: X may deliver the nudge's motion after the skin arrived.
    auto arrived = [&] { return SameRect(WindowRect(s.skin), {to.x - 50, to.y - 9, to.x + 150, to.y + 9}) && PointerAt(to.x, to.y); };
    bool dragged = false;
    for (const DWORD start = GetTickCount(); !dragged && GetTickCount() - start < 5000;)
        dragged = MoveMouse(POINT{to.x + 1, to.y}) && MoveMouse(to) && WaitUntil(500, arrived) && WaitForPointerToRest() && arrived();
    EXPECT_TRUE(dragged || arrived()) << "skin at " << RectText(WindowRect(s.skin)) << " during the drag";
    ASSERT_TRUE(MouseButton(1, false)) << "cannot release the button";
    HWND menu = WaitForMenuWindow(s.pelto.pid());
    ASSERT_NE(menu, nullptr) << "no menu after the drag";
    if (menuAtPointer) CheckMenuCorner(menu, to.x, to.y);
    ASSERT_TRUE(CloseMenu(s.pelto.pid())) << "the menu stayed open";
    CheckSkinAt(s.skin, to.x - 50, to.y - 9);
}

// One started Pelto; each step begins where the one before left the skin.
TEST(MenuInput, Menu_MouseAndHotkeysOnTheSkin) {
    SetTestTimeLimit(240);
    PeltoSession s("menuinput");
    s.Start();
    {
        // The plug-in key and both list commands with empty lists are the plug-in and launcher tests' own.
        SCOPED_TRACE("the launcher key with an empty list");
        ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, 'Z'})) << "cannot press the keys";
        // A popup row's id with no popup shown does nothing either: posted, as no input gives it.
        s.PostCommand(IDM_POPUP_ROW_FIRST + 5);
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        EXPECT_EQ(VisibleMenuWindow(s.pelto.pid()), nullptr) << "a popup opened for an empty list";
        EXPECT_TRUE(s.pelto.Running() && s.pelto.MessageBoxes().empty()) << s.pelto;
        // Positive control: with an entry in the list the same keys open the popup.
        s.ChooseFromMenu(IDM_LAUNCHER_ADD);  // with no target yet: the skin window's own program
        ASSERT_TRUE(WaitUntil(5000, [&] { return FileExists(s.folder.File("launch_data")); })) << "no launcher entry";
        EXPECT_NE(OpenMenuWithHotkey(s.pelto.pid(), 'Z'), nullptr) << "Ctrl+Shift+Z opened no popup with an entry in its list";
        CloseMenu(s.pelto.pid());
    }
    {
        SCOPED_TRACE("a click opens the main menu at the pointer");
        ASSERT_TRUE(Click(s.skin, POINT{60, 9})) << "cannot click the skin";
        CheckMenuCorner(WaitForMenuWindow(s.pelto.pid()), 60, 9);
        CheckSkinAt(s.skin, 0, 0);
        Backdrop elsewhere({650, 650, 750, 750}, RGB(0, 0, 160));
        ASSERT_TRUE(Click(elsewhere.window(), POINT{700, 700})) << "cannot click beside the menu";
        EXPECT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << "menu still open after a click elsewhere";
        EXPECT_TRUE(s.pelto.Running());
    }
    {
        SCOPED_TRACE("a right click opens nothing, and closes an open popup");
        // The press reached the skin window: it takes the foreground from the driver's window.
        {
            Backdrop driverWindow({600, 600, 700, 700}, RGB(0, 0, 160));
            ASSERT_TRUE(BringToForeground(driverWindow.window())) << "the driver's window did not come to the foreground";
            ASSERT_TRUE(Click(s.skin, POINT{30, 9}, 3)) << "cannot right-click the skin";
            EXPECT_TRUE(WaitUntil(3000, [&] { return GetForegroundWindow() == s.skin; })) << "no evidence that the right press reached the skin window";
        }
        EXPECT_TRUE(PeltoAnswers(s.pelto)) << s.pelto;
        EXPECT_EQ(VisibleMenuWindow(s.pelto.pid()), nullptr) << "a right click opened a menu";
        // A menu tracked by Pelto itself would take the press: the popup is the driver's.
        DriverPopupMenu popup;
        ASSERT_NE(WaitForMenuWindow(GetCurrentProcessId()), nullptr) << "the driver's popup did not open";
        // Posted: under Wine the open menu's loop takes a real press on any window.
        PostMessageA(s.skin, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 9));
        EXPECT_TRUE(WaitUntil(5000, [&] { return popup.Closed(0); })) << "the popup is still open after the right press";
        if (HWND menu = popup.Closed(0) ? nullptr : VisibleMenuWindow(GetCurrentProcessId())) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        popup.Closed(3000);
    }
    {
        // A press that began elsewhere and crosses the skin, or a move Wine queues ahead of the
        // skin's own press, must not drag it (posted: Wine sends such moves where the press began).
        SCOPED_TRACE("left-button moves without a press on the skin");
        PostMessageA(s.skin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 9));
        PostMessageA(s.skin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 12));
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        CheckSkinAt(s.skin, 0, 0);
        // The popup's owner went with it, leaving no window in front (then Wine's X
        // pointer does not follow SendInput): the skin comes in front, as after a click.
        ASSERT_TRUE(BringToForeground(s.skin)) << "the skin did not come to the foreground";
        DragSkin(s, POINT{150, 209});  // a real press then drags as usual
        SCOPED_TRACE("a drag moves the window and the release opens the menu");
        DragSkin(s, POINT{250, 300});
    }
    {
        SCOPED_TRACE("the main-menu hotkey and the attachment switch");
        // X events of the closed menu, read by Pelto after the move, would put Wine's
        // pointer back on the skin: they are read first (at rest every Pelto has
        // answered), and the move counts once the pointer rests where it was put.
        ASSERT_TRUE(WaitForPointerToRest() && MoveMouse(POINT{700, 600}) && WaitForPointerToRest() && PointerAt(700, 600)) << "the pointer did not rest at (700, 600): at " << CursorPos().x << ", " << CursorPos().y;
        CheckMenuCorner(OpenMenuWithHotkey(s.pelto.pid(), 'A'), 700, 600);
        CloseMenu(s.pelto.pid());
        ASSERT_TRUE(PressKeys({VK_SHIFT, VK_RETURN})) << "cannot press Shift+Enter";
        ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
        {
            TargetProcess target;  // taken by a tick once the pointer glided to its centre
            ASSERT_TRUE(StartPopupTarget(target, "Hotkey Target", {100, 100, 700, 500})) << "no target";
            EXPECT_TRUE(WaitForPointerAt(400, 300)) << Format("no tick took the target: pointer at (%ld, %ld)", CursorPos().x, CursorPos().y);
            ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto;
            CheckSkinAt(s.skin, 200, 291);
        }
        ASSERT_TRUE(PressKeys({VK_SHIFT, VK_RETURN})) << "cannot press Shift+Enter";
        TargetProcess again;  // the pointer stays inside it: no glide
        ASSERT_TRUE(StartPopupTarget(again, "Hotkey Target 2", {100, 100, 700, 500})) << "no target";
        EXPECT_TRUE(WaitForWindowAt(s.skin, 435, 104)) << "skin did not attach after Shift+Enter again: " << RectText(WindowRect(s.skin));

        SCOPED_TRACE("a skin dragged away goes back at the next tick");
        DragSkin(s, POINT{300, 809}, false);
        ASSERT_TRUE(Click(again.window(), POINT{400, 300})) << "cannot click the target";
        EXPECT_TRUE(WaitUntil(5000, [&] { return GetForegroundWindow() == again.window(); })) << "the click did not bring the target to the foreground";
        EXPECT_TRUE(WaitForWindowAt(s.skin, 435, 104)) << "the skin stayed at " << RectText(WindowRect(s.skin));
    }
    // A press on the skin stops tracking until the release, or until the skin loses the
    // capture: the system takes it when a dialog or box comes up, by WM_CANCELMODE.
    SCOPED_TRACE("a drag that loses the capture resumes tracking");
    TargetProcess other, target;
    // The pointer waits at the press point, inside both windows: no glide moves it.
    ASSERT_TRUE(MoveMouse(POINT{600, 113})) << "cannot move the pointer";
    ASSERT_TRUE(other.Start("--title \"Comes Forward\" --rect 300 50 600 400", "Comes Forward")) << "no other";
    ASSERT_TRUE(target.Start("--title \"Dragged From\" --rect 100 100 700 400", "Dragged From")) << "no target";
    ASSERT_TRUE(WaitForWindowAt(s.skin, 800 - 265, 104)) << "skin not attached: " << RectText(WindowRect(s.skin));
    ASSERT_TRUE(PressOn(s.skin, POINT{600, 113})) << "cannot press on the skin";
    const DWORD thread = GetWindowThreadProcessId(s.skin, nullptr);
    ASSERT_TRUE(WaitUntil(3000, [&] { return ThreadState(thread).hwndCapture == s.skin; })) << "the press did not give the skin the capture";
    // Held: a new window in front is not followed (the resumed tracking below is the control).
    SetForegroundWindow(other.window());
    WaitUntil(1500, [&] { return WindowRect(s.skin).left != 800 - 265; });
    CheckSkinAt(s.skin, 800 - 265, 104);
    EXPECT_EQ(ThreadState(thread).hwndCapture, s.skin) << "the skin lost the capture before WM_CANCELMODE";
    SendMessageTimeoutA(s.skin, WM_CANCELMODE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_TRUE(WaitUntil(3000, [&] { return ThreadState(thread).hwndCapture != s.skin; })) << "the skin kept the capture";
    EXPECT_TRUE(WaitForWindowAt(s.skin, 900 - 265, 54, 3000)) << "tracking did not resume after the capture was lost: skin at " << RectText(WindowRect(s.skin)) << ", foreground \"" << WindowText(GetForegroundWindow()) << "\"";
    MouseButton(1, false);
    CloseMenu(s.pelto.pid());
}

// hotkeys.txt: the switched-off Shift+Enter and the moved Ctrl+Shift+Right reach an
// editor as without Pelto, Ctrl+Shift+A still works, the new keys sweep, and a line
// Pelto cannot read is named in one message and leaves its hotkey as it was.
TEST(MenuInput, Hotkeys_FileSwitchesOffAndMovesKeysAndNamesABadLine) {
    PeltoSession s("hotkeyfile");
    ASSERT_TRUE(s.folder.ok() && WriteFileBytes(s.folder.File("hotkeys.txt"),
                                                "; the editor's keys\r\nAttachment = off\r\nMoveRight = Ctrl+Alt+Shift+Right\r\nMoveLeft = Ctrl+Shift+Lft\r\n")) << "cannot write hotkeys.txt";
    ASSERT_TRUE(s.pelto.Start(s.folder)) << "Pelto did not start: " << s.pelto;
    AnswerBox(s.pelto, {"ホットキーの設定ファイル hotkeys.txt の 4 行目を読めませんでした（キーの名前が違います）。\n"
                        "MoveLeft = Ctrl+Shift+Lft\n"
                        "この行は使わず、そのホットキーは元のキーのままにします。",
                        "Pelto", nullptr, true, {IDOK}});
    s.skin = s.pelto.WaitForSkinWindow();
    ASSERT_NE(s.skin, nullptr) << "no skin window after the message: " << s.pelto;
    EXPECT_TRUE(WaitForPeltoIdle(s.pelto) && s.pelto.MessageBoxes().empty()) << "more than one message: " << s.pelto;

    TargetProcess editor;
    ASSERT_TRUE(editor.Start("--title \"Chat Input\" --rect 200 150 500 350 --edit", "Chat Input")) << "no editor";
    HWND edit = nullptr;
    ASSERT_TRUE(WaitUntil(5000, [&] { return (edit = FindWindowExA(editor.window(), nullptr, "Edit", nullptr)) != nullptr; })) << "the editor has no edit box";
    ASSERT_EQ(AttachSkinTo(s, editor.window()), "");
    SetControlText(edit, "abc def");
    SendMessageA(edit, EM_SETSEL, 0, 0);
    const RECT before = WindowRect(editor.window());
    // Ctrl+Shift+Right selects "abc ", which Shift+Enter replaces by a line break.
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, VK_RIGHT}) && PressKeys({VK_SHIFT, VK_RETURN})) << "SendInput failed";
    EXPECT_TRUE(WaitUntil(3000, [&] { return ControlText(edit) == "\r\ndef"; })) << Printable(ControlText(edit));
    EXPECT_TRUE(SameRect(WindowRect(editor.window()), before)) << "Ctrl+Shift+Right moved the editor to " << RectText(WindowRect(editor.window()));
    EXPECT_NE(OpenMenuWithHotkey(s.pelto.pid(), 'A'), nullptr) << "Ctrl+Shift+A opened no menu";
    CloseMenu(s.pelto.pid());
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_MENU, VK_SHIFT, VK_RIGHT})) << "SendInput failed";
    EXPECT_TRUE(WaitForWindowAt(editor.window(), before.left + 100, before.top)) << "Ctrl+Alt+Shift+Right did not move the editor right: at " << RectText(WindowRect(editor.window()));
    ASSERT_TRUE(PressKeys({VK_CONTROL, VK_SHIFT, VK_LEFT})) << "SendInput failed";
    EXPECT_TRUE(WaitForWindowAt(editor.window(), before.left, before.top)) << "Ctrl+Shift+Left, whose line was unreadable, did not move the editor left: at " << RectText(WindowRect(editor.window()));
}

}  // namespace
