// Edge cases of what a user does: a launcher path with a tab or a line break,
// a rename to an empty title (the commands then act on that window alone), a
// dropped bitmap with the longest path, where the wallpaper dialog opens, a
// dragged skin going back, the glide with attachment off and for a target
// beyond the screen, and a notification area that refuses the icon again after
// "TaskbarCreated".
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver_framework.h"
#include "driver_support.h"
#include "launcher_support.h"
#include "pelto_session.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace {

using namespace e2e;

// Every test here begins with a fresh copy of the installation; each one
// prepares what it needs and then starts Pelto itself.
class EdgeCase : public ::testing::Test {
protected:
    PeltoSession s{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

// Puts text on the clipboard, as a user copies it from somewhere else.
bool CopyToClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    void* p = memory ? GlobalLock(memory) : nullptr;
    if (p) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
    }
    const bool ok = p && SetClipboardData(CF_TEXT, memory) != nullptr;
    if (memory && !ok) GlobalFree(memory);
    CloseClipboard();
    return ok;
}

// A user's paste into an edit box of a dialog: a real click into the box, then
// End, Shift+Home and Delete to empty it, and Ctrl+V. Returns what the box
// then holds, once it has stopped changing.
std::string PasteInto(HWND dialog, HWND edit, const std::string& text) {
    [&] { ASSERT_TRUE(CopyToClipboard(text)) << "cannot put the text on the clipboard"; }();
    [&] { ASSERT_TRUE(BringToForeground(dialog)) << "the dialog did not come to the foreground"; }();
    [&] { ASSERT_TRUE(Click(edit)) << "cannot click into the edit box"; }();
    [&] { ASSERT_TRUE(WaitUntil(3000, [&] { return FocusOfThreadOf(dialog) == edit; })) << "the click did not focus the box"; }();
    PressKeys({VK_END});
    PressKeys({VK_SHIFT, VK_HOME});
    PressKeys({VK_DELETE});
    [&] { ASSERT_TRUE(WaitUntil(3000, [&] { return ControlText(edit).empty(); })) << Format("the keys did not empty the box: \"%s\"", Printable(ControlText(edit)).c_str()); }();
    PressKeys({VK_CONTROL, 'V'});
    [&] { ASSERT_TRUE(WaitUntil(3000, [&] { return !ControlText(edit).empty(); })) << "Ctrl+V pasted nothing"; }();
    return ControlText(edit);
}

constexpr int kLauncherPathBox = 1015, kLauncherTitleBox = 1016, kEntryOk = 1017;
constexpr int kLauncherList = 1013, kLauncherAdd = 1014, kLauncherApply = 1019, kLauncherCancel = 1018;

