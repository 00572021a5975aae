// PeltoDropReceiver.exe: a window that accepts dropped files and logs them, to
// prove the dropper tool.
//   PeltoDropReceiver.exe --log FILE [--rect X Y W H] [--lifetime SECONDS] [--title TEXT]
// The window is a borderless popup with the extended styles of Pelto's skin
// window (tool window, accepts files, topmost) and no OLE drop target. Every
// WM_DROPFILES appends one line per file to the log: "<count>\t<path>\r\n",
// the path being the bytes DragQueryFileA returns (ANSI code page). When the
// window is up, the line "ready\r\n" is written first. The program ends after
// the lifetime (120 s by default) or when the window is closed.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/targets/plain_window.h"

namespace {

std::string LogPath;

void AppendLog(const std::string& text) {
    HANDLE file = CreateFileA(LogPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void LogDrop(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    std::string lines;
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH * 2];
        path[0] = '\0';
        DragQueryFileA(drop, i, path, sizeof path);
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%u\t", count);
        lines += prefix;
        lines += path;
        lines += "\r\n";
    }
    if (count == 0) lines = "0\t\r\n";
    AppendLog(lines);
}

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DROPFILES:
        LogDrop(reinterpret_cast<HDROP>(wParam));
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string title = "Pelto Drop Receiver";
    int x = 300, y = 200, w = 200, h = 150, lifetime = 120;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--log" && i + 1 < argc) LogPath = argv[++i];
        else if (a == "--title" && i + 1 < argc) title = argv[++i];
        else if (a == "--lifetime" && i + 1 < argc) lifetime = std::atoi(argv[++i]);
        else if (a == "--rect" && i + 4 < argc) {
            x = std::atoi(argv[++i]);
            y = std::atoi(argv[++i]);
            w = std::atoi(argv[++i]);
            h = std::atoi(argv[++i]);
        }
    }
    if (LogPath.empty()) {
        std::fprintf(stderr, "usage: PeltoDropReceiver.exe --log FILE [--rect X Y W H] [--lifetime S]\n");
        return 2;
    }

    const char* const className = "PeltoDropReceiverClass";
    RegisterPlainClass(className, ReceiverProc, RGB(160, 90, 40));

    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST, className, title.c_str(),
                                  WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (!window) return 1;
    SetTimer(window, 1, static_cast<UINT>(lifetime) * 1000u, nullptr);
    AppendLog("ready\r\n");
    return RunMessageLoop();
}
