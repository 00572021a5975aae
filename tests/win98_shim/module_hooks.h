// The library functions through which Pelto reaches further code: each module
// a plug-in load brings in gets the rules too, and functions looked up by name
// get the same replacements as imported ones.
#pragma once
#include <windows.h>

HMODULE WINAPI ShimLoadLibraryA(LPCSTR name);
HMODULE WINAPI ShimLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags);
FARPROC WINAPI ShimGetProcAddress(HMODULE module, LPCSTR name);
