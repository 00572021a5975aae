#include "plugin_host/plugin_discovery.h"

#include <windows.h>

#include "common/library_lookup.h"
#include "core/app_state.h"
#include "plugin_host/plugin_contract.h"
#include "plugin_host/plugin_list.h"
#include "plugin_host/plugin_table.h"

namespace {

const char kNotAPluginText[] = "指定されたプラグインはPeltoプラグインではありません。\n指定し直してください。";
const char kTooManyText[] = "プラグインが多すぎます。\n最初に見つかった100個だけを一覧に載せました。";
const char kTooLongText[] =
    "パスが長すぎるプラグインがあります。\nそのプラグインは一覧に載せませんでした。\n"
    "Peltoを短いパスのフォルダに置いてください。";

// Loads one library for its name. Returns true when it is a plug-in; the row's
// display name is then what it wrote (cut to the row), otherwise untouched.
bool AskDisplayName(PluginEntry& row) {
    HMODULE library = LoadLibraryExA(row.FileName, nullptr, 0);
    if (!library) return false;
    bool found = false;
    if (auto getData = LibraryFunction<PpiGetDataFunction>(library, kPpiGetDataName)) {
        // A roomier buffer than the row, so a name longer than the contract
        // allows lands here and is cut, not over the next row.
        char written[512];
        ZeroMemory(written, sizeof written);
        getData(written);
        written[sizeof written - 1] = '\0';
        CopyDisplayName(row.DisplayName, sizeof row.DisplayName, written);
        found = true;
    }
    FreeLibrary(library);
    return found;
}

}  // namespace

void DiscoverPlugins() {
    char pattern[MAX_PATH + 16];
    wsprintfA(pattern, "%.259splugins\\*.ppi", ProgramDir);
    PluginList.Count = 0;

    WIN32_FIND_DATAA item;
    HANDLE search = FindFirstFileA(pattern, &item);
    if (search == INVALID_HANDLE_VALUE) return;
    bool tooMany = false;
    bool tooLong = false;
    do {
        if (IsFolderAttribute(item.dwFileAttributes)) continue;
        if (!PluginTableHasRoom(PluginList.Count)) {
            tooMany = true;
            continue;
        }
        PluginEntry& row = PluginList.Entries[PluginList.Count];
        if (!FormPluginFileName(row.FileName, sizeof row.FileName, ProgramDir, item.cFileName)) {
            tooLong = true;
            continue;
        }
        if (AskDisplayName(row)) {
            ++PluginList.Count;
        } else {
            // Reported, and given no row: the popup then never shows a blank or
            // an earlier pass's name for it.
            MessageBoxA(nullptr, kNotAPluginText, kMessageCaption, MB_OK);
        }
    } while (FindNextFileA(search, &item) == TRUE);
    FindClose(search);

    if (tooMany) MessageBoxA(nullptr, kTooManyText, kMessageCaption, MB_OK);
    if (tooLong) MessageBoxA(nullptr, kTooLongText, kMessageCaption, MB_OK);
}
