#include "commands/archive_drop.h"

#include <shellapi.h>

#include "commands/archive_command.h"
#include "common/library_lookup.h"
#include "common/text_buffers.h"
#include "core/app_state.h"

namespace {

// The libraries' common entry: window, command line, output buffer, its size.
// They report a normal end with 0.
typedef int(WINAPI* ArchiveProc)(HWND, LPCSTR, LPSTR, DWORD);

struct ArchiveLibrary {
    const char* loadName;
    const char* function;
    const char* missingLibrary;
    const char* missingFunction;
};

const ArchiveLibrary kLzh = {
    "Unlha32", "Unlha", "UNLHA32.DLLがありません。\nUNLHA32.DLLについてはヘルプを参照して下さい。",
    "UNLHA32.DLLの中に『 Unlha 』関数を見つけられませんでした。\nUNLHA32.DLLが古いバージョンでないかどうか確かめて下さい。"};
const ArchiveLibrary kZip = {
    "Unzip32", "UnZip", "UNZIP32.DLLがありません。\nUNZIP32.DLLについてはヘルプを参照して下さい。",
    "UNZIP32.DLLの中に『 UnZip 』関数を見つけられませんでした。\nUNZIP32.DLLが古いバージョンでないかどうか確かめて下さい。"};

const char kPathTooLong[] = "ファイルのパスが長すぎるため、この圧縮ファイルは解凍できません。";

void MoveToRecycleBin(HWND owner, const char* path) {
    // The source list ends with two zero bytes.
    char from[kTextSize + 1];
    ZeroMemory(from, sizeof from);
    CopyText(from, kTextSize, path);
    SHFILEOPSTRUCTA op;
    ZeroMemory(&op, sizeof op);
    op.hwnd = owner;
    op.wFunc = FO_DELETE;
    op.pFrom = from;  // no target, no name mappings, no progress title: zero
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

void ExtractDroppedArchive(HWND skinWindow, const char* archivePath, ArchiveKind kind) {
    const ArchiveLibrary& library = kind == ArchiveKind::Lzh ? kLzh : kZip;
    char archive[kTextSize];
    char commandLine[kTextSize];
    char question[kTextSize];
    // Both texts are built before anything is loaded: a path they cannot hold
    // is refused whole, never handed on cut.
    if (!CopyText(archive, sizeof archive, archivePath) ||
        !BuildArchiveCommandLine(kind, archive, commandLine, sizeof commandLine) ||
        !BuildRecycleQuestion(archive, question, sizeof question)) {
        MessageBoxA(skinWindow, kPathTooLong, kMessageCaption, MB_OK);
        return;
    }

    HMODULE module = LoadLibraryExA(library.loadName, nullptr, 0);
    if (!module) {
        MessageBoxA(skinWindow, library.missingLibrary, kMessageCaption, MB_OK);
        return;
    }
    auto extract = LibraryFunction<ArchiveProc>(module, library.function);
    if (!extract) {
        MessageBoxA(skinWindow, library.missingFunction, kMessageCaption, MB_OK);
        FreeLibrary(module);
        return;
    }
    char output[kTextSize];
    output[0] = '\0';
    int result = extract(nullptr, commandLine, output, sizeof output);
    FreeLibrary(module);
    if (result != 0) return;

    if (MessageBoxA(skinWindow, question, kMessageCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    MoveToRecycleBin(skinWindow, archive);
}

}  // namespace

void ExtractLzh(HWND skinWindow, const char* archivePath) {
    ExtractDroppedArchive(skinWindow, archivePath, ArchiveKind::Lzh);
}

void ExtractZip(HWND skinWindow, const char* archivePath) {
    ExtractDroppedArchive(skinWindow, archivePath, ArchiveKind::Zip);
}
