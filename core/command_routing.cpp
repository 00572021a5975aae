#include "core/command_routing.h"

#include "commands/about_box.h"
#include "commands/system_commands.h"
#include "commands/window_ops.h"
#include "core/tracking.h"
#include "launcher/launcher_dialogs.h"
#include "launcher/launcher_store.h"
#include "launcher/popup_menus.h"
#include "plugin_host/plugin_discovery.h"
#include "resources/resource_ids.h"
#include "settings_dialog/settings_dialog.h"

LRESULT RouteCommand(HWND skinWindow, WPARAM wParam, LPARAM) {
    if (PopupCommandPreCheck(skinWindow, wParam)) return 0;

    switch (LOWORD(wParam)) {
    case IDM_ATTACH_TOGGLE: ToggleAttachment(); break;
    case IDM_SHUTDOWN: ExitWindowsAfterQuestion(skinWindow, WindowsExit::ShutDown); break;
    case IDM_RESTART: ExitWindowsAfterQuestion(skinWindow, WindowsExit::Restart); break;
    case IDM_LOGOFF: ExitWindowsAfterQuestion(skinWindow, WindowsExit::LogOff); break;
    case IDM_ALL_MINIMIZE: MinimizeAllWindows(); break;
    case IDM_ALL_CLOSE: CloseAllWindows(); break;
    case IDM_STORE_IN_TRAY: StoreTargetInTray(skinWindow); break;
    case IDM_TARGET_MAXIMIZE: ShowTarget(SW_MAXIMIZE); break;
    case IDM_TARGET_MINIMIZE: ShowTarget(SW_MINIMIZE); break;
    case IDM_TARGET_CLOSE: CloseTarget(); break;
    case IDM_TARGET_RENAME: RunRenameDialog(skinWindow); break;
    case IDC_RENAME_OK: ApplyNewTitle(skinWindow); break;
    case IDC_RENAME_CANCEL: StartTracking(skinWindow); break;
    case IDM_CLOSE:
        // The window is not destroyed here: its WM_DESTROY handling frees the
        // hotkeys and posts the quit that ends the message loop.
        SendMessageA(skinWindow, WM_DESTROY, 0, 0);
        break;
    case IDM_ABOUT: RunAboutBox(skinWindow); break;
    case IDM_SETTINGS: RunSettingsDialog(skinWindow); break;
    case IDM_WALLPAPER: SetWallpaperByDialog(skinWindow); break;
    case IDM_CPL_APPWIZ: OpenControlPanelApplet(skinWindow, "appwiz.cpl"); break;
    case IDM_CPL_SYSTEM: OpenControlPanelApplet(skinWindow, "sysdm.cpl,,0"); break;
    case IDM_CPL_MOUSE: OpenControlPanelApplet(skinWindow, "main.cpl,,0"); break;
    case IDM_CPL_MULTIMEDIA: OpenControlPanelApplet(skinWindow, "mmsys.cpl,,0"); break;
    case IDM_CPL_DISPLAY: OpenControlPanelApplet(skinWindow, "desk.cpl"); break;
    case IDM_LAUNCHER_ADD: AddTargetToLauncher(skinWindow); break;
    case IDM_LAUNCHER_LIST: ShowLauncherPopup(skinWindow); break;
    case IDM_LAUNCHER_SETTINGS: RunLauncherSettingsDialog(skinWindow); break;
    case IDM_PLUGIN_LIST: ShowPluginPopup(skinWindow); break;
    case IDM_PLUGIN_REFRESH: DiscoverPlugins(); break;
    default: break;
    }
    return 0;
}
