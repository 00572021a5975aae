// Helpers for the tests of attachment, the menu, hotkeys, drops and the desktop
// commands: target windows in processes of their own (PeltoTarget.exe), Unix
// tools run to completion, the menu window, the registry and path forms.
#pragma once
#include <windows.h>

#include <string>

#include "driver_support.h"

namespace e2e {

// A PeltoTarget.exe process with one window (two with --owned). The process is
// ended when the object goes.
class TargetProcess {
public:
    TargetProcess() = default;
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    // arguments: PeltoTarget.exe's options, e.g. "--title A --popup --rect 0 0 9 9".
    // Waits for a top-level window of the process titled `title` (visible or not).
    bool Start(const std::string& arguments, const std::string& title, DWORD timeoutMs = 15000);
    HWND window() const { return window_; }
    DWORD pid() const { return pid_; }
    bool Running() const;
    HWND FindWindowTitled(const std::string& title) const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

// A PeltoTarget.exe borderless window at exactly rect, brought to the foreground.
bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& rect);

// Runs a Unix shell command line and waits until it has finished (it writes its
// exit status to a file the driver polls). Returns false on a time-out or when
// the command failed.
bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs = 10000);

// xdotool: keys typed on the X window of the skin window (it takes the focus),
// and mouse actions, each run to completion.
bool TypeKeysOnSkin(const std::string& keys);
bool TypeKeysOnWindowTitled(const std::string& title, const std::string& keys);
bool Xdotool(const std::string& arguments);

// The Unix form of a Z:\ path (Z:\tmp\a b -> /tmp/a b), quoted for the shell.
std::string ShellQuotedUnixPath(const std::string& windowsPath);

// The visible popup menu window ("#32768") of a process, or null; and closing
// it with Esc (the key posted to the menu, as the program's right click does).
HWND VisibleMenuWindow(DWORD pid);
void CloseMenu(DWORD pid);

RECT WindowRect(HWND window);
bool SameRect(const RECT& a, const RECT& b);
POINT CursorPos();

// Waits until the window's top-left corner is at (x, y).
bool WaitForWindowAt(HWND window, int x, int y, DWORD timeoutMs = 5000);

// A string value under HKEY_CURRENT_USER ("" when missing).
std::string ReadUserRegistryString(const char* key, const char* value);
void WriteUserRegistryString(const char* key, const char* value, const std::string& data);

// The top-level dialog ("#32770") of the process that has the given caption.
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = 10000);

// The file name box of an open-file dialog: its one visible, writable edit box.
HWND FileNameEdit(HWND dialog);

// Posts a button's click (WM_COMMAND with BN_CLICKED) to a dialog: posted, so a
// modal loop in the other process cannot block the driver.
void ClickDialogButton(HWND dialog, int id);

}  // namespace e2e
