#include "plugin_support.h"

#include <tlhelp32.h>

#include <algorithm>

#include "target_support.h"

namespace e2e {

std::string FixturePath(const std::string& name) { return JoinPath(DriverFolder(), "fixtures\\" + name + ".ppi"); }

bool InstallFixture(const InstallFolder& folder, const std::string& name) {
    CreateDirectoryA(folder.File("plugins").c_str(), nullptr);
    return CopyFileA(FixturePath(name).c_str(), folder.File("plugins\\" + name + ".ppi").c_str(), FALSE) != 0;
}

std::vector<std::string> PluginRowOrder(const InstallFolder& folder, const std::vector<std::string>& valid) {
    std::vector<std::string> rows;
    ForEachFile(folder.File("plugins\\*.ppi"), [&](const WIN32_FIND_DATAA& item) {
        for (const std::string& name : valid)
            if (!(item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && lstrcmpiA(name.c_str(), item.cFileName) == 0)
                rows.push_back(name);
    });
    return rows;
}

int RowOf(const std::vector<std::string>& rows, const std::string& name) {
    const auto it = std::find(rows.begin(), rows.end(), name);
    return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
}

HWND OpenPluginPopup(const PeltoSession& s) { return OpenMenuWithHotkey(s.pelto.pid(), 'X'); }

bool ChooseFromPluginPopup(const PeltoSession& s, int row, int rowCount) {
    if (row < 0 || row >= rowCount) return false;
    WaitForPointerToRest();  // a glide to a new target would carry the click off the row
    HWND menu = OpenPluginPopup(s);
    Trace("plug-in popup %p for row %d", static_cast<void*>(menu), row);
    if (!menu) return false;
    // A click on the row, not keys: those go to whichever window Wine holds in front,
    // not always the menu's owner. The rows share the client area inside a 3-pixel margin.
    constexpr int kPopupMargin = 3;
    const RECT client = ClientRectOnScreen(menu);
    const int inner = client.bottom - client.top - 2 * kPopupMargin;
    const int x = client.left + (client.right - client.left) / 3;
    const int y = client.top + kPopupMargin + (2 * row + 1) * inner / (2 * rowCount);
    if (!Click(menu, POINT{x, y})) return false;
    const bool closed = WaitUntil(5000, [&] { return VisibleMenuWindow(s.pelto.pid()) == nullptr; });
    Trace("plug-in popup closed: %d", closed ? 1 : 0);
    if (!closed) CloseMenu(s.pelto.pid());
    return closed;
}

std::vector<HWND> DialogsCaptioned(DWORD pid, const std::string& caption) {
    std::vector<HWND> found;
    for (HWND w : MessageBoxesOf(pid))
        if (WindowText(w) == caption) found.push_back(w);
    return found;
}

HWND OpenNewPluginDialog(const PeltoSession& s, const std::string& file, const std::string& caption, const char* which) {
    const std::vector<HWND> before = DialogsCaptioned(s.pelto.pid(), caption);
    HWND dialog = nullptr;
    if (ChooseFromPluginPopup(s, RowOf(PluginRowOrder(s.folder, {"Moldra.ppi", "Tachel.ppi"}), file), 2))
        dialog = WaitForDialogWhere(s.pelto.pid(), 8000, [&](HWND w) {
            return WindowText(w) == caption && std::find(before.begin(), before.end(), w) == before.end();
        }, 5);
    [&] { ASSERT_TRUE(dialog != nullptr) << "no " << which << " " << file << " dialog: " << s.pelto; }();
    return dialog;
}

bool ModuleLoaded(DWORD pid, const char* fileName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &entry); more && !found; more = Module32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szModule, fileName) == 0;
    CloseHandle(snapshot);
    return found;
}

BusyProcessors::BusyProcessors() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    for (DWORD i = 0; i < info.dwNumberOfProcessors && i < 16; ++i)
        if (HANDLE t = CreateThread(nullptr, 0, Spin, const_cast<LONG*>(&stop_), 0, nullptr)) threads_.push_back(t);
}

BusyProcessors::~BusyProcessors() {
    InterlockedExchange(const_cast<LONG*>(&stop_), 1);
    for (HANDLE t : threads_) {
        WaitForSingleObject(t, 5000);
        CloseHandle(t);
    }
}

DWORD WINAPI BusyProcessors::Spin(void* stop) {
    volatile LONG* flag = static_cast<volatile LONG*>(stop);
    volatile unsigned long long sink = 0;
    while (*flag == 0)
        for (int i = 0; i < 100000; ++i) sink = sink + static_cast<unsigned long long>(i);
    return 0;
}

}  // namespace e2e
