// PopupBench: the time from command 40061 to a 100-entry launcher popup fully
// drawn, against a plain 100-item text popup with the same titles, both shown
// by one window of this process through the program's own popup code.
//
//   PopupBench.exe [--runs N]     (N timed runs of each, default 15; the median is reported)
//
// "Fully drawn" is the menu loop's first WM_ENTERIDLE: the popup is shown and
// painted and no message waits any more. The popup is then closed with EndMenu.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "core/app_state.h"
#include "launcher/launcher_store.h"
#include "launcher/popup_menus.h"
#include "plugin_host/plugin_list.h"
#include "resources/resource_ids.h"

// The plug-in popup item is never chosen here.
void StartPlugin(HWND, int) {}

namespace {

constexpr int kEntries = 100;
constexpr WPARAM kPlainPopupCommand = 1000;

double ShownAt = 0;
int ItemsDrawn = 0;
bool Idle = false;

void ShowPlainPopup(HWND owner) {
    HMENU menu = CreatePopupMenu();
    for (int i = 0; i < kEntries; ++i) AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(i), LauncherList.Entries[i].Title);
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(menu, 0, p.x, p.y, 0, owner, nullptr);
    DestroyMenu(menu);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM: MeasureListItem(hwnd, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DRAWITEM:
        DrawListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        ++ItemsDrawn;
        return TRUE;
    case WM_ENTERIDLE:
        if (wParam == MSGF_MENU && !Idle) {
            Idle = true;
            ShownAt = NowMs();
            EndMenu();
        }
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_LAUNCHER_LIST) ShowLauncherPopup(hwnd);
        if (LOWORD(wParam) == IDM_PLUGIN_LIST) ShowPluginPopup(hwnd);
        if (wParam == kPlainPopupCommand) ShowPlainPopup(hwnd);
        return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// 100 existing files, so that every item gets the shell's icon.
void FillLists() {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::vector<std::string> files;
    for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(system) + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            std::string path = std::string(system) + "\\" + found.cFileName;
            if (path.size() < kLauncherTextSize) files.push_back(path);
        } while (files.size() < kEntries && FindNextFileA(search, &found));
        FindClose(search);
    }
    LauncherList.Count = kEntries;
    PluginList.Count = kEntries;
    for (int i = 0; i < kEntries; ++i) {
        const std::string path = files.empty() ? "C:\\none.exe" : files[static_cast<std::size_t>(i) % files.size()];
        std::snprintf(LauncherList.Entries[i].Path, kLauncherTextSize, "%s", path.c_str());
        std::snprintf(LauncherList.Entries[i].Title, kLauncherTextSize, "Program %02d %s", i,
                      path.substr(path.find_last_of('\\') + 1).c_str());
        std::snprintf(PluginList.Entries[i].DisplayName, kPluginTextSize, "%s", LauncherList.Entries[i].Title);
    }
}

// One popup shown by command and closed at its first idle moment; milliseconds.
double TimeOne(HWND owner, WPARAM command, int* drawn) {
    Idle = false;
    ItemsDrawn = 0;
    SetCursorPos(100, 100);
    const double start = NowMs();
    SendMessageA(owner, WM_COMMAND, command, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // the posted choice, if any
    ClearPopupFlags();
    *drawn = ItemsDrawn;
    return Idle ? ShownAt - start : -1;
}

// Where the launcher popup's time goes: the shell's icon of each drawn item,
// asked for and destroyed as the drawing does it. Milliseconds for `count` items.
double TimeShellIcons(int count) {
    const double start = NowMs();
    for (int i = 0; i < count; ++i) {
        SHFILEINFOA info;
        ZeroMemory(&info, sizeof info);
        if (SHGetFileInfoA(LauncherList.Entries[i % kEntries].Path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON))
            DestroyIcon(info.hIcon);
    }
    return NowMs() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[++i]));

    ProgramInstance = GetModuleHandleA(nullptr);
    FillLists();
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ProgramInstance;
    wc.lpszClassName = "PopupBenchOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "Popup Bench", WS_POPUP | WS_VISIBLE,
                                 0, 0, 40, 40, nullptr, nullptr, ProgramInstance, nullptr);
    SetForegroundWindow(owner);

    struct Case {
        const char* name;
        WPARAM command;
        std::vector<double> times;
        int drawn = 0;
    } cases[] = {{"launcher popup, 100 entries with shell icons", IDM_LAUNCHER_LIST, {}},
                 {"owner-drawn popup, same code, no icon file", IDM_PLUGIN_LIST, {}},
                 {"plain text popup, 100 items", kPlainPopupCommand, {}}};
    for (Case& c : cases) TimeOne(owner, c.command, &c.drawn);  // warm-up
    for (int r = 0; r < runs; ++r)
        for (Case& c : cases) {
            double t = TimeOne(owner, c.command, &c.drawn);
            if (t < 0) {
                std::printf("%s: the popup never went idle\n", c.name);
                return 1;
            }
            c.times.push_back(t);
        }
    for (const Case& c : cases)
        std::printf("%-48s median %7.2f ms (min %7.2f, %d items drawn)\n", c.name, Median(c.times),
                    *std::min_element(c.times.begin(), c.times.end()), c.drawn);
    const double plain = Median(cases[2].times);
    if (plain > 0) {
        std::printf("launcher popup / plain popup: %.2fx (target: within 2x)\n", Median(cases[0].times) / plain);
        std::printf("owner-drawn without icons / plain popup: %.2fx\n", Median(cases[1].times) / plain);
    }
    const int drawn = cases[0].drawn > 0 ? cases[0].drawn : kEntries;
    std::printf("shell icons alone (SHGetFileInfoA + DestroyIcon) for the %d drawn items: %.2f ms\n", drawn,
                TimeShellIcons(drawn));
    DestroyWindow(owner);
    return 0;
}
