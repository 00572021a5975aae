// Start-up: find the program's folder, load settings and skin, create the skin
// window and run the message loop.
#include <windows.h>

#include "commands/stored_record.h"
#include "common/path_ops.h"
#include "core/app_state.h"
#include "core/settings_store.h"
#include "core/skin_loader.h"
#include "core/skin_window.h"
#include "launcher/launcher_icons.h"
#include "launcher/launcher_store.h"
#include "plugin_host/plugin_discovery.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    DWORD len = GetModuleFileNameA(nullptr, ProgramDir, sizeof ProgramDir);
    if (len >= sizeof ProgramDir) ProgramDir[sizeof ProgramDir - 1] = '\0';
    CopyText(ModulePath, sizeof ModulePath, ProgramDir);
    DirectoryPart(ProgramDir);
    // Windows a killed Pelto had stored come back before anything else.
    ShowWindowsLeftStored();

    if (LoadSettings() == 1 && LoadDefaultSkin() == 1) {
        MessageBoxA(nullptr, "あるはずのファイルがありません。\nもう一度インストールし直してください。", kMessageCaption,
                    MB_OK);
        PostQuitMessage(0);
    }

    if (LoadLauncherList() == 1) LauncherList.Count = 0;
    DiscoverPlugins();

    HWND skinWindow = CreateSkinWindow(instance);
    ShowWindow(skinWindow, showCommand);
    UpdateWindow(skinWindow);

    TargetWindow.Handle = skinWindow;
    ProgramInstance = instance;
    MainMenu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    TrayIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PELTO));
    // The icons come once the window shows, where nobody waits for them.
    RefreshLauncherIcons(skinWindow);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ShutDownLauncherIcons();
    return static_cast<int>(msg.wParam);
}
