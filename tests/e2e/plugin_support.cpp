#include "plugin_support.h"

#include <tlhelp32.h>

#include <algorithm>

#include "target_support.h"

namespace e2e {

namespace {
// The space a popup menu leaves above its first item and below its last.
constexpr int kPopupMargin = 3;
}  // namespace

const char kNotAPluginText[] = "指定されたプラグインはPeltoプラグインではありません。\n指定し直してください。";
const char kMissingPluginText[] = "指定されたプラグインがありません。";

std::string FixturePath(const std::string& name) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self, length < sizeof self ? length : 0);
    folder = folder.substr(0, folder.find_last_of('\\'));
    return JoinPath(JoinPath(folder, "fixtures"), name + ".ppi");
}

bool InstallFixture(const InstallFolder& folder, const std::string& name) {
    CreateDirectoryA(folder.File("plugins").c_str(), nullptr);
    return CopyFileA(FixturePath(name).c_str(), folder.File("plugins\\" + name + ".ppi").c_str(), FALSE) != 0;
}

std::vector<std::string> PluginRowOrder(const InstallFolder& folder, const std::vector<std::string>& valid) {
    std::vector<std::string> rows;
    WIN32_FIND_DATAA item;
    HANDLE search = FindFirstFileA(folder.File("plugins\\*.ppi").c_str(), &item);
    if (search == INVALID_HANDLE_VALUE) return rows;
    do {
        if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        for (const std::string& name : valid)
            if (lstrcmpiA(name.c_str(), item.cFileName) == 0) rows.push_back(name);
    } while (FindNextFileA(search, &item));
    FindClose(search);
    return rows;
}

int RowOf(const std::vector<std::string>& rows, const std::string& name) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == name) return static_cast<int>(i);
    return -1;
}

HWND OpenPluginPopup(const PeltoSession& s) { return OpenMenuWithHotkey(s.pelto.pid(), 'X'); }

bool ChooseFromPluginPopup(const PeltoSession& s, int row, int rowCount) {
    if (row < 0 || row >= rowCount) return false;
    // A glide of the pointer to a new target would carry the click off the row:
    // wait until the pointer has stood still for a moment.
    WaitForPointerToRest();
    HWND menu = OpenPluginPopup(s);
    Trace("plug-in popup %p for row %d", static_cast<void*>(menu), row);
    if (!menu) return false;
    // A click on the row: the items share the client area evenly, inside a small
    // margin above and below. (Keys typed after the hotkey go to whichever window
    // Wine holds as the foreground one, which is not always the menu's owner.)
    RECT client;
    GetClientRect(menu, &client);
    POINT origin = {0, 0};
    ClientToScreen(menu, &origin);
    const int inner = client.bottom - 2 * kPopupMargin;
    const int x = origin.x + client.right / 3;
    const int y = origin.y + kPopupMargin + (2 * row + 1) * inner / (2 * rowCount);
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
        WaitUntil(8000, [&] {
            for (HWND w : DialogsCaptioned(s.pelto.pid(), caption))
                if (std::find(before.begin(), before.end(), w) == before.end()) dialog = w;
            return dialog != nullptr;
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

std::string ReadFileText(const std::string& path) {
    std::string text;
    return ReadFileBytes(path, &text) ? text : "";
}

// ---------------------------------------------------------------- busy processors

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