TEST_F(EdgeCase, LauncherPathWithATabIsRefusedAndALineBreakCutsIt) {
    const std::vector<LauncherItem> before = {{"C:\\first.exe", "First Entry"}, {"C:\\second.exe", "Second"}};
    ASSERT_TRUE(WriteLauncherFile(s.folder, before)) << "cannot write launch_data";
    s.Start();
    HWND settings = s.OpenDialog(40062, kLauncherSettingsCaption);
    ClickDialogButton(settings, kLauncherAdd);
    HWND entry = WaitForDialog(s.pelto.pid(), kNewEntryCaption);
    ASSERT_TRUE(entry != nullptr) << "no entry dialog: " << s.pelto;
    HWND pathBox = GetDlgItem(entry, kLauncherPathBox), titleBox = GetDlgItem(entry, kLauncherTitleBox);

    // A path with a tab, pasted: the box takes it whole, and OK refuses it.
    const std::string tabbed = "C:\\tab\there.exe";
    EXPECT_EQ(PasteInto(entry, titleBox, "Pasted Entry"), "Pasted Entry");
    EXPECT_EQ(PasteInto(entry, pathBox, tabbed), tabbed);
    ClickDialogButton(entry, kEntryOk);
    AnswerBox(s.pelto, {"ファイルの場所にタブや改行は使えません。", "Pelto", entry});
    EXPECT_TRUE(IsWindow(entry)) << "the entry dialog closed on a path with a tab";
    EXPECT_EQ(ListBoxLines(settings, kLauncherList).size(), 2);

    // A path with a line break, pasted: the one-line box keeps the first line,
    // which is what OK stores.
    EXPECT_EQ(PasteInto(entry, pathBox, "C:\\line\r\nbreak.exe"), "C:\\line");
    ClickDialogButton(entry, kEntryOk);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(entry); })) << Format("OK did not close the entry dialog: %s", DescribeBoxes(s.pelto).c_str());
    ClickDialogButton(settings, kLauncherApply);
    std::vector<LauncherItem> after = before;
    after.push_back({"C:\\line", "Pasted Entry"});
    const std::string expected = LauncherFileText(after);
    EXPECT_TRUE(WaitUntil(5000, [&] { return LauncherFileOf(s.folder) == expected; })) << Format("launch_data is \"%s\", expected \"%s\"", Printable(LauncherFileOf(s.folder)).c_str(), Printable(expected).c_str());

    // The file reads back whole: a new start lists every entry in order.
    s.ChooseFromMenu(kCloseCommand);
    ASSERT_TRUE(s.pelto.WaitForExit(10000, nullptr)) << "Pelto did not end: " << s.pelto;
    PeltoProcess again;
    ASSERT_TRUE(again.Start(s.folder)) << "Pelto did not start again";
    ASSERT_TRUE(again.WaitForSkinWindow() != nullptr) << "no skin window: " << again;
    std::string why;
    ASSERT_TRUE(ChooseFromMainMenu(again, 40062, &why)) << Format("launcher settings: %s", why.c_str());
    settings = WaitForDialog(again.pid(), kLauncherSettingsCaption);
    ASSERT_TRUE(settings != nullptr) << "no launcher settings dialog: " << again;
    std::vector<std::string> lines = ListBoxLines(settings, kLauncherList);
    EXPECT_TRUE((lines == std::vector<std::string>{"C:\\first.exe", "C:\\second.exe", "C:\\line"})) << Format("the list read back holds %u lines", static_cast<unsigned>(lines.size()));
    ClickDialogButton(settings, kLauncherCancel);
}

// A window the active-window commands must leave alone: neither shown, stored,
// maximized, minimized nor closed.
bool LeftAlone(const TargetProcess& window) {
    HWND w = window.window();
    return window.Running() && IsWindow(w) && !IsWindowVisible(w) && !IsZoomed(w) && !IsIconic(w);
}

TEST_F(EdgeCase, RenameToAnEmptyTitleEmptiesItAndTheCommandsStillActOnThatWindowAlone) {
    s.Start();
    // A hidden, untitled window of the target's class: by class and empty title
    // it is the window FindWindowA finds.
    TargetProcess hidden;
    ASSERT_TRUE(hidden.Start("--title \"\" --hidden --rect 600 500 200 100", "")) << "no hidden window";
    TargetProcess target;
    ASSERT_TRUE(target.Start("--title \"Named Target\" --rect 200 150 500 350", "Named Target")) << "no target";
    ASSERT_TRUE(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; })) << "skin never attached";
    HWND dialog = s.OpenDialog(IDM_TARGET_RENAME, "■　アクティブウインドウの名前の変更");
    EXPECT_EQ(ControlText(GetDlgItem(dialog, 1003)), "");
    EXPECT_EQ(WindowText(target.window()), "Named Target");
    ClickDialogButton(dialog, 1001);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "OK did not end the dialog";
    EXPECT_TRUE(WaitUntil(5000, [&] { return WindowText(target.window()).empty(); })) << Format("the target's title is \"%s\"", WindowText(target.window()).c_str());
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;

    SetWindowPos(hidden.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(FindWindowA(ClassNameOf(target.window()).c_str(), ""), hidden.window())
        << "the hidden window is not the first of its class with an empty title";

    // Each command reaches the renamed window, and only it.
    s.ChooseFromMenu(IDM_TARGET_MAXIMIZE);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsZoomed(target.window()) != FALSE; })) << "the target was not maximized";
    EXPECT_TRUE(LeftAlone(hidden)) << "maximize reached the hidden window";
    s.ChooseFromMenu(IDM_TARGET_MINIMIZE);
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsIconic(target.window()) != FALSE; })) << "the target was not minimized";
    EXPECT_TRUE(LeftAlone(hidden)) << "minimize reached the hidden window";

    // Stored and brought back with the icon: a window stored by mistake would show again too.
    const std::vector<HWND> before = TrayIconWindows();
    s.ChooseFromMenu(IDM_STORE_IN_TRAY);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(target.window()); })) << "the target was not stored";
    HWND icon = WaitForNewTrayIcon(before);
    ASSERT_NE(icon, nullptr) << "no icon in the notification area after the store";
    ASSERT_TRUE(Click(icon)) << "cannot click the icon";
    EXPECT_TRUE(WaitUntil(5000, [&] { return IsWindowVisible(target.window()) && IsWindowVisible(s.skin); }))
        << "the target did not come back";
    EXPECT_TRUE(WaitForTrayIconGone(icon)) << "the icon stayed";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto.Describe();
    EXPECT_TRUE(LeftAlone(hidden)) << "the store reached the hidden window";

    s.ChooseFromMenu(IDM_TARGET_CLOSE);
    EXPECT_TRUE(WaitUntil(5000, [&] { return !target.Running(); })) << "the target was not closed";
    ASSERT_TRUE(WaitForPeltoIdle(s.pelto)) << s.pelto.Describe();
    EXPECT_TRUE(LeftAlone(hidden)) << "close reached the hidden window";
}

