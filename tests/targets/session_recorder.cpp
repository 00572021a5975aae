// Watches a Wine session of its own for the end-to-end test of leaving Windows:
// a top-level window that records, one line each, to the file named on its
// command line (Windows path):
//   "menu"                 when a popup menu of the session first shows,
//   "box <text>"           the text of each new message box captioned "Pelto",
//   "query <lParam>"       WM_QUERYENDSESSION (answered TRUE),
//   "end <wParam> <lParam>" WM_ENDSESSION.
// It never acts on other windows; the test's keys do that.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "tests/targets/plain_window.h"

namespace {

char LogPath[MAX_PATH] = "";
HWND LastBox = nullptr;
bool MenuSeen = false;

void Record(const char* line) { AppendToFile(LogPath, std::string(line) + "\n"); }

BOOL CALLBACK TakeStaticText(HWND child, LPARAM lParam) {
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    char* text = reinterpret_cast<char*>(lParam);
    GetWindowTextA(child, text, 512);
    return text[0] == '\0';
}

void LookAround() {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu) && !MenuSeen) {
        MenuSeen = true;
        Record("menu");
    }
    HWND box = FindWindowA("#32770", "Pelto");
    if (box && box != LastBox && IsWindowVisible(box)) {
        LastBox = box;
        char text[512] = "";
        EnumChildWindows(box, TakeStaticText, reinterpret_cast<LPARAM>(text));
        char line[600];
        std::snprintf(line, sizeof line, "box %s", text);
        Record(line);
    }
}

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char line[64];
    switch (message) {
    case WM_QUERYENDSESSION:
        std::snprintf(line, sizeof line, "query %ld", static_cast<long>(lParam));
        Record(line);
        return TRUE;
    case WM_ENDSESSION:
        std::snprintf(line, sizeof line, "end %d %ld", static_cast<int>(wParam), static_cast<long>(lParam));
        Record(line);
        return 0;
    case WM_TIMER: LookAround(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strlen(commandLine) >= sizeof LogPath) return 1;
    std::strcpy(LogPath, commandLine);
    RegisterPlainClass("PeltoSessionRecorder", RecorderProc, GetSysColor(COLOR_WINDOW));
    HWND window = CreateWindowA("PeltoSessionRecorder", "Session Recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 600,
                                300, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetTimer(window, 1, 50, nullptr);
    Record("started");
    return RunMessageLoop();
}
