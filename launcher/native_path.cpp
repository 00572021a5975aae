#include "launcher/native_path.h"

#include "common/library_lookup.h"
#include "common/system_folder_path.h"
#include "common/text_buffers.h"

namespace {

// Asked once; any thread may ask first, and all get the same answer.
volatile LONG Redirected = -1;

bool RunsRedirected() {
    if (sizeof(void*) == 8) return false;  // a 64-bit program sees the real folder
    LONG known = Redirected;
    if (known < 0) {
        auto isWow64 = LibraryFunction<BOOL WINAPI(HANDLE, PBOOL)>(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
        BOOL wow64 = FALSE;
        known = (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64) ? 1 : 0;
        Redirected = known;
    }
    return known == 1;
}

}  // namespace

const char* NativePath(const char* path, char* buffer, std::size_t size) {
    if (!RunsRedirected()) return path;
    char systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
    if (length == 0 || length >= sizeof systemFolder) return path;
    return SysnativePath(path, systemFolder, buffer, size) ? buffer : path;
}

RedirectionOffFor::RedirectionOffFor(const char* path) {
    char buffer[kTextSize];
    if (NativePath(path, buffer, sizeof buffer) == path) return;
    // XP x64 and later; every 64-bit Windows has it.
    auto disable = LibraryFunction<BOOL WINAPI(PVOID*)>(GetModuleHandleA("kernel32.dll"),
                                                        "Wow64DisableWow64FsRedirection");
    off_ = disable && disable(&old_);
}

RedirectionOffFor::~RedirectionOffFor() {
    if (!off_) return;
    auto revert = LibraryFunction<BOOL WINAPI(PVOID)>(GetModuleHandleA("kernel32.dll"), "Wow64RevertWow64FsRedirection");
    if (revert) revert(old_);
}