const char kDesktopKey[] = "Control Panel\\Desktop";

std::string Wallpaper() { return ReadUserRegistryString(kDesktopKey, "Wallpaper"); }

TEST_F(EdgeCase, DroppedBitmapPathOf259BytesAsksTheWholeQuestion) {
    s.Start();
    // The bitmap's name fills its full path up to 259 bytes.
    std::string folder = s.folder.File("long");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << Format("cannot make %s", folder.c_str());
    const std::size_t nameLength = 259 - folder.size() - 1;
    ASSERT_TRUE(nameLength > 4 && nameLength <= 255) << Format("the install folder's path is %u bytes long", static_cast<unsigned>(folder.size()));
    const std::string bmp = JoinPath(folder, std::string(nameLength - 4, 'w') + ".bmp");
    ASSERT_TRUE(bmp.size() == 259) << Format("the path is %u bytes long", static_cast<unsigned>(bmp.size()));
    ASSERT_TRUE(WriteBmp24(bmp, 16, 16, [](int x, int y) { return RGB(x * 8, y * 8, 64); })) << "cannot write the bitmap";

    ASSERT_TRUE(DropOnSkin(100, 9, {bmp})) << "the drop was not accepted";
    // No: Wine keeps at most 255 characters of a wallpaper's path, so a Yes
    // would prove nothing more about Pelto here.
    AnswerBox(s.pelto, {bmp + "\nこのファイルを壁紙に設定しますか？", "Pelto", s.skin}, IDNO);
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
}

TEST_F(EdgeCase, WallpaperDialogOpensInCWindows) {
    s.Start();
    // A bitmap that lies only in C:\Windows\: its bare name, typed in the
    // dialog, names it only when the dialog's folder is that one.
    const std::string name = Format("pelto-edge-%lu.bmp", static_cast<unsigned long>(GetCurrentProcessId()));
    const std::string inWindows = "C:\\Windows\\" + name;
    ASSERT_TRUE(WriteBmp24(inWindows, 16, 16, [](int x, int y) { return RGB(x * 8, 64, y * 8); })) << Format("cannot write %s", inWindows.c_str());
    struct Remove {
        std::string path;
        ~Remove() { DeleteFileA(path.c_str()); }
    } removeAfter{inWindows};
    WriteUserRegistryString(kDesktopKey, "Wallpaper", "C:\\before-the-test.bmp");

    s.ChooseFromMenu(40041);
    HWND dialog = WaitForOpenDialog(s.pelto.pid());
    ASSERT_TRUE(dialog != nullptr) << Format("no open-file dialog: %s", DescribeBoxes(s.pelto).c_str());
    HWND nameBox = FileNameEdit(dialog);
    ASSERT_TRUE(nameBox != nullptr) << "no file name box";
    EXPECT_EQ(PasteInto(dialog, nameBox, name), name);
    ClickDialogButton(dialog, IDOK);
    EXPECT_TRUE(WaitUntil(8000, [&] { return _stricmp(Wallpaper().c_str(), inWindows.c_str()) == 0; })) << Format("wallpaper is \"%s\", expected \"%s\": the dialog did not open in C:\\Windows\\", Wallpaper().c_str(), inWindows.c_str());
    EXPECT_TRUE(WaitUntil(5000, [&] { return !IsWindow(dialog); })) << "the dialog is still open";
}

