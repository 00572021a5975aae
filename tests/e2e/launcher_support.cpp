#include "launcher_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

#include "driver_framework.h"
#include "input_support.h"
#include "resources/resource_ids.h"
#include "target_support.h"

namespace e2e {

std::string LauncherFileText(const std::vector<LauncherItem>& items) {
    std::string text = Format("%u\n", static_cast<unsigned>(items.size()));
    for (const LauncherItem& item : items) text += item.path + "\n" + item.title + "\n";
    std::replace(text.begin(), text.end(), ' ', '?');
    return text;
}

bool WriteLauncherFile(const InstallFolder& folder, const std::vector<LauncherItem>& items) {
    return WriteFileBytes(folder.File("launch_data"), LauncherFileText(items));
}

std::string LauncherFileOf(const InstallFolder& folder) { return ReadFileText(folder.File("launch_data")); }

std::string WaitForLauncherFile(const InstallFolder& folder, const std::string& expected, DWORD timeoutMs) {
    WaitUntil(timeoutMs, [&] { return LauncherFileOf(folder) == expected; });
    return LauncherFileOf(folder);
}

std::string AttachSkinTo(const PeltoSession& s, HWND target) {
    const RECT t = WindowRect(target);
    const int x = t.right - 265, y = t.top + 4;
    // Wine may hand the front on to a window on its way out (hidden) just after the target
    // came there: brought back once, as a user clicks it again, and logged.
    for (int time = 0; time < 2; ++time) {
        if (!BringToForeground(target))
            return Format("\"%s\" did not come to the front: \"%s\" is there", WindowText(target).c_str(), WindowText(GetForegroundWindow()).c_str());
        if (WaitForWindowAt(s.skin, x, y) && WaitForTick(s.skin) && WaitForWindowAt(s.skin, x, y)) return "";
        if (GetForegroundWindow() == target || IsWindowVisible(GetForegroundWindow())) break;
        std::printf("  \"%s\" lost the front to a hidden window: brought back\n", WindowText(target).c_str());
    }
    HWND front = GetForegroundWindow();
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    return Format("the skin did not attach to \"%s\" %s: skin at %s; in front %s \"%s\" of process %lu (Pelto %lu), %s",
                  WindowText(target).c_str(), RectText(t).c_str(), RectText(WindowRect(s.skin)).c_str(),
                  ClassNameOf(front).c_str(), Printable(WindowText(front)).c_str(), static_cast<unsigned long>(pid),
                  static_cast<unsigned long>(s.pelto.pid()), IsWindowVisible(front) ? "visible" : "hidden");
}

std::string AddThisWindow(PeltoSession& s, TargetProcess& target, const std::string& exe, const std::string& args,
                          const std::string& title) {
    if (!target.StartProgram(exe, args, title)) return "no window of " + exe;
    std::string why = AttachSkinTo(s, target.window());
    if (why.empty()) s.ChooseFromMenu(IDM_LAUNCHER_ADD);
    return why;
}

HWND OpenLauncherPopup(const PeltoSession& s) { return MoveMouse(POINT{400, 300}) ? OpenMenuWithHotkey(s.pelto.pid(), 'Z') : nullptr; }

bool PlaceMarker(const std::string& path) {
    std::string folder = path.substr(0, path.find_last_of('\\'));
    CreateDirectoryA(folder.c_str(), nullptr);
    DeleteFileA((path + ".ran").c_str());
    return CopyFileA(TestProgramPath("PeltoMarker.exe").c_str(), path.c_str(), FALSE) != 0;
}

bool MarkerRan(const std::string& path) { return FileExists(path + ".ran"); }

namespace {

bool AnyProcessNamed(const std::vector<std::string>& paths) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return true;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        for (const std::string& path : paths)
            if (lstrcmpiA(entry.szExeFile, path.substr(path.find_last_of('\\') + 1).c_str()) == 0) found = true;
    CloseHandle(snapshot);
    return found;
}

}  // namespace

bool WaitForMarkersDone(const PeltoProcess& pelto, const std::vector<std::string>& paths, DWORD timeoutMs) {
    return WaitForPeltoIdle(pelto, timeoutMs) && WaitUntil(timeoutMs, [&] { return !AnyProcessNamed(paths); });
}

HWND OpenEntryDialog(const PeltoSession& s, HWND settings, int button) {
    if (!ClickDialogButton(settings, button)) return nullptr;
    return WaitForDialog(s.pelto.pid(), button == IDC_LAUNCHER_ADD ? kNewEntryCaption : kEditEntryCaption);
}

bool FillEntry(HWND entry, const std::string& path, const char* title) {
    SetControlText(entry, IDC_ENTRY_PATH, path);
    if (title) SetControlText(entry, IDC_ENTRY_TITLE, title);
    return ClickDialogButton(entry, IDC_ENTRY_OK) && WindowGoes(entry);
}

void DeleteLauncherLine(const PeltoSession& s, HWND settings, int line, int answer) {
    SendMessageA(GetDlgItem(settings, IDC_LAUNCHER_LIST), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    if (ClickDialogButton(settings, IDC_LAUNCHER_DELETE))
        AnswerBox(s.pelto, {kDeleteQuestion, "Pelto", settings, false, {IDYES, IDNO}}, answer);
}

std::vector<std::string> ListBoxLines(HWND dialog, int id) {
    // Wine passes a list box line to another process as UTF-16 even with SendMessageA: read wide, made CP932.
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::string> lines;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[1024] = L"";
        char text[2048] = "";
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length >= 0 && length < static_cast<LRESULT>(sizeof wide / sizeof wide[0])) {
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            WideCharToMultiByte(932, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        }
        lines.push_back(text);
    }
    return lines;
}

}  // namespace e2e
