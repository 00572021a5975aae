// Win98Shim.dll: loaded by the test driver into each Pelto.exe of the Windows 98
// run before Pelto's own code runs. It points Pelto's import slots, and those of
// every plug-in Pelto loads from its plugins\ folder, at replacements that keep
// Windows 98's rules (rules.cpp, wide_stubs.cpp), and records what it sees
// (shim_log.h). Test-only: the shipped binaries are never changed on disk.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "import_patch.h"
#include "module_hooks.h"
#include "rules.h"
#include "shim_log.h"
#include "wide_stubs.h"

namespace {

char pluginFolder[MAX_PATH];  // Pelto's plugins\ folder, with the trailing backslash

void* ReplacementFor(const char* dll, const char* function) {
    if (void* rule = RuleFor(dll, function)) return rule;
    return WideStubFor(dll, function);
}

bool IsPlugin(HMODULE module) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    const int folderLength = lstrlenA(pluginFolder);
    return length > static_cast<DWORD>(folderLength) && folderLength > 0 &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, folderLength, pluginFolder, folderLength) ==
               CSTR_EQUAL;
}

void PatchModule(HMODULE module) {
    char path[MAX_PATH] = "?";
    GetModuleFileNameA(module, path, sizeof path);
    ShimLog("PATCHED", "%s %d", FileNameOf(path), PatchImports(module, ReplacementFor));
}

// A shim loaded late (into a Pelto that is already running) also covers the
// plug-ins loaded before it.
void PatchLoadedPlugins() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        if (IsPlugin(entry.hModule)) PatchModule(entry.hModule);
    CloseHandle(snapshot);
}

// Windows 98 has no PSAPI.DLL (only the NT family's lookup uses it): refuses a
// load of it, as from the function called at returnAddress.
bool RefusedNtOnlyLibrary(void* returnAddress, LPCSTR name, const char* function) {
    const char* file = name ? FileNameOf(name) : "";
    if (lstrcmpiA(file, "psapi.dll") != 0 && lstrcmpiA(file, "psapi") != 0) return false;
    Refuse(returnAddress, ERROR_MOD_NOT_FOUND, function, "Windows 98 has no PSAPI.DLL");
    return true;
}

}  // namespace

HMODULE WINAPI ShimLoadLibraryA(LPCSTR name) {
    if (RefusedNtOnlyLibrary(__builtin_return_address(0), name, "LoadLibraryA")) return nullptr;
    HMODULE module = LoadLibraryA(name);
    if (module && IsPlugin(module)) PatchModule(module);
    return module;
}

// Windows 95/98/Me: no file handle, and of the flags only
// LOAD_LIBRARY_AS_DATAFILE and LOAD_WITH_ALTERED_SEARCH_PATH.
HMODULE WINAPI ShimLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
    if (file || (flags & ~static_cast<DWORD>(LOAD_LIBRARY_AS_DATAFILE | LOAD_WITH_ALTERED_SEARCH_PATH))) {
        REFUSE(ERROR_INVALID_PARAMETER, "LoadLibraryExA", "a file handle or a flag Windows 95/98/Me do not have");
        return nullptr;
    }
    if (RefusedNtOnlyLibrary(__builtin_return_address(0), name, "LoadLibraryExA")) return nullptr;
    HMODULE module = LoadLibraryExA(name, file, flags);
    if (module && !(flags & LOAD_LIBRARY_AS_DATAFILE) && IsPlugin(module)) PatchModule(module);
    return module;
}

// A function looked up by name gets the same rules as an imported one.
FARPROC WINAPI ShimGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC real = GetProcAddress(module, name);
    if (!real || IS_INTRESOURCE(name)) return real;
    char path[MAX_PATH];
    if (GetModuleFileNameA(module, path, sizeof path) == 0) return real;
    const char* dll = FileNameOf(path);
    if (AbsentOn98(dll, name)) {
        REFUSE(ERROR_PROC_NOT_FOUND, name, "Windows 98 does not have this function");
        return nullptr;
    }
    if (void* replacement = ReplacementFor(dll, name)) return reinterpret_cast<FARPROC>(replacement);
    return real;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DisableThreadLibraryCalls(instance);
    char program[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    const char* file = FileNameOf(program);
    const std::size_t folderLength = static_cast<std::size_t>(file - program);
    if (length > 0 && folderLength + 9 < sizeof pluginFolder) {
        std::memcpy(pluginFolder, program, folderLength);
        std::strcpy(pluginFolder + folderLength, "plugins\\");
    }
    const int patched = PatchImports(GetModuleHandleA(nullptr), ReplacementFor);
    ShimLog("LOADED", "%s %d", file, patched);
    PatchLoadedPlugins();
    return TRUE;
}
