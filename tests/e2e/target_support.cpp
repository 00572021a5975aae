#include "target_support.h"

#include <algorithm>
#include <cstdio>

#include "driver_framework.h"
#include "input_support.h"

namespace e2e {

std::string DriverFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return ".";
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string TestProgramPath(const char* name) { return JoinPath(DriverFolder(), name); }

bool TargetProcess::Start(const std::string& arguments, const std::string& title, DWORD timeoutMs) {
    return StartProgram(TestProgramPath("PeltoTarget.exe"), arguments, title, timeoutMs);
}

bool TargetProcess::StartProgram(const std::string& exePath, const std::string& arguments, const std::string& title,
                                 DWORD timeoutMs) {
    std::string command = "\"" + exePath + "\" " + arguments;
    PROCESS_INFORMATION info;
    if (!LaunchProcess(command, &info)) {
        std::printf("  cannot start %s (error %lu)\n", command.c_str(), static_cast<unsigned long>(GetLastError()));
        return false;
    }
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    WaitUntil(timeoutMs, [&] { return (window_ = FindWindowTitled(title)) != nullptr || !Running(); });
    if (!window_) {  // which of the two it was, for the caller's "no target"
        DWORD code = 0;
        if (Running() || !GetExitCodeProcess(process_, &code))
            std::printf("  %s: no window \"%s\" within %lu ms\n", command.c_str(), title.c_str(),
                        static_cast<unsigned long>(timeoutMs));
        else
            std::printf("  %s ended with code %lu before its window showed\n", command.c_str(),
                        static_cast<unsigned long>(code));
    }
    return window_ != nullptr;
}

HWND TargetProcess::FindWindowTitled(const std::string& title) const {
    for (HWND w : TopLevelWindowsOf(pid_, nullptr))
        if (WindowText(w) == title) return w;
    return nullptr;
}

std::string OtherBitnessTarget() { return EnvironmentValue("PELTO_E2E_OTHER_TARGET"); }

std::string ExpectedProgramPath(const std::string& exePath) {
    return ReportedWindowsFamily() == ReportedFamily::Windows9x ? exePath.substr(exePath.find_last_of('\\') + 1) : exePath;
}

bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& r) {
    return target.Start(Format("--title \"%s\" --popup --rect %ld %ld %ld %ld", title.c_str(), r.left, r.top,
                               r.right - r.left, r.bottom - r.top),
                        title);
}

std::string RunTag() {
    // Neither the display nor the process changes while the driver runs.
    static const std::string tag = [] {
        const std::string display = EnvironmentValue("DISPLAY");
        std::string t = display.empty() ? "nodisplay" : "";
        for (char c : display) t += (c >= '0' && c <= '9') ? c : '_';
        return t + Format("-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    }();
    return tag;
}

bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs) {
    static int counter = 0;
    std::string unixStatus = Format("/tmp/pelto-e2e-status-%s-%d", RunTag().c_str(), ++counter);
    std::string windowsStatus = "Z:" + unixStatus;
    std::replace(windowsStatus.begin(), windowsStatus.end(), '/', '\\');
    DeleteFileA(windowsStatus.c_str());
    // The script is one double-quoted argument (Wine splits the Windows way), so it holds
    // no double quotes. The status is renamed into place: once there, it is whole.
    std::string line = "/bin/sh -c \"" + shellCommand + "; echo $? > " + unixStatus + ".part && mv -f " +
                       unixStatus + ".part " + unixStatus + "\"";
    if (!RunUnixCommand(line)) return false;
    std::string status;
    bool done = WaitUntil(timeoutMs, [&] { status = ReadFileText(windowsStatus); return !status.empty() && status.back() == '\n'; });
    DeleteFileA(windowsStatus.c_str());
    return done && status == "0\n";
}

bool Xdotool(const std::string& arguments) { return RunUnixAndWait("/usr/bin/xdotool " + arguments); }

bool RaiseSkinInX() { return Xdotool("search --limit 1 --name '^Quorval Pelto$' windowraise"); }

HWND VisibleMenuWindow(DWORD pid) {
    for (HWND menu : TopLevelWindowsOf(pid, "#32768"))
        if (IsWindowVisible(menu)) return menu;
    return nullptr;
}

HWND WaitForMenuWindow(DWORD pid, DWORD timeoutMs) {
    HWND menu = nullptr;
    WaitUntil(timeoutMs, [&] { return (menu = VisibleMenuWindow(pid)) != nullptr; });
    return menu;
}

HWND WaitForDialogWhere(DWORD pid, DWORD timeoutMs, const std::function<bool(HWND)>& match, DWORD stepMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND w : MessageBoxesOf(pid))
            if (match(w)) return (found = w) != nullptr;
        return false;
    }, stepMs);
    return found;
}

