// What the small windows of the end-to-end tests have in common: PeltoTarget,
// PeltoSessionRecorder and PeltoDropReceiver. Each stays a program of its own.
#pragma once
#include <windows.h>

#include <cstring>

// Registers a window class of this program with an arrow cursor and a background
// of one colour.
inline void RegisterPlainClass(const char* name, WNDPROC proc, COLORREF background) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(background);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

// Handles the thread's messages until WM_QUIT; the program's exit code.
inline int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
