#include "launcher/window_executable.h"

#include <tlhelp32.h>

#include "common/text_buffers.h"

namespace {

typedef BOOL(WINAPI* EnumProcessModulesProc)(HANDLE, HMODULE*, DWORD, LPDWORD);
typedef DWORD(WINAPI* GetModuleFileNameExProc)(HANDLE, HMODULE, LPSTR, DWORD);
typedef HANDLE(WINAPI* SnapshotProc)(DWORD, DWORD);
typedef BOOL(WINAPI* ProcessWalkProc)(HANDLE, PROCESSENTRY32*);
typedef BOOL(WINAPI* QueryImageNameProc)(HANDLE, DWORD, LPSTR, PDWORD);

template <class Proc>
Proc Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Neither function set is linked: Windows 98 has no PSAPI and Windows NT 4 no
// tool-help, and the program must start on both.
int FindThroughPsapi(DWORD processId, char* buffer, int size) {
    HMODULE psapi = LoadLibraryA("PSAPI.DLL");
    if (!psapi) return 0;
    int result = 0;
    auto enumModules = Lookup<EnumProcessModulesProc>(psapi, "EnumProcessModules");
    auto moduleName = Lookup<GetModuleFileNameExProc>(psapi, "GetModuleFileNameExA");
    if (enumModules && moduleName && size > 0) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
        if (process) {
            // The first module a process lists is its executable.
            HMODULE first = nullptr;
            DWORD needed = 0;
            if (enumModules(process, &first, sizeof first, &needed) &&
                moduleName(process, first, buffer, static_cast<DWORD>(size)) != 0)
                result = 1;
            CloseHandle(process);
        }
    }
    FreeLibrary(psapi);
    return result;
}

// A 32-bit process cannot list the modules of a 64-bit one, so PSAPI finds
// nothing for most programs on 64-bit Windows; Vista and later answer across the
// two. Looked up, so that Windows 2000 and 98 still start.
int FindThroughImageName(DWORD processId, char* buffer, int size) {
    auto query = Lookup<QueryImageNameProc>(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
    if (!query || size <= 0) return 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return 0;
    DWORD length = static_cast<DWORD>(size);
    const int result = query(process, 0, buffer, &length) && length > 0 ? 1 : 0;
    CloseHandle(process);
    return result;
}

int FindThroughToolhelp(DWORD processId, char* buffer, int size) {
    auto snapshot = Lookup<SnapshotProc>(GetModuleHandleA("kernel32.dll"), "CreateToolhelp32Snapshot");
    auto first = Lookup<ProcessWalkProc>(GetModuleHandleA("kernel32.dll"), "Process32First");
    auto next = Lookup<ProcessWalkProc>(GetModuleHandleA("kernel32.dll"), "Process32Next");
    if (!snapshot || !first || !next || size <= 0) return 0;
    HANDLE processes = snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return 0;
    int result = 0;
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = first(processes, &entry); more; more = next(processes, &entry)) {
        if (entry.th32ProcessID == processId) {
            entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
            CopyText(buffer, static_cast<std::size_t>(size), entry.szExeFile);
            result = 1;
            break;
        }
    }
    CloseHandle(processes);
    return result;
}

}  // namespace

int FindWindowExecutable(HWND window, char* buffer, int size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 0;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        return FindThroughPsapi(processId, buffer, size) || FindThroughImageName(processId, buffer, size);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return FindThroughToolhelp(processId, buffer, size);
    return 0;
}
