// PeltoTarget.exe: a plain window for Pelto to act on in tests.
//   PeltoTarget.exe [--title TEXT] [--rect X Y W H] [--class NAME]
//                   [--hidden] [--owned] [--popup] [--no-activate] [--edit] [--lifetime SECONDS]
//   PeltoTarget.exe --report-version FILE
// --report-version writes "platform P version M.N bits B" as GetVersionExA sees it
// and ends: run under another file name, it shows what Wine reports to that name.
// --owned makes an owner window (titled "Owner of TEXT") and the window owned by it.
// --popup makes a borderless WS_POPUP window instead of an overlapped one, so
// that its rectangle is exactly the one given. The window is brought to the
// foreground unless --no-activate or --hidden. --edit fills the window with a
// multi-line edit box that has the keyboard focus, as an editor or a chat
// program's input box has. The program ends when its window
// is closed or after the lifetime (120 s by default), so a failed test leaves
// nothing running for long.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/targets/plain_window.h"

namespace {

int OpenWindows = 0;
HWND EditBox = nullptr;

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: ++OpenWindows; return 0;
    case WM_SETFOCUS:
        if (EditBox && GetParent(EditBox) == hwnd) SetFocus(EditBox);
        return 0;
    case WM_DESTROY:
        if (--OpenWindows <= 0) PostQuitMessage(0);
        return 0;
    case WM_TIMER: DestroyWindow(hwnd); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int ReportVersion(const char* path) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 1;
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::fprintf(f, "platform %lu version %lu.%lu bits %u", static_cast<unsigned long>(version.dwPlatformId),
                 static_cast<unsigned long>(version.dwMajorVersion), static_cast<unsigned long>(version.dwMinorVersion),
                 static_cast<unsigned>(sizeof(void*) * 8));
    return std::fclose(f) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--report-version") == 0) return ReportVersion(argv[2]);

    std::string title = "Pelto Target", className = "PeltoTargetClass";
    int x = 100, y = 100, w = 400, h = 300, lifetime = 120;
    bool hidden = false, owned = false, popup = false, activate = true, edit = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--title" && i + 1 < argc) title = argv[++i];
        else if (a == "--class" && i + 1 < argc) className = argv[++i];
        else if (a == "--rect" && i + 4 < argc) {
            x = std::atoi(argv[++i]);
            y = std::atoi(argv[++i]);
            w = std::atoi(argv[++i]);
            h = std::atoi(argv[++i]);
        } else if (a == "--hidden") hidden = true;
        else if (a == "--owned") owned = true;
        else if (a == "--popup") popup = true;
        else if (a == "--no-activate") activate = false;
        else if (a == "--edit") edit = true;
        else if (a == "--lifetime" && i + 1 < argc) lifetime = std::atoi(argv[++i]);
    }

    RegisterPlainClass(className.c_str(), TargetProc, RGB(40, 90, 160));
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    const DWORD style = (popup ? WS_POPUP : WS_OVERLAPPEDWINDOW) | (hidden ? 0 : WS_VISIBLE);
    HWND owner = nullptr;
    if (owned) {
        std::string ownerTitle = "Owner of " + title;
        owner = CreateWindowExA(0, className.c_str(), ownerTitle.c_str(), style, x + 50, y + 50, w, h, nullptr,
                                nullptr, instance, nullptr);
    }
    HWND window =
        CreateWindowExA(0, className.c_str(), title.c_str(), style, x, y, w, h, owner, nullptr, instance, nullptr);
    if (!window) return 1;
    if (edit) {
        RECT client;
        GetClientRect(window, &client);
        EditBox = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL,
                                  0, 0, client.right, client.bottom, window, nullptr, instance, nullptr);
        SetFocus(EditBox);
    }
    SetTimer(window, 1, static_cast<UINT>(lifetime) * 1000u, nullptr);
    if (owner) SetTimer(owner, 1, static_cast<UINT>(lifetime) * 1000u, nullptr);
    if (activate && !hidden) SetForegroundWindow(window);
    return RunMessageLoop();
}