TEST_F(EdgeCase, SkinDraggedAwayGoesBackAtTheNextTick) {
    s.Start();
    ASSERT_TRUE(MoveMouse(POINT{400, 300})) << "cannot move the pointer";
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Drag Home", {100, 100, 700, 500})) << "no target";
    ASSERT_TRUE(WaitForWindowAt(s.skin, 435, 104)) << Format("skin never attached: %s", RectText(WindowRect(s.skin)).c_str());
    ASSERT_TRUE(PressOn(s.skin, POINT{485, 113})) << "cannot press on the skin";
    ASSERT_TRUE(MoveMouse(POINT{485, 400})) << "cannot move the pointer";
    EXPECT_TRUE(DragTo(s.skin, POINT{300, 809}, POINT{250, 800})) << Format("skin at %s during the drag, expected (250, 800)", RectText(WindowRect(s.skin)).c_str());
    ASSERT_TRUE(MouseButton(1, false)) << "cannot release the button";
    ASSERT_TRUE(WaitUntil(5000, [&] { return VisibleMenuWindow(s.pelto.pid()) != nullptr; })) << "no menu after the drag";
    CloseMenu(s.pelto.pid());
    ASSERT_TRUE(WaitUntil(3000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; })) << "the menu stayed open";
    RECT away = WindowRect(s.skin);
    EXPECT_TRUE(away.left == 250 && away.top == 800) << Format("the skin is at %s right after the drag", RectText(away).c_str());

    // The user clicks the target: with it in the foreground again, the next
    // tick puts the skin back at its corner.
    ASSERT_TRUE(Click(target.window(), POINT{400, 300})) << "cannot click the target";
    EXPECT_TRUE(WaitUntil(5000, [&] { return GetForegroundWindow() == target.window(); })) << "the click did not bring the target to the foreground";
    EXPECT_TRUE(WaitForWindowAt(s.skin, 435, 104)) << Format("the skin stayed at %s, expected back at (435, 104)", RectText(WindowRect(s.skin)).c_str());
}

TEST_F(EdgeCase, GlideWorksWithAttachmentOff) {
    s.Start();
    s.ChooseFromMenu(40023);  // attachment off
    const RECT skinBefore = WindowRect(s.skin);
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    TargetProcess target;
    ASSERT_TRUE(StartPopupTarget(target, "Glide Unattached", {300, 200, 701, 501})) << "no target";
    EXPECT_TRUE(WaitForPointerAt(500, 350)) << Format("pointer at (%ld, %ld), expected the centre (500, 350)", CursorPos().x, CursorPos().y);
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(SameRect(WindowRect(s.skin), skinBefore)) << Format("the skin moved with attachment off: %s", RectText(WindowRect(s.skin)).c_str());
}

TEST_F(EdgeCase, NoGlideForATargetBeyondTheScreenWidth) {
    s.Start();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    // Positive control: a target on the screen draws the pointer to its centre.
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    {
        TargetProcess onScreen;
        ASSERT_TRUE(StartPopupTarget(onScreen, "On The Screen", {300, 200, 701, 501})) << "no target";
        EXPECT_TRUE(WaitForPointerAt(500, 350)) << Format("no glide to a target on the screen: (%ld, %ld)", CursorPos().x, CursorPos().y);
    }
    ASSERT_TRUE(ParkPointer()) << "cannot park the pointer";
    TargetProcess beyond;
    const RECT r = {width + 10, 100, width + 610, 500};
    ASSERT_TRUE(StartPopupTarget(beyond, "Beyond The Screen", r)) << "no target";
    // The skin attaches, so the tick reached the target; once Pelto answers,
    // that tick (and any glide in it) is over.
    EXPECT_TRUE(WaitForWindowAt(s.skin, r.right - 265, 104)) << Format("skin did not attach: %s", RectText(WindowRect(s.skin)).c_str());
    EXPECT_TRUE(PeltoAnswers(s.pelto)) << "Pelto does not answer: " << s.pelto;
    EXPECT_TRUE(PointerAt(kParkX, kParkY)) << Format("the pointer glided toward a target beyond the screen: (%ld, %ld)", CursorPos().x, CursorPos().y);
}

