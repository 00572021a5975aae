// What the small programs of the end-to-end tests have in common: PeltoTarget,
// PeltoSessionRecorder, PeltoControlStandIn and PeltoIconWorkerCheck. Each stays
// a program of its own.
#pragma once
#include <windows.h>

#include <string>

// Registers a window class of this program with an arrow cursor and a background
// of one colour.
inline void RegisterPlainClass(const char* name, WNDPROC proc, COLORREF background) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(background);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

// Appends the text to the file in one write (shared, so that a test reads it
// meanwhile); false when the file cannot be opened.
inline bool AppendToFile(const char* path, const std::string& text) {
    HANDLE f = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
    return true;
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
