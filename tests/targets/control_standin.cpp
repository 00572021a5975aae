// Stands in for the control panel's control.exe in the end-to-end tests: it
// appends the arguments it was started with, as one line, to the file named by
// the environment variable PELTO_CONTROL_LOG, and ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("PELTO_CONTROL_LOG", log, sizeof log);
    if (n == 0 || n >= sizeof log) return 1;
    // The arguments: the command line after the program name, quoted or not.
    const char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    HANDLE f = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(f, p, static_cast<DWORD>(std::strlen(p)), &written, nullptr);
    WriteFile(f, "\n", 1, &written, nullptr);
    CloseHandle(f);
    return 0;
}
