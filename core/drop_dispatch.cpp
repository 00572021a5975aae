#include "core/drop_dispatch.h"

#include <shellapi.h>

#include "commands/archive_drop.h"
#include "commands/system_commands.h"
#include "common/path_ops.h"
#include "common/text_buffers.h"

LRESULT OnSkinDropFiles(HWND skinWindow, HDROP drop) {
    char path[kTextSize];
    path[0] = '\0';
    DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    path[sizeof path - 1] = '\0';

    char extension[kTextSize];
    CopyText(extension, sizeof extension, path);
    TailAfterLast(extension, '.');
    if (lstrcmpA(extension, "lzh") == 0)
        ExtractLzh(skinWindow, path);
    else if (lstrcmpA(extension, "zip") == 0)
        ExtractZip(skinWindow, path);
    else if (lstrcmpA(extension, "bmp") == 0)
        SetWallpaperByDrop(skinWindow, path);
    return 0;
}
