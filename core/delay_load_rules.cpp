#include "core/delay_load_rules.h"

#include <cstring>

namespace {

const char* const kLibraries[] = {"SHELL32.dll", "ole32.dll", "comdlg32.dll", "COMCTL32.dll"};

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

struct StandInRule {
    const char* Function;
    StandInResult Result;
};

// Every function whose failure is not reported as 0. The rest answer 0:
// ImageList_Create, ImageList_GetIcon (null), ImageList_Destroy, ImageList_Draw,
// GetOpenFileNameA, Shell_NotifyIconA, SHGetSpecialFolderPathA (FALSE),
// ImageList_GetImageCount, DragQueryFileA, SHGetFileInfoA (0), ShellExecuteA (0,
// below 32: the start failed), and the functions without a result
// (InitCommonControls, CoUninitialize, DragFinish).
const StandInRule kRules[] = {
    {"ImageList_ReplaceIcon", StandInResult::MinusOne},
    {"CoInitialize", StandInResult::FailedHresult},
    {"CoCreateInstance", StandInResult::FailedHresult},
    {"SHFileOperationA", StandInResult::NonZero},
};

}  // namespace

int DelayLoadedLibraryIndex(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < static_cast<int>(sizeof kLibraries / sizeof kLibraries[0]); ++i)
        if (SameNameIgnoringCase(name, kLibraries[i])) return i;
    return -1;
}

StandInResult StandInFor(const char* function) {
    if (!function) return StandInResult::Zero;
    for (const StandInRule& rule : kRules)
        if (std::strcmp(rule.Function, function) == 0) return rule.Result;
    return StandInResult::Zero;
}
