#include "common/text_file.h"

#include <cstdio>

#include "common/text_buffers.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "common/library_lookup.h"
#include "common/windows_family.h"
#else
#include <unistd.h>
#endif

namespace {

constexpr std::size_t kMaxTextFile = 1u << 20;
const char kSetAsideSuffix[] = ".old";
const char kTemporarySuffix[] = ".tmp";

#ifdef _WIN32
// Another program may hold the file open for a moment (a virus scanner or an
// indexer that saw it written, a reader of the list): a move refused for that
// is tried again for up to about a second and a half before the save counts as
// failed.
constexpr int kMoveAttempts = 12;
constexpr DWORD kMovePauseMs = 125;

template <class Move>
bool MoveAllowingAMomentsHold(Move move) {
    for (int attempt = 1;; ++attempt) {
        if (move()) return true;
        const DWORD error = GetLastError();
        const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == kMoveAttempts) return false;
        Sleep(kMovePauseMs);
    }
}

bool MoveFileHeld(const char* from, const char* to) {
    return MoveAllowingAMomentsHold([&] { return MoveFileA(from, to) != 0; });
}

// The Windows NT family replaces the file in one step. Windows 95/98 export
// MoveFileExA only as a stub that fails, so there the old file is moved aside
// (not deleted) until the new one is in place; the NT function is looked up,
// never imported.
bool ReplaceFileWith(const char* from, const char* to) {
    if (RunningWindowsFamily() == WindowsFamily::WindowsNt) {
        auto moveEx = LibraryFunction<decltype(::MoveFileExA)>(GetModuleHandleA("KERNEL32.DLL"), "MoveFileExA");
        return moveEx && MoveAllowingAMomentsHold([&] {
                   return moveEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
               });
    }
    if (GetFileAttributesA(to) == INVALID_FILE_ATTRIBUTES) return MoveFileHeld(from, to);
    char aside[kTextSize];
    if (!JoinText(aside, sizeof aside, to, kSetAsideSuffix)) return false;
    DeleteFileA(aside);
    if (!MoveFileHeld(to, aside)) return false;
    if (!MoveFileHeld(from, to)) {
        MoveFileA(aside, to);
        return false;
    }
    DeleteFileA(aside);
    return true;
}
void RemoveFile(const char* path) { DeleteFileA(path); }
bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
bool MoveBack(const char* from, const char* to) { return MoveFileA(from, to) != 0; }
// The written bytes reach the disk before the file is put in place, so a power
// loss just after the replace cannot leave an empty file.
bool CommitToDisk(std::FILE* f) { return _commit(_fileno(f)) == 0; }
#else
bool ReplaceFileWith(const char* from, const char* to) { return std::rename(from, to) == 0; }
void RemoveFile(const char* path) { std::remove(path); }
bool Exists(const char* path) { return access(path, F_OK) == 0; }
bool MoveBack(const char* from, const char* to) { return std::rename(from, to) == 0; }
bool CommitToDisk(std::FILE* f) { return fsync(fileno(f)) == 0; }
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
    char temp[kTextSize], aside[kTextSize];
    if (!JoinText(temp, sizeof temp, path, kTemporarySuffix) || !JoinText(aside, sizeof aside, path, kSetAsideSuffix))
        return 1;
    std::FILE* f = std::fopen(temp, "wb");
    if (!f) return 1;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    if (std::fflush(f) != 0 || !CommitToDisk(f)) ok = false;
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        RemoveFile(temp);
        return 1;
    }
    if (!ReplaceFileWith(temp, path)) {
        // A 9x replace whose move back failed leaves no file: the whole new
        // text then stays for the next start to take.
        if (Exists(path)) RemoveFile(temp);
        return 1;
    }
    // Whatever the family, no older copy may outlive a save: start-up would
    // take it for one cut short.
    RemoveFile(aside);
    return 0;
}

SaveRecovery RecoverInterruptedSave(const char* path, bool (*isWhole)(const std::string& text)) {
    char temp[kTextSize], aside[kTextSize];
    if (!JoinText(temp, sizeof temp, path, kTemporarySuffix) || !JoinText(aside, sizeof aside, path, kSetAsideSuffix))
        return SaveRecovery::Nothing;
    if (Exists(path)) {
        RemoveFile(temp);
        RemoveFile(aside);
        return SaveRecovery::Nothing;
    }
    const bool saving = Exists(temp);
    std::string text;
    if (saving && ReadTextFile(temp, &text) == ReadResult::Ok && isWhole(text) && MoveBack(temp, path)) {
        RemoveFile(aside);
        return SaveRecovery::FromTemporary;
    }
    if (saving && Exists(aside) && MoveBack(aside, path)) {
        RemoveFile(temp);
        return SaveRecovery::FromSetAside;
    }
    RemoveFile(temp);
    RemoveFile(aside);
    return SaveRecovery::Nothing;
}

void DeleteSavedFile(const char* path) {
    RemoveFile(path);
    char beside[kTextSize];
    if (JoinText(beside, sizeof beside, path, kTemporarySuffix)) RemoveFile(beside);
    if (JoinText(beside, sizeof beside, path, kSetAsideSuffix)) RemoveFile(beside);
}
