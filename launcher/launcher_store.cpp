#include "launcher/launcher_store.h"

#include <string>

#include "common/library_lookup.h"
#include "common/text_buffers.h"
#include "common/text_file.h"
#include "core/app_state.h"
#include "launcher/launcher_format.h"
#include "launcher/launcher_icons.h"
#include "launcher/window_executable.h"

LauncherListRecord LauncherList = {};

namespace {
const char kLauncherFile[] = "launch_data";
}  // namespace

int LoadLauncherList() {
    char path[kTextSize];
    if (!JoinText(path, sizeof path, ProgramDir, kLauncherFile)) return 1;
    RecoverInterruptedSave(path, LauncherTextIsWhole);
    std::string text;
    ReadResult read = ReadTextFile(path, &text);
    if (read == ReadResult::NotOpened) return 1;
    ParseLauncherText(text.data(), text.size(), &LauncherList);
    if (read == ReadResult::NotClosed) {
        MessageBoxA(nullptr, "ファイルがクローズできませんでした。\nファイルは削除されます。", kMessageCaption,
                    MB_OK);
        DeleteSavedFile(path);
        return 1;
    }
    return 0;
}

void SaveLauncherList(HWND owner) {
    char path[kTextSize];
    int failed = 1;
    if (JoinText(path, sizeof path, ProgramDir, kLauncherFile))
        failed = WriteTextFileReplacing(path, FormatLauncherText(LauncherList));
    if (failed)
        MessageBoxA(owner,
                    "ランチャの一覧をファイル launch_data に保存できませんでした。\n"
                    "この変更は次に起動したときには残っていません。",
                    kMessageCaption, MB_OK);
}

void ShowLauncherFullMessage(HWND owner) {
    MessageBoxA(owner, "ランチャに登録できるのは100件までです。\nこれ以上は登録できません。", kMessageCaption,
                MB_OK);
}

void LongPathForm(const char* path, char* out, std::size_t size) {
    // Windows 95 and NT 4 lack the function; there the path is taken as it is.
    static const auto longPathName =
        LibraryFunction<decltype(::GetLongPathNameA)>(GetModuleHandleA("kernel32.dll"), "GetLongPathNameA");
    const DWORD length = longPathName ? longPathName(path, out, static_cast<DWORD>(size)) : 0;
    if (length == 0 || length >= size) CopyText(out, size, path);
}

void AddTargetToLauncher(HWND skinWindow) {
    char exe[kTextSize];
    if (!FindWindowExecutable(TargetWindow.Handle, exe, sizeof exe)) return;
    // Windows 98's process list may name the program in 8.3 form, and the same
    // program entered through the dialog under its long name is one entry.
    if (FindLauncherPath(LauncherList, exe, -1, LongPathForm)) return;
    if (CheckLauncherPath(exe) != LauncherPathCheck::Ok) {
        MessageBoxA(skinWindow, "このプログラムの場所は100バイトを超えるため、ランチャに登録できません。",
                    kMessageCaption, MB_OK);
        return;
    }
    if (LauncherList.Count >= kLauncherCapacity) {
        ShowLauncherFullMessage(skinWindow);
        return;
    }
    if (LauncherList.Count < 0) LauncherList.Count = 0;
    LauncherEntry& entry = LauncherList.Entries[LauncherList.Count];
    CopyText(entry.Path, sizeof entry.Path, exe);
    FillLauncherTitle(entry.Title, TargetWindow.Title);
    ++LauncherList.Count;
    SaveLauncherList(skinWindow);
    RefreshLauncherIcons(skinWindow);
}
