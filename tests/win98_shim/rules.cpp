#include "rules.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "module_hooks.h"
#include "shim_log.h"

namespace {

// ---------------------------------------------------------------- KERNEL32

// "Windows 95/98/Me: this parameter may not be NULL" (lpThreadId).
HANDLE WINAPI RuleCreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                               LPVOID parameter, DWORD flags, LPDWORD threadId) {
    if (!threadId) {
        REFUSE(ERROR_INVALID_PARAMETER, "CreateThread", "the thread-id pointer is null");
        return nullptr;
    }
    return CreateThread(attributes, stack, start, parameter, flags, threadId);
}

// Windows 95/98/Me: the bytes-read / bytes-written pointer cannot be null.
BOOL WINAPI RuleReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    if (!read) {
        REFUSE(ERROR_INVALID_PARAMETER, "ReadFile", "the bytes-read pointer is null");
        return FALSE;
    }
    return ReadFile(file, buffer, size, read, overlapped);
}

BOOL WINAPI RuleWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (!written) {
        REFUSE(ERROR_INVALID_PARAMETER, "WriteFile", "the bytes-written pointer is null");
        return FALSE;
    }
    return WriteFile(file, buffer, size, written, overlapped);
}

// Windows 95/98/Me do not support FILE_SHARE_DELETE.
HANDLE WINAPI RuleCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes,
                              DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (share & FILE_SHARE_DELETE) {
        REFUSE(ERROR_INVALID_PARAMETER, "CreateFileA", "FILE_SHARE_DELETE is not supported");
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name, access, share, attributes, disposition, flags, templateFile);
}

// Windows 95/98/Me export MoveFileExA and the security functions only as stubs.
#define STUB_RULE(function, parameters)                                                    \
    BOOL WINAPI Rule##function parameters {                                                \
        REFUSE(ERROR_CALL_NOT_IMPLEMENTED, #function, "only a stub on Windows 95/98/Me"); \
        return FALSE;                                                                      \
    }
STUB_RULE(MoveFileExA, (LPCSTR, LPCSTR, DWORD))
STUB_RULE(OpenProcessToken, (HANDLE, DWORD, PHANDLE))
STUB_RULE(LookupPrivilegeValueA, (LPCSTR, LPCSTR, PLUID))
STUB_RULE(AdjustTokenPrivileges, (HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD))

// OSVERSIONINFOEX is not supported on Windows 95/98/Me: only the 148-byte record.
BOOL WINAPI RuleGetVersionExA(LPOSVERSIONINFOA info) {
    if (info && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        REFUSE(ERROR_INVALID_PARAMETER, "GetVersionExA", "the record size is not that of OSVERSIONINFOA");
        return FALSE;
    }
    return GetVersionExA(info);
}

// ---------------------------------------------------------------- ADVAPI32

// Keys opened under HKEY_DYN_DATA, so that reads of their values can be
// recorded: on Windows 98 a read of PerfStats\StartStat or StopStat starts or
// stops the collection of a statistic.
const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));
struct OpenDynKey {
    HKEY key;
    char path[128];
};
OpenDynKey dynKeys[64];
CRITICAL_SECTION dynKeyLock;
const bool dynKeyLockReady = [] {
    InitializeCriticalSection(&dynKeyLock);
    return true;
}();

LONG WINAPI RuleRegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    const LONG status = RegOpenKeyExA(parent, subKey, options, access, result);
    if (parent == kDynData && status == ERROR_SUCCESS && subKey && std::strlen(subKey) < sizeof dynKeys[0].path) {
        EnterCriticalSection(&dynKeyLock);
        for (OpenDynKey& k : dynKeys) {
            if (k.key) continue;
            k.key = *result;
            std::strcpy(k.path, subKey);
            break;
        }
        LeaveCriticalSection(&dynKeyLock);
    }
    return status;
}

LONG WINAPI RuleRegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    char path[128] = "";
    EnterCriticalSection(&dynKeyLock);
    for (const OpenDynKey& k : dynKeys)
        if (k.key && k.key == key) std::strcpy(path, k.path);
    LeaveCriticalSection(&dynKeyLock);
    if (path[0]) ShimLog("READ", "HKEY_DYN_DATA\\%s\\%s", path, name ? name : "");
    return RegQueryValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI RuleRegCloseKey(HKEY key) {
    EnterCriticalSection(&dynKeyLock);
    for (OpenDynKey& k : dynKeys)
        if (k.key == key) k.key = nullptr;
    LeaveCriticalSection(&dynKeyLock);
    return RegCloseKey(key);
}

// ---------------------------------------------------------------- USER32, GDI32, COMDLG32

