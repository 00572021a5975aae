#include "common/open_file_dialog.h"

#include <commdlg.h>

bool AskOpenFileName(HWND owner, const char* filter, const char* initialDir, char* file, DWORD size) {
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    // The Windows 95 / NT 4 size of the record, which every system takes;
    // Windows 95/98 refuse the larger one of Windows 2000.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = initialDir;
    ofn.Flags = OFN_EXPLORER;
    return GetOpenFileNameA(&ofn) != 0;
}
