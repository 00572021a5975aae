#include "launcher/popup_menus.h"

#include "launcher/launcher_store.h"
#include "plugin_host/plugin_list.h"

int LauncherMenuShown = 0;
int PluginMenuShown = 0;

void ClearPopupFlags() {
    LauncherMenuShown = 0;
    PluginMenuShown = 0;
}

bool PopupCommandPreCheck(HWND, WPARAM wParam) {
    // Opening an entry or starting a plug-in arrives with the popups' own work;
    // until a list has entries no flag is ever set and nothing is chosen here.
    const bool item = (LauncherMenuShown || PluginMenuShown) && wParam < 100;
    ClearPopupFlags();
    return item;
}

// The lists are filled by the launcher store and plug-in discovery; while they
// are empty, as they are until those load anything, there is no popup to show.
void ShowLauncherPopup(HWND) {
    if (LauncherList.Count <= 0) return;
}

void ShowPluginPopup(HWND) {
    if (PluginList.Count <= 0) return;
}