// Windows 98 knows NONCLIENTMETRICSA only in its own (and Windows 2000's)
// 340-byte size; later headers add a field.
BOOL WINAPI RuleSystemParametersInfoA(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
    if (action == SPI_GETNONCLIENTMETRICS && pvParam &&
        (uiParam != 340 || static_cast<NONCLIENTMETRICSA*>(pvParam)->cbSize != 340)) {
        REFUSE(ERROR_INVALID_PARAMETER, "SystemParametersInfoA", "NONCLIENTMETRICSA of another size than 340 bytes");
        return FALSE;
    }
    return SystemParametersInfoA(action, uiParam, pvParam, winIni);
}

// "Windows 95/98/Me: The created bitmap cannot exceed 16MB in size."
HBITMAP WINAPI RuleCreateCompatibleBitmap(HDC dc, int width, int height) {
    const unsigned long long bits = static_cast<unsigned long long>(width < 0 ? -width : width) *
                                    static_cast<unsigned long long>(height < 0 ? -height : height) *
                                    static_cast<unsigned long long>(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES));
    if (bits / 8 > 16ull * 1024 * 1024) {
        REFUSE(ERROR_NOT_ENOUGH_MEMORY, "CreateCompatibleBitmap", "a bitmap larger than 16 MB");
        return nullptr;
    }
    return CreateCompatibleBitmap(dc, width, height);
}

// The common dialogs of Windows 95/98 know only the 76-byte record (the size
// with pvReserved, dwReserved and FlagsEx came with Windows 2000).
BOOL WINAPI RuleGetOpenFileNameA(LPOPENFILENAMEA record) {
    if (record && record->lStructSize != OPENFILENAME_SIZE_VERSION_400A) {
        REFUSE(ERROR_INVALID_PARAMETER, "GetOpenFileNameA", "the record size is not OPENFILENAME_SIZE_VERSION_400A");
        return FALSE;
    }
    return GetOpenFileNameA(record);
}

struct Rule {
    const char* dll;
    const char* function;
    void* replacement;
};

const Rule kRules[] = {
    {"kernel32", "CreateThread", reinterpret_cast<void*>(&RuleCreateThread)},
    {"kernel32", "ReadFile", reinterpret_cast<void*>(&RuleReadFile)},
    {"kernel32", "WriteFile", reinterpret_cast<void*>(&RuleWriteFile)},
    {"kernel32", "CreateFileA", reinterpret_cast<void*>(&RuleCreateFileA)},
    {"kernel32", "MoveFileExA", reinterpret_cast<void*>(&RuleMoveFileExA)},
    {"kernel32", "GetVersionExA", reinterpret_cast<void*>(&RuleGetVersionExA)},
    {"kernel32", "LoadLibraryA", reinterpret_cast<void*>(&ShimLoadLibraryA)},
    {"kernel32", "LoadLibraryExA", reinterpret_cast<void*>(&ShimLoadLibraryExA)},
    {"kernel32", "GetProcAddress", reinterpret_cast<void*>(&ShimGetProcAddress)},
    {"advapi32", "OpenProcessToken", reinterpret_cast<void*>(&RuleOpenProcessToken)},
    {"advapi32", "LookupPrivilegeValueA", reinterpret_cast<void*>(&RuleLookupPrivilegeValueA)},
    {"advapi32", "AdjustTokenPrivileges", reinterpret_cast<void*>(&RuleAdjustTokenPrivileges)},
    {"advapi32", "RegOpenKeyExA", reinterpret_cast<void*>(&RuleRegOpenKeyExA)},
    {"advapi32", "RegQueryValueExA", reinterpret_cast<void*>(&RuleRegQueryValueExA)},
    {"advapi32", "RegCloseKey", reinterpret_cast<void*>(&RuleRegCloseKey)},
    {"user32", "SystemParametersInfoA", reinterpret_cast<void*>(&RuleSystemParametersInfoA)},
    {"gdi32", "CreateCompatibleBitmap", reinterpret_cast<void*>(&RuleCreateCompatibleBitmap)},
    {"comdlg32", "GetOpenFileNameA", reinterpret_cast<void*>(&RuleGetOpenFileNameA)},
};

// Looked up by name, these give nothing on Windows 98.
const Rule kAbsent[] = {
    {"kernel32", "QueryFullProcessImageNameA", nullptr},  // Vista and later
};

}  // namespace

bool SameDll(const char* a, const char* b) {
    a = FileNameOf(a);
    b = FileNameOf(b);
    const std::size_t la = std::strcspn(a, "."), lb = std::strcspn(b, ".");
    return la == lb && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, static_cast<int>(la), b,
                                      static_cast<int>(lb)) == CSTR_EQUAL;
}

const char* FileNameOf(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void* RuleFor(const char* dll, const char* function) {
    for (const Rule& r : kRules)
        if (std::strcmp(r.function, function) == 0 && SameDll(r.dll, dll)) return r.replacement;
    return nullptr;
}

bool AbsentOn98(const char* dll, const char* function) {
    for (const Rule& r : kAbsent)
        if (std::strcmp(r.function, function) == 0 && SameDll(r.dll, dll)) return true;
    return false;
}
