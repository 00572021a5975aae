// IdleTimer.exe SECONDS: the tick benchmark's baseline. A Win32 window with the
// same 500 ms timer as Pelto's tracking, whose ticks do no work at all.
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK IdleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == 2) PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const UINT seconds = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 60u;
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = IdleProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "IdleTimerClass";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0,
                                  0, 200, 18, nullptr, nullptr, wc.hInstance, nullptr);
    SetTimer(window, 1, 500, nullptr);
    SetTimer(window, 2, seconds * 1000u, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
