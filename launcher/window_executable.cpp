#include "launcher/window_executable.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "common/library_lookup.h"
#include "common/text_buffers.h"
#include "common/windows_family.h"

namespace {

// Neither function set is linked: Windows 98 has no PSAPI and Windows NT 4 no
// tool-help, and the program must start on both.
int FindThroughPsapi(DWORD processId, char* buffer, int size) {
    HMODULE psapi = LoadSystemLibrary("PSAPI.DLL");
    if (!psapi) return 0;
    int result = 0;
    auto enumModules = LibraryFunction<decltype(::EnumProcessModules)>(psapi, "EnumProcessModules");
    auto moduleName = LibraryFunction<decltype(::GetModuleFileNameExA)>(psapi, "GetModuleFileNameExA");
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

// The headers declare these only for Vista and later builds.
using QueryFullProcessImageNameFunction = BOOL WINAPI(HANDLE process, DWORD flags, LPSTR name, PDWORD size);
constexpr DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

// A 32-bit process cannot list the modules of a 64-bit one, so PSAPI finds
// nothing for most programs on 64-bit Windows; Vista and later answer across the
// two. Looked up, so that Windows 2000 and 98 still start. The systems that have
// it also have the limited query right, which a process running as administrator
// (an elevated command prompt, the registry editor) grants where it refuses the
// reading of its memory that PSAPI needs.
int FindThroughImageName(DWORD processId, char* buffer, int size) {
    auto query = LibraryFunction<QueryFullProcessImageNameFunction>(GetModuleHandleA("kernel32.dll"),
                                                                    "QueryFullProcessImageNameA");
    if (!query || size <= 0) return 0;
    HANDLE process = OpenProcess(kQueryLimitedInformation, FALSE, processId);
    if (!process) return 0;
    DWORD length = static_cast<DWORD>(size);
    const int result = query(process, 0, buffer, &length) && length > 0 ? 1 : 0;
    CloseHandle(process);
    return result;
}

int FindThroughToolhelp(DWORD processId, char* buffer, int size) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto snapshot = LibraryFunction<decltype(::CreateToolhelp32Snapshot)>(kernel, "CreateToolhelp32Snapshot");
    auto first = LibraryFunction<decltype(::Process32First)>(kernel, "Process32First");
    auto next = LibraryFunction<decltype(::Process32Next)>(kernel, "Process32Next");
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
    switch (RunningWindowsFamily()) {
    case WindowsFamily::WindowsNt:
        return FindThroughPsapi(processId, buffer, size) || FindThroughImageName(processId, buffer, size);
    case WindowsFamily::Windows9x: return FindThroughToolhelp(processId, buffer, size);
    default: return 0;
    }
}
