// Stands in for the control panel's control.exe in the end-to-end tests: it
// appends the arguments it was started with, as one line, to the file named by
// the environment variable PELTO_CONTROL_LOG, and ends.
#include "tests/targets/plain_window.h"

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
    return AppendToFile(log, std::string(p) + "\n") ? 0 : 1;
}