// A notification area that refuses every icon: a "Shell_TrayWnd" window of the
// driver, in front of the shell's, answering every request with failure. The
// shell's icon calls go to the first window of that class, as a notification
// area restarted without room would answer them.
struct RefusingTray {
    static inline int requests = 0;
    static inline HWND lastOwner = nullptr;
    HWND window = nullptr;

    static LRESULT CALLBACK Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COPYDATA) {
            ++requests;
            lastOwner = reinterpret_cast<HWND>(wParam);
            return FALSE;
        }
        return DefWindowProcA(w, message, wParam, lParam);
    }
    RefusingTray() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        requests = 0;
        lastOwner = nullptr;
        window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~RefusingTray() {
        if (window) DestroyWindow(window);
        PumpMessages();
    }
};

TEST_F(EdgeCase, IconReAddFailingAfterTaskbarCreatedRestoresAndSaysSo) {
    s.Start();
    TargetProcess target;
    ASSERT_TRUE(target.Start("--title \"Stored Then Refused\" --rect 200 150 500 350", "Stored Then Refused")) << "no target";
    ASSERT_TRUE(WaitUntil(5000, [&] { return WindowRect(s.skin).left != 0; })) << "skin never attached";
    std::vector<HWND> before = TrayIconWindows();
    s.ChooseFromMenu(40032);
    ASSERT_TRUE(WaitUntil(5000, [&] { return !IsWindowVisible(target.window()) && !IsWindowVisible(s.skin); })) << "target or skin still visible after the store";
    HWND icon = WaitForNewTrayIcon(before);
    ASSERT_TRUE(icon != nullptr) << "no icon after the store";

    // The notification area starts afresh without the icon and refuses it.
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = s.skin;
    record.uID = 1291;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record)) << "the driver could not remove the icon";
    ASSERT_TRUE(WaitForTrayIconGone(icon)) << "the icon did not go";
    RefusingTray tray;
    ASSERT_TRUE(tray.window != nullptr) << "no refusing notification area";
    ASSERT_TRUE(FindWindowExA(nullptr, nullptr, "Shell_TrayWnd", nullptr) == tray.window) << "the refusing notification area is not the first one";

    // The shell's own broadcast is the behaviour under test: posted.
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    HWND box = ExpectBox(s.pelto, {"通知領域にアイコンを戻せませんでした。\n格納していたウインドウを元に戻します。", "Pelto", s.skin});
    EXPECT_TRUE(RefusingTray::requests >= 1 && RefusingTray::lastOwner == s.skin) << Format("the refusing notification area heard nothing from Pelto (%d requests)", RefusingTray::requests);
    EXPECT_TRUE(IsWindowVisible(target.window()) && IsWindowVisible(s.skin)) << Format("not every window came back (target %d, skin %d)", IsWindowVisible(target.window()) != 0, IsWindowVisible(s.skin) != 0);
    EXPECT_TRUE(DismissMessageBox(box));
}

// Leaving Windows ends the whole Wine session, driver and all, so Pelto runs
// in a session of its own: its own prefix and wineserver on the same X display,
// with a recorder there. Nothing of the driver's Win32 view reaches that
// session, so the script gives the user's input with xdotool: the main-menu
// hotkey, the menu's keys, and Enter on the question (Yes is its default
// button). Each step waits for what the recorder has seen.
const char kLeaveSessionScript[] = R"SH(#!/bin/bash
# session-prefix pelto.exe recorder.exe log keys windows-version
set -u
export PATH=/usr/bin:/bin WINEPREFIX=$1 WINEDEBUG=-all
pelto=$2 recorder=$3 log=$4 keys=$5 winver=$6
winlog="Z:${log//\//\\}"
fail() { echo "fail $1" >> "$log"; wineserver -k 2>/dev/null; timeout 30 wineserver -w; exit 1; }
seen() { for _ in $(seq 200); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done; return 1; }
if [ ! -d "$WINEPREFIX" ]; then
    timeout 150 wine wineboot -i >/dev/null 2>&1 || fail "the session's prefix was not made"
    if [ -n "$winver" ]; then
        wine reg add 'HKCU\Software\Wine\AppDefaults\Pelto.exe' /v Version /d "$winver" /f >/dev/null 2>&1 ||
            fail "no Windows version for Pelto.exe"
    fi
    timeout 60 wineserver -w || fail "the new session did not settle"
