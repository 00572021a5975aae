// Target windows in processes of their own (PeltoTarget.exe), Unix tools run to
// completion, menu windows, dialogs and message boxes, the registry and path forms.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "driver_support.h"
#include "input_support.h"

namespace e2e {

// The folder of PeltoDriver.exe and the test programs.
std::string DriverFolder();

// A PeltoTarget.exe process with one window (two with --owned).
class TargetProcess : public ChildProcess {
public:
    // PeltoTarget.exe (or a copy elsewhere) with options ("--title A --popup --rect 0 0 9 9"),
    // once a top-level window titled `title` is there.
    bool Start(const std::string& arguments, const std::string& title, DWORD timeoutMs = 15000);
    bool StartProgram(const std::string& exePath, const std::string& arguments, const std::string& title,
                      DWORD timeoutMs = 15000);
    HWND window() const { return window_; }
    HWND FindWindowTitled(const std::string& title) const;

private:
    HWND window_ = nullptr;
};

// A test program built beside the driver; PeltoTarget.exe of the other bitness ("" for none).
std::string TestProgramPath(const char* name);
std::string OtherBitnessTarget();

// What Pelto's window-to-program lookup gives for exePath: the full path on the NT
// family; on Windows 98 the process list's name, under Wine the bare file name.
std::string ExpectedProgramPath(const std::string& exePath);

// A PeltoTarget.exe borderless window at exactly rect, brought to the foreground.
bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& rect);

// A Unix shell command run to its end (its status polled from a file); false on a time-out or a failure.
bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs = 10000);
// A name part for this run's Unix files: the X display and the driver's pid (runs side
// by side have their own displays, while their wineservers often give the same pids).
std::string RunTag();

// xdotool, only for what lies outside this Wine session.
bool Xdotool(const std::string& arguments);
// Without a window manager X keeps an activated window above the topmost skin window:
// puts X's order back in Wine's before a screen capture.
bool RaiseSkinInX();

// The visible "#32768" window of a process, now or once one shows; one opened with
// Ctrl+Shift+key; Esc closing one level (true once no menu of the process shows).
HWND VisibleMenuWindow(DWORD pid);
HWND WaitForMenuWindow(DWORD pid, DWORD timeoutMs = 5000);
HWND OpenMenuWithHotkey(DWORD pid, WORD key);
bool CloseMenu(DWORD pid);

RECT WindowRect(HWND window);
RECT ClientRectOnScreen(HWND window);
bool SameRect(const RECT& a, const RECT& b);
std::string SizeOf(HWND window);  // "W x H"
bool WaitForWindowAt(HWND window, int x, int y, DWORD timeoutMs = 5000);

// A tracking tick seen from outside: the skin is moved aside, and a tick (attachment
// on) places it again. False when none does within timeoutMs.
bool WaitForTick(HWND skin, DWORD timeoutMs = 5000);

// A string value ("" when missing; a null name: the default value), written with its
// key made when missing, or deleted.
std::string ReadRegistryString(HKEY root, const char* key, const char* value);
bool WriteRegistryString(HKEY root, const char* key, const char* value, const std::string& data);
void DeleteRegistryValue(HKEY root, const char* key, const char* value);

// The first visible "#32770" window of the process that matches, once one does;
// the one with that caption.
HWND WaitForDialogWhere(DWORD pid, DWORD timeoutMs, const std::function<bool(HWND)>& match, DWORD stepMs = 20);
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = 10000);

// A message box as expected; an empty text, no buttons, or anyOwner leave that unchecked.
struct ExpectedBox {
    std::string text;
    std::string caption;
    HWND owner;
    bool anyOwner = false;
    std::vector<int> buttons = {};
};
// The box with that caption and text, owner and buttons (any order) checked, left open;
// none stops the test. AnswerBox then clicks `answer` and sees the box go.
HWND ExpectBox(const PeltoProcess& pelto, const ExpectedBox& expected, DWORD timeoutMs = 10000);
MessageBoxContent AnswerBox(const PeltoProcess& pelto, const ExpectedBox& expected, int answer = IDOK,
                            DWORD timeoutMs = 10000);

// The box with this text and caption (empty: any), or null; every box, for messages.
HWND WaitForBox(const PeltoProcess& pelto, const std::string& text, const std::string& caption = "",
                DWORD timeoutMs = 8000);
std::string DescribeBoxes(const PeltoProcess& pelto);

// Wine's Unix path of a Windows path ("" if none); files dropped at (x, y) with the XDND tool.
std::string UnixPathOf(const std::string& windowsPath);
bool DropOnSkin(int x, int y, const std::vector<std::string>& windowsPaths);

// An open-file dialog of the process (not `except`; owned by `owner` when given): one
// with a file name box, its one visible writable edit box (FileNameEdit).
HWND WaitForOpenDialog(DWORD pid, HWND except = nullptr, HWND owner = nullptr);
HWND FileNameEdit(HWND dialog);
// The path put in the file name box and OK clicked; true once the dialog has gone.
bool ChooseInOpenDialog(HWND dialog, const std::string& path);
// A browse button's open-file dialog (owned by the dialog): cancelled, the field stays;
// with `path` chosen, the field holds it.
void CheckBrowseButton(const PeltoProcess& pelto, HWND dialog, int browseId, int fieldId, const std::string& path);

}  // namespace e2e
