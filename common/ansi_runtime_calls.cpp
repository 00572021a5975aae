// The 32-bit MinGW runtime calls three wide-character KERNEL32 functions that
// Windows 95/98 export only as stubs that fail: CreateSemaphoreW (GCC's thread
// and unwinder locks), GetModuleHandleW (the CRT's look-ups of msvcrt.dll
// functions) and LoadLibraryW. Each program links these stand-ins instead,
// which do the same through the ANSI functions, so nothing is imported that
// those systems lack. The runtime reaches them through the import pointers,
// so the pointers are what is defined here.
#if defined(_WIN32) && defined(__i386__)
#include <windows.h>

namespace {

// Names that are not plain ASCII do not occur (the runtime passes only DLL
// names), and are refused rather than converted wrongly.
bool NarrowAscii(LPCWSTR wide, char* out, int size) {
    int i = 0;
    for (; wide[i] != 0; ++i) {
        if (i + 1 >= size || wide[i] > 0x7F) return false;
        out[i] = static_cast<char>(wide[i]);
    }
    out[i] = '\0';
    return true;
}

HANDLE WINAPI CreateSemaphoreThroughAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum, LPCWSTR name) {
    char narrow[MAX_PATH];
    if (name && !NarrowAscii(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return CreateSemaphoreA(attributes, initial, maximum, name ? narrow : nullptr);
}

HMODULE WINAPI GetModuleHandleThroughAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (!name) return GetModuleHandleA(nullptr);
    if (!NarrowAscii(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return GetModuleHandleA(narrow);
}

HMODULE WINAPI LoadLibraryThroughAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (!name || !NarrowAscii(name, narrow, sizeof narrow)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return LoadLibraryA(narrow);
}

}  // namespace

// Typed as the functions, so that they are filled in when the program is
// loaded, before any of the runtime's start-up code runs.
extern "C" {
__attribute__((used)) decltype(&CreateSemaphoreThroughAnsi) CreateSemaphoreWPointer __asm__(
    "__imp__CreateSemaphoreW@16") = CreateSemaphoreThroughAnsi;
__attribute__((used)) decltype(&GetModuleHandleThroughAnsi) GetModuleHandleWPointer __asm__(
    "__imp__GetModuleHandleW@4") = GetModuleHandleThroughAnsi;
__attribute__((used)) decltype(&LoadLibraryThroughAnsi) LoadLibraryWPointer __asm__("__imp__LoadLibraryW@4") =
    LoadLibraryThroughAnsi;
}
#endif
