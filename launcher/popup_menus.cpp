#include "launcher/popup_menus.h"

#include "launcher/launcher_store.h"
#include "plugin_host/plugin_launch.h"
#include "plugin_host/plugin_list.h"

int LauncherMenuShown = 0;
int PluginMenuShown = 0;

void ClearPopupFlags() {
    LauncherMenuShown = 0;
    PluginMenuShown = 0;
}

bool PopupCommandPreCheck(HWND skinWindow, WPARAM wParam) {
    const bool item = (LauncherMenuShown || PluginMenuShown) && wParam < 100;
    if (PluginMenuShown && !LauncherMenuShown && wParam < 100) StartPlugin(skinWindow, static_cast<int>(wParam));
    ClearPopupFlags();
    return item;
}

// The lists are filled by the launcher store and plug-in discovery; while they
// are empty, as they are until those load anything, there is no popup to show.
void ShowLauncherPopup(HWND) {
    if (LauncherList.Count <= 0) return;
}

void ShowPluginPopup(HWND skinWindow) {
    if (PluginList.Count <= 0) return;
    HMENU popup = CreatePopupMenu();
    for (int i = 0; i < PluginList.Count; ++i)
        AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(i), PluginList.Entries[i].DisplayName);
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(popup, 0, at.x, at.y, 0, skinWindow, nullptr);
    DestroyMenu(popup);
    PluginMenuShown = 1;
}
