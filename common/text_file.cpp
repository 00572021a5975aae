#include "common/text_file.h"

#include <cstdio>

#include "common/text_buffers.h"

#ifdef _WIN32
#include <windows.h>

#include "common/library_lookup.h"
#include "common/windows_family.h"
#endif

namespace {

constexpr std::size_t kMaxTextFile = 1u << 20;

#ifdef _WIN32
// The Windows NT family replaces the file in one step. Windows 95/98 export
// MoveFileExA only as a stub that fails, so there the old file is moved aside
// (not deleted) until the new one is in place; the NT function is looked up,
// never imported.
bool ReplaceFileWith(const char* from, const char* to) {
    if (RunningWindowsFamily() == WindowsFamily::WindowsNt) {
        auto moveEx = LibraryFunction<decltype(::MoveFileExA)>(GetModuleHandleA("KERNEL32.DLL"), "MoveFileExA");
        return moveEx && moveEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (GetFileAttributesA(to) == INVALID_FILE_ATTRIBUTES) return MoveFileA(from, to) != 0;
    char aside[kTextSize];
    if (!JoinText(aside, sizeof aside, to, ".old")) return false;
    DeleteFileA(aside);
    if (!MoveFileA(to, aside)) return false;
    if (!MoveFileA(from, to)) {
        MoveFileA(aside, to);
        return false;
    }
    DeleteFileA(aside);
    return true;
}
void RemoveFile(const char* path) { DeleteFileA(path); }
#else
bool ReplaceFileWith(const char* from, const char* to) { return std::rename(from, to) == 0; }
void RemoveFile(const char* path) { std::remove(path); }
#endif

}  // namespace

ReadResult ReadTextFile(const char* path, std::string* text) {
    text->clear();
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return ReadResult::NotOpened;
    char chunk[4096];
    std::size_t got;
    while (text->size() < kMaxTextFile && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        text->append(chunk, got);
    if (text->size() > kMaxTextFile) text->resize(kMaxTextFile);
    return std::fclose(f) == 0 ? ReadResult::Ok : ReadResult::NotClosed;
}

int WriteTextFileReplacing(const char* path, const std::string& content) {
    char temp[kTextSize];
    if (!JoinText(temp, sizeof temp, path, ".tmp")) return 1;
    std::FILE* f = std::fopen(temp, "wb");
    if (!f) return 1;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    if (std::fflush(f) != 0) ok = false;
    if (std::fclose(f) != 0) ok = false;
    if (!ok || !ReplaceFileWith(temp, path)) {
        RemoveFile(temp);
        return 1;
    }
    return 0;
}
