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

std::string PeltoSystemFolder() {
    char path[MAX_PATH] = "";
    UINT n = 0;
    // A 32-bit program on 64-bit Windows (or Wine) sees SysWOW64 as system32;
    // a 32-bit driver is redirected there by itself.
    if (sizeof(void*) == 8 && PeltoIs32Bit())
        n = GetSystemWow64DirectoryA(path, sizeof path);
    else
        n = GetSystemDirectoryA(path, sizeof path);
    if (n == 0 || n >= sizeof path) return "C:\\windows\\system32";
    return path;
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
    if (!window_) {
        // Said here, for the caller's "no target": which of the two it was.
        DWORD code = 0;
        if (Running() || !GetExitCodeProcess(process_, &code))
            std::printf("  %s: no window \"%s\" within %lu ms\n", command.c_str(), title.c_str(),
                        static_cast<unsigned long>(timeoutMs));
        else
            std::printf("  %s ended with code %lu before its window showed\n", command.c_str(),
                        static_cast<unsigned long>(code));
        std::fflush(stdout);
    }
    return window_ != nullptr;
}

HWND TargetProcess::FindWindowTitled(const std::string& title) const {
    for (HWND w : TopLevelWindowsOf(pid_, nullptr))
        if (WindowText(w) == title) return w;
    return nullptr;
}

std::string OtherBitnessTarget() {
    char path[MAX_PATH] = "";
    const DWORD n = GetEnvironmentVariableA("PELTO_E2E_OTHER_TARGET", path, sizeof path);
    if (n == 0 || n >= sizeof path) return "";
    return path;
}

std::string ExpectedProgramPath(const std::string& exePath) {
    if (ReportedWindowsFamily() == ReportedFamily::Windows9x) return exePath.substr(exePath.find_last_of('\\') + 1);
    return exePath;
}

bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& r) {
    return target.Start(Format("--title \"%s\" --popup --rect %ld %ld %ld %ld", title.c_str(), r.left, r.top,
                               r.right - r.left, r.bottom - r.top),
                        title);
}

std::string RunTag() {
    // Neither the display nor the process changes while the driver runs.
    static const std::string tag = [] {
        char display[64] = "";
        const DWORD length = GetEnvironmentVariableA("DISPLAY", display, sizeof display);
        std::string t;
        if (length == 0 || length >= sizeof display) t = "nodisplay";
        for (const char* p = display; length < sizeof display && *p; ++p) t += (*p >= '0' && *p <= '9') ? *p : '_';
        return t + Format("-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    }();
    return tag;
}

bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs) {
    static int counter = 0;
    std::string unixStatus = Format("/tmp/pelto-e2e-status-%s-%d", RunTag().c_str(), ++counter);
    std::string windowsStatus = "Z:" + unixStatus;
    for (char& c : windowsStatus)
        if (c == '/') c = '\\';
    DeleteFileA(windowsStatus.c_str());
    // Wine splits the command line into arguments the Windows way: the script is
    // one double-quoted argument, so it must not hold double quotes itself. The
    // status goes to a temp name first and is renamed into place, so the file,
    // once it appears, already holds the whole line.
    std::string line = "/bin/sh -c \"" + shellCommand + "; echo $? > " + unixStatus + ".part && mv -f " +
                       unixStatus + ".part " + unixStatus + "\"";
    if (!RunUnixCommand(line)) return false;
    // Read only whole: the status line ends with the line feed echo wrote.
    std::string status;
    bool done = WaitUntil(timeoutMs, [&] { return ReadFileBytes(windowsStatus, &status) && !status.empty() && status.back() == '\n'; });
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

HWND OpenMenuWithHotkey(DWORD pid, WORD key) {
    // Right after the foreground has changed (a menu closed, a window hidden),
    // Wine now and then lets the chord reach no hotkey. A user presses it again;
    // the log keeps count.
    for (int press = 0; press < 2; ++press) {
        if (press > 0) {
            std::printf("  Ctrl+Shift+%c opened no menu (\"%s\" in front): pressed again\n", static_cast<char>(key),
                        WindowText(GetForegroundWindow()).c_str());
            std::fflush(stdout);
        }
        if (!PressKeys({VK_CONTROL, VK_SHIFT, key})) return nullptr;
        if (HWND menu = WaitForMenuWindow(pid)) return menu;
    }
    return nullptr;
}

bool CloseMenu(DWORD pid) {
    // Esc pressed as the user presses it: the open menu's loop takes the key.
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

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

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
    // Synchronous: once it returns the skin stands aside, so only a tick can move it again.
    if (!SetWindowPos(skin, nullptr, asideX, asideY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER))
        return false;
    return WaitUntil(timeoutMs, [&] {
        RECT r = WindowRect(skin);
        return r.left != asideX || r.top != asideY;
    });
}

std::vector<DWORD> DefaultSkinFollowGaps(HWND skin, HWND target, int count, DWORD timeoutMs) {
    std::vector<DWORD> gaps;
    RECT t = WindowRect(target);
    const int width = t.right - t.left, height = t.bottom - t.top;
    auto followed = [&](const RECT& at) {
        RECT r = WindowRect(skin);
        return r.left == at.right - 265 && r.top == at.top + 4;
    };
    if (!WaitUntil(timeoutMs, [&] { return followed(t); }, 2)) return gaps;
    // The first follow only finds a tick to start from: the skin may have
    // been placed long before (a glide, for one, runs after the placement).
    for (int i = 0; i <= count; ++i) {
        t.top = (i % 2 == 0) ? t.top + 60 : t.top - 60;
        t.bottom = t.top + height;
        DWORD moved = GetTickCount();
        MoveWindow(target, t.left, t.top, width, height, TRUE);
        if (!WaitUntil(timeoutMs, [&] { return followed(t); }, 2)) break;
        if (i > 0) gaps.push_back(GetTickCount() - moved);
    }
    return gaps;
}

std::string GapsText(const std::vector<DWORD>& gaps) {
    std::string text;
    for (DWORD g : gaps) text += (text.empty() ? "" : ", ") + std::to_string(g) + " ms";
    return text.empty() ? "none" : text;
}

DWORD MedianGap(std::vector<DWORD> gaps) {
    if (gaps.empty()) return 0;
    std::sort(gaps.begin(), gaps.end());
    return gaps[gaps.size() / 2];
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

std::string ReadUserRegistryString(const char* key, const char* value) {
    return ReadRegistryString(HKEY_CURRENT_USER, key, value);
}

void WriteUserRegistryString(const char* key, const char* value, const std::string& data) {
    WriteRegistryString(HKEY_CURRENT_USER, key, value, data);
}

void DeleteUserRegistryValue(const char* key, const char* value) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, value);
    RegCloseKey(k);
}

HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND w : MessageBoxesOf(pid))
            if (WindowText(w) == caption) {
                found = w;
                return true;
            }
        return false;
    });
    return found;
}

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

