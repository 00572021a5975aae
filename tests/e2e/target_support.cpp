#include "target_support.h"

#include "driver_framework.h"

namespace e2e {

namespace {

std::string DriverFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return ".";
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

struct FindData {
    DWORD pid;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND w, LPARAM lParam) {
    FindData* d = reinterpret_cast<FindData*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == d->pid && WindowText(w) == *d->title) {
        d->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

TargetProcess::~TargetProcess() {
    if (process_) {
        if (Running()) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

bool TargetProcess::Start(const std::string& arguments, const std::string& title, DWORD timeoutMs) {
    std::string command = "\"" + JoinPath(DriverFolder(), "PeltoTarget.exe") + "\" " + arguments;
    PROCESS_INFORMATION info;
    if (!LaunchProcess(command, &info)) return false;
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    WaitUntil(timeoutMs, [&] { return (window_ = FindWindowTitled(title)) != nullptr || !Running(); });
    return window_ != nullptr;
}

bool TargetProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND TargetProcess::FindWindowTitled(const std::string& title) const {
    FindData d = {pid_, &title, nullptr};
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&d));
    return d.found;
}

bool StartPopupTarget(TargetProcess& target, const std::string& title, const RECT& r) {
    return target.Start(Format("--title \"%s\" --popup --rect %ld %ld %ld %ld", title.c_str(), r.left, r.top,
                               r.right - r.left, r.bottom - r.top),
                        title);
}

bool RunUnixAndWait(const std::string& shellCommand, DWORD timeoutMs) {
    static int counter = 0;
    std::string unixStatus = Format("/tmp/pelto-e2e-status-%lu-%d", GetCurrentProcessId(), ++counter);
    std::string windowsStatus = "Z:" + unixStatus;
    for (char& c : windowsStatus)
        if (c == '/') c = '\\';
    DeleteFileA(windowsStatus.c_str());
    // Wine splits the command line into arguments the Windows way: the script is
    // one double-quoted argument, so it must not hold double quotes itself.
    std::string line = "/bin/sh -c \"" + shellCommand + "; echo $? > " + unixStatus + "\"";
    if (!RunUnixCommand(line)) return false;
    bool done = WaitUntil(timeoutMs, [&] { return FileExists(windowsStatus); });
    if (!done) return false;
    PumpFor(50);  // the status is written; let the line reach the file
    HANDLE f = CreateFileA(windowsStatus.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    char status[16] = "";
    DWORD got = 0;
    if (f != INVALID_HANDLE_VALUE) {
        ReadFile(f, status, sizeof status - 1, &got, nullptr);
        CloseHandle(f);
    }
    DeleteFileA(windowsStatus.c_str());
    return got > 0 && status[0] == '0';
}

bool Xdotool(const std::string& arguments) { return RunUnixAndWait("/usr/bin/xdotool " + arguments); }

bool TypeKeysOnWindowTitled(const std::string& title, const std::string& keys) {
    // The pause lets Wine take the focus in before the keys come: keys typed on
    // no Wine window reach no hotkey.
    return Xdotool("search --limit 1 --name '^" + title + "$' windowfocus --sync sleep 0.3 key --clearmodifiers " +
                   keys);
}

bool TypeKeysOnSkin(const std::string& keys) { return TypeKeysOnWindowTitled("Quorval Pelto", keys); }

std::string ShellQuotedUnixPath(const std::string& windowsPath) {
    std::string p = windowsPath;
    if (p.size() >= 2 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':') p = p.substr(2);
    for (char& c : p)
        if (c == '\\') c = '/';
    return "'" + p + "'";
}

HWND VisibleMenuWindow(DWORD pid) {
    for (HWND menu : TopLevelWindowsOf(pid, "#32768"))
        if (IsWindowVisible(menu)) return menu;
    return nullptr;
}

void CloseMenu(DWORD pid) {
    if (HWND menu = VisibleMenuWindow(pid)) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil(3000, [&] { return VisibleMenuWindow(pid) == nullptr; });
}

RECT WindowRect(HWND window) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

POINT CursorPos() {
    POINT p = {0, 0};
    GetCursorPos(&p);
    return p;
}

bool WaitForWindowAt(HWND window, int x, int y, DWORD timeoutMs) {
    return WaitUntil(timeoutMs, [&] {
        RECT r = WindowRect(window);
        return r.left == x && r.top == y;
    });
}

std::string ReadUserRegistryString(const char* key, const char* value) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "";
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

void WriteUserRegistryString(const char* key, const char* value, const std::string& data) {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(k, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
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

namespace {

BOOL CALLBACK FindNameEdit(HWND w, LPARAM lParam) {
    if (ClassNameOf(w) == "Edit" && IsWindowVisible(w) && !(GetWindowLongPtrA(w, GWL_STYLE) & ES_READONLY)) {
        *reinterpret_cast<HWND*>(lParam) = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FileNameEdit(HWND dialog) {
    HWND edit = nullptr;
    EnumChildWindows(dialog, FindNameEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

void ClickDialogButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace e2e
