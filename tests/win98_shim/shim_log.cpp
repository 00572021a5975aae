#include "shim_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "rules.h"

namespace {

// Several processes append to one file: each line is one write to a handle
// opened for appending only, so lines never interleave.
void AppendLine(const char* line, DWORD length) {
    char path[MAX_PATH];
    const DWORD got = GetEnvironmentVariableA("PELTO_WIN98_SHIM_LOG", path, sizeof path);
    if (got == 0 || got >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, length, &written, nullptr);
    CloseHandle(file);
}

}  // namespace

void ShimLog(const char* kind, const char* format, ...) {
    const DWORD error = GetLastError();
    char line[1024];
    int length = std::snprintf(line, sizeof line, "%lu %s ", static_cast<unsigned long>(GetCurrentProcessId()), kind);
    if (length > 0 && length < static_cast<int>(sizeof line)) {
        va_list args;
        va_start(args, format);
        const int more = std::vsnprintf(line + length, sizeof line - length, format, args);
        va_end(args);
        if (more > 0) length += more;
        if (length > static_cast<int>(sizeof line) - 2) length = static_cast<int>(sizeof line) - 2;
        line[length++] = '\n';
        AppendLine(line, static_cast<DWORD>(length));
    }
    SetLastError(error);
}

void Refuse(void* returnAddress, unsigned long error, const char* function, const char* why) {
    char caller[MAX_PATH] = "?";
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(returnAddress, &info, sizeof info) && info.AllocationBase &&
        GetModuleFileNameA(static_cast<HMODULE>(info.AllocationBase), caller, sizeof caller) == 0)
        std::strcpy(caller, "?");
    ShimLog("REFUSED", "%s (called from %s): %s", function, FileNameOf(caller), why);
    SetLastError(error);
}