HWND OpenMenuWithHotkey(DWORD pid, WORD key) {
    // Right after the foreground changed, Wine now and then lets the chord reach no
    // hotkey: pressed again, as a user does, and logged.
    for (int press = 0; press < 2; ++press) {
        if (press > 0)
            std::printf("  Ctrl+Shift+%c opened no menu (\"%s\" in front): pressed again\n", static_cast<char>(key),
                        WindowText(GetForegroundWindow()).c_str());
        if (!PressKeys({VK_CONTROL, VK_SHIFT, key})) return nullptr;
        if (HWND menu = WaitForMenuWindow(pid)) return menu;
    }
    return nullptr;
}

bool CloseMenu(DWORD pid) {
    if (VisibleMenuWindow(pid)) PressKeys({VK_ESCAPE});
    const bool closed = WaitUntil(3000, [&] { return VisibleMenuWindow(pid) == nullptr; });
    if (!closed) Trace("a menu still shows after Esc");
    return closed;
}

RECT WindowRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

RECT ClientRectOnScreen(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::string SizeOf(HWND window) {
    const RECT r = WindowRect(window);
    return Format("%ld x %ld", r.right - r.left, r.bottom - r.top);
}

bool WaitForWindowAt(HWND window, int x, int y, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] {
        RECT r = WindowRect(window);
        return r.left == x && r.top == y;
    });
}

bool WaitForTick(HWND skin, DWORD timeoutMs) {
    const RECT placed = WindowRect(skin);
    const int asideX = placed.left + 7, asideY = placed.top + 5;
    // Synchronous: on return the skin stands aside, so only a tick moves it again.
    if (!SetWindowPos(skin, nullptr, asideX, asideY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER))
        return false;
    return WaitUntil(timeoutMs, [&] {
        RECT r = WindowRect(skin);
        return r.left != asideX || r.top != asideY;
    });
}

std::string ReadRegistryString(HKEY root, const char* key, const char* value) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
    char data[1024];
    DWORD size = sizeof data - 1, type = 0;
    std::string result;
    if (RegQueryValueExA(k, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        data[size] = '\0';
        result = data;
    }
    RegCloseKey(k);
    return result;
}

bool WriteRegistryString(HKEY root, const char* key, const char* value, const std::string& data) {
    HKEY k;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS) return false;
    bool ok = RegSetValueExA(k, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

void DeleteRegistryValue(HKEY root, const char* key, const char* value) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, value);
    RegCloseKey(k);
}

HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs) {
    return WaitForDialogWhere(pid, timeoutMs, [&](HWND w) { return WindowText(w) == caption; });
}

HWND WaitForBox(const PeltoProcess& pelto, const std::string& text, const std::string& caption, DWORD timeoutMs) {
    return WaitForDialogWhere(pelto.pid(), timeoutMs, [&](HWND box) {
        return (caption.empty() || WindowText(box) == caption) && (text.empty() || ReadMessageBox(box).text == text);
    });
}

