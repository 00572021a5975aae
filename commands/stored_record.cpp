#include "commands/stored_record.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "commands/stored_record_format.h"
#include "common/text_file.h"
#include "core/app_state.h"

namespace {

const char kRecordFile[] = "stored_windows";

// Large for the stack of a window procedure; used by one call at a time.
StoredRecord Record;

bool RecordPath(char* path) { return JoinText(path, kTextSize, ProgramDir, kRecordFile); }

}  // namespace

void SaveStoredRecord(const StoredWindowTable& table) {
    char path[kTextSize];
    if (!RecordPath(path)) return;
    if (table.Count == 0) {
        DeleteFileA(path);
        return;
    }
    Record.Count = 0;
    for (int i = 0; i < table.Count && i < kMaxStoredWindows; ++i) {
        HWND w = static_cast<HWND>(const_cast<void*>(table.Windows[i]));
        RecordedWindow& r = Record.Windows[Record.Count];
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        r.Handle = reinterpret_cast<std::uintptr_t>(w);
        r.ProcessId = pid;
        r.ClassName[0] = r.Title[0] = '\0';
        // A window gone meanwhile has no class and is left out.
        if (!GetClassNameA(w, r.ClassName, sizeof r.ClassName)) continue;
        GetWindowTextA(w, r.Title, sizeof r.Title);
        ++Record.Count;
    }
    WriteTextFileReplacing(path, FormatStoredRecord(Record));
}

void ShowWindowsLeftStored() {
    char path[kTextSize];
    if (!RecordPath(path)) return;
    // A replace cut short on Windows 95/98: every record line ends in a line feed.
    RecoverInterruptedSave(path, [](const std::string& text) { return text.empty() || text.back() == '\n'; });
    std::string text;
    if (ReadTextFile(path, &text) == ReadResult::NotOpened) return;
    if (FindWindowA(kSkinClassName, nullptr)) return;
    ParseStoredRecord(text.data(), text.size(), &Record);
    for (int i = 0; i < Record.Count; ++i) {
        const RecordedWindow& r = Record.Windows[i];
        const std::uintptr_t value = static_cast<std::uintptr_t>(r.Handle);
        if (value != r.Handle) continue;  // no handle of this build
        HWND w = reinterpret_cast<HWND>(value);
        // A handle can be reused by a window Pelto never stored: the same
        // process and class must still own it. No thread owns a handle that
        // is no window any more.
        DWORD pid = 0;
        if (!GetWindowThreadProcessId(w, &pid) || pid != r.ProcessId || IsWindowVisible(w)) continue;
        char className[kTextSize];
        if (!GetClassNameA(w, className, sizeof className) || std::strcmp(className, r.ClassName) != 0) continue;
        ShowWindow(w, SW_SHOW);
    }
    DeleteFileA(path);
}