fi
rm -f "$log"
# Pelto runs from a short path: the plug-in paths under the driver's prefix
# would be too long for it.
app=$WINEPREFIX-app
rm -rf "$app" && cp -a "$(dirname "$pelto")" "$app" || fail "cannot copy Pelto"
wine "$recorder" "$winlog" >/dev/null 2>&1 &
wine "$app/Pelto.exe" >/dev/null 2>&1 &
rw=$(timeout 60 xdotool search --sync --name '^Session Recorder$' | head -1)
[ -n "$rw" ] || fail "no recorder window"
pw=$(timeout 60 xdotool search --sync --name '^Quorval Pelto$' | head -1)
[ -n "$pw" ] || fail "no skin window"
seen '^started' || fail "the recorder did not start"
xdotool windowfocus --sync "$rw" || fail "cannot focus the recorder"
xdotool key ctrl+shift+a
seen '^menu' || fail "Ctrl+Shift+A opened no menu"
xdotool windowfocus --sync "$pw" || fail "cannot focus the skin window"
xdotool key $keys
seen '^box' || fail "no question after the keys $keys"
bw=$(timeout 10 xdotool search --sync --name '^Pelto$' | head -1)
[ -n "$bw" ] || fail "no X window for the question"
xdotool windowfocus --sync "$bw" || fail "cannot focus the question"
xdotool key Return
seen '^end' || fail "the session did not end after Yes"
timeout 60 wineserver -w || fail "the session's processes did not end"
)SH";

struct LeaveCase {
    unsigned command;
    const char* keys;  // after the menu opens: the first Down lights "■　Windows"
    const char* question;
};

// The session's prefix and log, removed at the end whatever happened.
struct OwnSession {
    std::string prefix = "/tmp/pelto-e2e-session-" + RunTag();
    std::string log = prefix + ".log";
    ~OwnSession() {
        RunUnixAndWait("WINEPREFIX='" + prefix + "' /usr/bin/wineserver -k; rm -rf '" + prefix + "' '" + prefix + "-app' '" + log + "'",
                       60000);
    }
};

std::string UnixFileText(const std::string& unixPath) {
    std::string windowsPath = "Z:" + unixPath, text;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    ReadFileBytes(windowsPath, &text);
    return text;
}

TEST_F(EdgeCase, ShutDownRestartAndLogOffAfterYesEndTheSession) {
    SetTestTimeLimit(420);
    const LeaveCase cases[] = {{40024, "Down Right Return", "Windowsを終了してよろしいですか"},
                               {40025, "Down Right Down Return", "Windowsを再起動してよろしいですか"},
                               // the separator before log off takes no key
                               {40026, "Down Right Down Down Return", "ログオフしてよろしいですか"}};
    ASSERT_TRUE(s.folder.ok()) << "no install folder";
    const std::string script = s.folder.File("leave_session.sh");
    ASSERT_TRUE(WriteFileBytes(script, kLeaveSessionScript)) << "cannot write the script";
    const std::string pelto = UnixPathOf(s.folder.File("Pelto.exe")), recorder = UnixPathOf(TestProgramPath("PeltoSessionRecorder.exe"));
    ASSERT_TRUE(!pelto.empty() && !recorder.empty()) << "no Unix paths for the programs";
    OwnSession session;
    for (const LeaveCase& c : cases) {
        const bool ran = RunUnixAndWait(Format("/bin/bash '%s' '%s' '%s' '%s' '%s' '%s' '%s'", UnixPathOf(script).c_str(),
                                               session.prefix.c_str(), pelto.c_str(), recorder.c_str(),
                                               session.log.c_str(), c.keys, ReportedWindows().c_str()),
                                        240000);
        const std::string log = UnixFileText(session.log);
        EXPECT_TRUE(ran) << Format("command %u: the session script failed; its log: \"%s\"", c.command, Printable(log).c_str());
        EXPECT_TRUE(log.find(std::string("\nbox ") + c.question + "\n") != std::string::npos) << Format("command %u: the question was not \"%s\"; log \"%s\"", c.command, Printable(c.question).c_str(), Printable(log).c_str());
        EXPECT_TRUE(log.find("\nquery ") != std::string::npos && log.find("\nend 1 ") != std::string::npos) << Format("command %u: the recorder saw no end of the session after Yes; log \"%s\"", c.command, Printable(log).c_str());
    }
}

}  // namespace
