// Plug-ins for the end-to-end tests, built from this one file with different
// macros (see CMakeLists.txt); never installed. A start writes FIXTURE_MARKER in
// the host's folder with what PpiStart was given, then returns at once.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "plugin_host/plugin_contract.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

#ifdef FIXTURE_NAME_LENGTH
// A name of exactly FIXTURE_NAME_LENGTH bytes.
extern "C" char* WINAPI PpiGetData(char* displayName) {
    static const char kHead[] = FIXTURE_NAME;
    const size_t head = sizeof kHead - 1;
    for (size_t i = 0; i < FIXTURE_NAME_LENGTH; ++i) displayName[i] = i < head ? kHead[i] : static_cast<char>('a' + i % 26);
    displayName[FIXTURE_NAME_LENGTH] = '\0';
    return displayName;
}
#else
extern "C" char* WINAPI PpiGetData(char* displayName) {
    std::strcpy(displayName, FIXTURE_NAME);
    return displayName;
}
#endif

// The export names come from the .def file; this one is exported either as
// PpiStart or only under a decorated name.
extern "C" int WINAPI FixtureStart(HWND hostWindow, HWND targetWindow, const char* hostPath,
                                   const char* targetExePath) {
    char path[MAX_PATH + 64];
    std::snprintf(path, sizeof path, "%s", hostPath);
    char* slash = std::strrchr(path, '\\');
    if (!slash) return 1;
    std::snprintf(slash + 1, sizeof path - static_cast<size_t>(slash + 1 - path), "%s", FIXTURE_MARKER);
    FILE* f = std::fopen(path, "wb");
    if (!f) return 1;
    std::fprintf(f, "host=%llu\ntarget=%llu\npath=%s\nexe=%s\nthread=%lu\n",
                 static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(hostWindow)),
                 static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(targetWindow)), hostPath,
                 targetExePath, static_cast<unsigned long>(GetCurrentThreadId()));
    std::fclose(f);
    return 0;
}
