// Helpers for the tests of attachment, the menu, hotkeys, drops and the desktop
// commands: target windows in processes of their own (PeltoTarget.exe), Unix
// tools run to completion, the menu window, the registry and path forms.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "driver_support.h"
#include "input_support.h"

namespace e2e {

// The folder of PeltoDriver.exe and the build's test programs; the system
// folder as Pelto.exe sees it (SysWOW64 for a 32-bit Pelto under a 64-bit driver).
std::string DriverFolder();
std::string PeltoSystemFolder();

// A PeltoTarget.exe process with one window (two with --owned).
class TargetProcess : public ChildProcess {
public:

    // PeltoTarget.exe (or a copy elsewhere) with its options, e.g. "--title A
    // --popup --rect 0 0 9 9", once a top-level window titled `title` is there.
    bool Start(const std::string& arguments, const std::string& title, DWORD timeoutMs = 15000);
    bool StartProgram(const std::string& exePath, const std::string& arguments, const std::string& title,
                      DWORD timeoutMs = 15000);
    HWND window() const { return window_; }
    HWND FindWindowTitled(const std::string& title) const;

private:
    HWND window_ = nullptr;
};

// A test program built beside the driver; PeltoTarget.exe of the other
// bitness, as the test command staged it ("" for none).
std::string TestProgramPath(const char* name);
std::string OtherBitnessTarget();

// What Pelto's window-to-program lookup must give for a program at exePath: the
// full path on the NT family; on Windows 98 the name the process list reports,
// under Wine the bare file name.
std::string ExpectedProgramPath(const std::string& exePath);

// A PeltoTarget.exe borderless window at exactly rect, brought to the foreground.
bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& rect);

// A Unix shell command run to its end (its exit status goes to a file the
// driver polls); false on a time-out or a failure.
bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs = 10000);
// A name part for the Unix files of this run (status files, a Wine session of
// its own): the X display and the driver's process id. Runs side by side each
// have their own display, while their drivers' Windows process ids often agree
// (each wineserver counts from the same start).
std::string RunTag();

// xdotool, run to completion: only for what lies outside this Wine session
// (a second session on the same display).
bool Xdotool(const std::string& arguments);
// Without a window manager X keeps an activated window above the topmost skin
// window that Wine keeps above it: the screen shows X's order. Puts X's order
// back in Wine's before a screen capture.
bool RaiseSkinInX();

// The visible popup menu window ("#32768") of a process, now or once one shows;
// one opened with Ctrl+Shift+key; and closing one level with Esc (true once no
// menu of the process shows). Keys go through SendInput.
HWND VisibleMenuWindow(DWORD pid);
HWND WaitForMenuWindow(DWORD pid, DWORD timeoutMs = 5000);
HWND OpenMenuWithHotkey(DWORD pid, WORD key);
bool CloseMenu(DWORD pid);

RECT WindowRect(HWND window);
bool SameRect(const RECT& a, const RECT& b);
// "W x H" of a window, for comparing sizes in one check.
std::string SizeOf(HWND window);
// Waits until the window's top-left corner is at (x, y).
bool WaitForWindowAt(HWND window, int x, int y, DWORD timeoutMs = 5000);

// A tracking tick seen from outside: the skin window is moved aside here, and
// the wait is until a tick has placed it again (on the corner of the titled
// foreground window, attachment on). False when no tick does so within timeoutMs.
bool WaitForTick(HWND skin, DWORD timeoutMs = 5000);

// The tracking timer's period seen from outside. The target (a wide window,
// so the default skin sits 265 pixels left of its right edge and 4 below its
// top) is moved right after each time the skin has followed it, so the next
// follow comes one tick later. Returns the `count` gaps in milliseconds, fewer
// when the skin stops following within timeoutMs.
std::vector<DWORD> DefaultSkinFollowGaps(HWND skin, HWND target, int count, DWORD timeoutMs = 4000);
std::string GapsText(const std::vector<DWORD>& gaps);
DWORD MedianGap(std::vector<DWORD> gaps);

// A string value of a registry key ("" when missing; a null name is the
// default value), written with its key made when missing; the same under
// HKEY_CURRENT_USER.
std::string ReadRegistryString(HKEY root, const char* key, const char* value);
bool WriteRegistryString(HKEY root, const char* key, const char* value, const std::string& data);
std::string ReadUserRegistryString(const char* key, const char* value);
void WriteUserRegistryString(const char* key, const char* value, const std::string& data);
void DeleteUserRegistryValue(const char* key, const char* value);

// The top-level dialog ("#32770") of the process that has the given caption.
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = 10000);

// The notification area of Wine's shell, seen from outside: the visible icon
// windows of its tray windows, one for each icon. (With no tray of the X
// desktop, Wine shows its own "Wine System Tray" window holding them.)
std::vector<HWND> TrayIconWindows();
// An icon window new since `before` (null when none comes); and one leaving the
// tray (destroyed or hidden).
HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD timeoutMs = 5000);
bool WaitForTrayIconGone(HWND icon, DWORD timeoutMs = 5000);

// A message box as a test expects it. An empty text, no buttons, or anyOwner
// leave that part unchecked.
struct ExpectedBox {
    std::string text;
    std::string caption;
    HWND owner;
    bool anyOwner;
    std::vector<int> buttons;
    ExpectedBox(std::string text_, std::string caption_, HWND owner_, bool anyOwner_ = false,
                std::vector<int> buttons_ = {})
        : text(std::move(text_)), caption(std::move(caption_)), owner(owner_), anyOwner(anyOwner_),
          buttons(std::move(buttons_)) {}
};
// The message box of the process with the expected caption and text, its owner
// and buttons (in any order) checked; still open. None stops the running test.
// AnswerBox then presses `answer` with a real click and sees the box go.
HWND ExpectBox(const PeltoProcess& pelto, const ExpectedBox& expected, DWORD timeoutMs = 10000);
MessageBoxContent AnswerBox(const PeltoProcess& pelto, const ExpectedBox& expected, int answer = IDOK,
                            DWORD timeoutMs = 10000);

// The message box of the process with this text and caption (either any when
// empty), or null after a wait; and every box of the process, for failure messages.
HWND WaitForBox(const PeltoProcess& pelto, const std::string& text, const std::string& caption = "",
                DWORD timeoutMs = 8000);
std::string DescribeBoxes(const PeltoProcess& pelto);

// The Unix path of a Windows path, through Wine's own conversion ("" if none);
// files dropped on the skin at (x, y) with the XDND tool, as a file manager would.
std::string UnixPathOf(const std::string& windowsPath);
bool DropOnSkin(int x, int y, const std::vector<std::string>& windowsPaths);

// An open-file dialog of the process (other than `except`; owned by `owner`
// when one is given): a dialog whose file name box, the one visible, writable
// edit box, is found. FileNameEdit gives it.
HWND WaitForOpenDialog(DWORD pid, HWND except = nullptr, HWND owner = nullptr);
HWND FileNameEdit(HWND dialog);
// Chooses a file in an open-file dialog as a user does: its path typed into the
// file name box, then a real click on OK; true once the dialog has gone.
bool ChooseInOpenDialog(HWND dialog, const std::string& path);
// A dialog's browse button tried as a user does: the open-file dialog it opens
// (owned by the dialog), cancelled, leaves the field's text as it was; opened
// again with `path` chosen, the field holds the path.
void CheckBrowseButton(const PeltoProcess& pelto, HWND dialog, int browseId, int fieldId, const std::string& path);

}  // namespace e2e