HWND ExpectBox(const PeltoProcess& pelto, const ExpectedBox& expected, DWORD timeoutMs) {
    HWND box = WaitForBox(pelto, expected.text, expected.caption, timeoutMs);
    [&] {
        ASSERT_TRUE(box != nullptr) << "no message box \"" << Printable(expected.caption) << "\" saying \""
                                    << Printable(expected.text) << "\": " << DescribeBoxes(pelto);
    }();
    const MessageBoxContent content = ReadMessageBox(box);
    if (!expected.anyOwner) {
        EXPECT_EQ(content.owner, expected.owner) << "the owner of \"" << Printable(content.text) << "\"";
    }
    if (!expected.buttons.empty()) {
        std::vector<int> want = expected.buttons, got = content.buttonIds;
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want) << "the buttons of \"" << Printable(content.text) << "\"";
    }
    return box;
}

MessageBoxContent AnswerBox(const PeltoProcess& pelto, const ExpectedBox& expected, int answer, DWORD timeoutMs) {
    HWND box = ExpectBox(pelto, expected, timeoutMs);
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_TRUE(DismissMessageBox(box, answer)) << "the message \"" << Printable(content.text) << "\" did not close";
    return content;
}

std::string DescribeBoxes(const PeltoProcess& pelto) {
    std::string out;
    for (HWND box : pelto.MessageBoxes()) {
        const MessageBoxContent c = ReadMessageBox(box);
        out += (out.empty() ? "[" : " [") + Printable(c.caption) + ": " + Printable(c.text) + "]";
    }
    return out.empty() ? "no message box" : out;
}

std::string UnixPathOf(const std::string& windowsPath) {
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    ToUnix toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH)) return "";
    char* unixPath = toUnix(wide);
    if (!unixPath) return "";
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool DropOnSkin(int x, int y, const std::vector<std::string>& windowsPaths) {
    const std::string tool = EnvironmentValue("PELTO_XDND_DROP");
    if (tool.empty()) return false;
    std::string command = Format("'%s' %d %d", tool.c_str(), x, y);
    for (const std::string& p : windowsPaths) {
        std::string unixPath = UnixPathOf(p);
        if (unixPath.empty() || unixPath.find('\'') != std::string::npos) return false;
        command += " '" + unixPath + "'";
    }
    return RunUnixAndWait(command);
}

HWND FileNameEdit(HWND dialog) {
    for (HWND w : ChildWindowsOf(dialog))
        if (ClassNameOf(w) == "Edit" && IsWindowVisible(w) && !(GetWindowLongPtrA(w, GWL_STYLE) & ES_READONLY)) return w;
    return nullptr;
}

HWND WaitForOpenDialog(DWORD pid, HWND except, HWND owner) {
    return WaitForDialogWhere(pid, 10000, [&](HWND w) {
        return w != except && (!owner || GetWindow(w, GW_OWNER) == owner) && FileNameEdit(w);
    });
}

void CheckBrowseButton(const PeltoProcess& pelto, HWND dialog, int browseId, int fieldId, const std::string& path) {
    const std::string before = ControlText(dialog, fieldId);
    for (bool choose : {false, true}) {
        SCOPED_TRACE(choose ? "a file chosen" : "cancelled");
        ClickDialogButton(dialog, browseId);
        HWND files = WaitForOpenDialog(pelto.pid(), nullptr, dialog);
        ASSERT_NE(files, nullptr) << "browse opened no open-file dialog owned by the dialog";
        if (choose) {
            EXPECT_TRUE(ChooseInOpenDialog(files, path)) << "the open-file dialog did not take the path and close on OK";
            WaitUntil(3000, [&] { return ControlText(dialog, fieldId) == path; });
            EXPECT_EQ(ControlText(dialog, fieldId), path);
        } else {
            ClickDialogButton(files, IDCANCEL);
            EXPECT_TRUE(WindowGoes(files)) << "cancel did not close the open-file dialog";
            EXPECT_TRUE(PeltoAnswers(pelto)) << "Pelto does not answer: " << pelto;
            EXPECT_EQ(ControlText(dialog, fieldId), before);
        }
    }
}

bool ChooseInOpenDialog(HWND dialog, const std::string& path) {
    HWND name = FileNameEdit(dialog);
    if (!name) return false;
    SetControlText(name, path);
    return ClickDialogButton(dialog, IDOK) && WindowGoes(dialog, 8000);
}

}  // namespace e2e