HWND WaitForNewTrayIcon(const std::vector<HWND>& before, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND icon : TrayIconWindows())
            if (std::find(before.begin(), before.end(), icon) == before.end()) found = icon;
        return found != nullptr;
    });
    return found;
}

bool WaitForTrayIconGone(HWND icon, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] {
        for (HWND w : TrayIconWindows())
            if (w == icon) return false;
        return true;
    });
}

HWND WaitForBox(const PeltoProcess& pelto, const std::string& text, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        for (HWND box : pelto.MessageBoxes())
            if ((caption.empty() || WindowText(box) == caption) && (text.empty() || ReadMessageBox(box).text == text))
                found = box;
        return found != nullptr;
    });
    return found;
}

HWND ExpectBox(const PeltoProcess& pelto, const ExpectedBox& expected, DWORD timeoutMs) {
    HWND box = WaitForBox(pelto, expected.text, expected.caption, timeoutMs);
    [&] { ASSERT_TRUE(box != nullptr) << Format("no message box \"%s\" saying \"%s\": %s", Printable(expected.caption).c_str(), Printable(expected.text).c_str(), DescribeBoxes(pelto).c_str()); }();
    MessageBoxContent content = ReadMessageBox(box);
    if (!expected.anyOwner) {
        EXPECT_TRUE(content.owner == expected.owner) << Format("the message \"%s\" is owned by %p, expected %p", Printable(content.text).c_str(), static_cast<void*>(content.owner), static_cast<void*>(expected.owner));
    }
    if (!expected.buttons.empty()) {
        std::vector<int> want = expected.buttons, got = content.buttonIds;
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_TRUE(got == want) << Format("the message \"%s\" has other buttons", Printable(content.text).c_str());
    }
    return box;
}

MessageBoxContent AnswerBox(const PeltoProcess& pelto, const ExpectedBox& expected, int answer, DWORD timeoutMs) {
    HWND box = ExpectBox(pelto, expected, timeoutMs);
    MessageBoxContent content = ReadMessageBox(box);
    EXPECT_TRUE(DismissMessageBox(box, answer)) << Format("the message \"%s\" did not close", Printable(content.text).c_str());
    return content;
}

std::string DescribeBoxes(const PeltoProcess& pelto) {
    std::string out;
    for (HWND box : pelto.MessageBoxes()) {
        MessageBoxContent c = ReadMessageBox(box);
        out += "[" + Printable(c.caption) + ": " + Printable(c.text) + "] ";
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
    char tool[MAX_PATH] = "";
    DWORD n = GetEnvironmentVariableA("PELTO_XDND_DROP", tool, sizeof tool);
    if (n == 0 || n >= sizeof tool) return false;
    std::string command = Format("'%s' %d %d", tool, x, y);
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
    HWND found = nullptr;
    WaitUntil(10000, [&] {
        for (HWND w : MessageBoxesOf(pid))
            if (w != except && (!owner || GetWindow(w, GW_OWNER) == owner) && FileNameEdit(w)) {
                found = w;
                return true;
            }
        return false;
    });
    return found;
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
    if (!ClickDialogButton(dialog, IDOK)) return false;
    return WaitUntil(8000, [&] { return !IsWindow(dialog); });
}

}  // namespace e2e
