#include "commands/system_commands.h"

#include <shellapi.h>

#include <string>

#include "common/open_file_dialog.h"
#include "common/library_lookup.h"
#include "common/windows_family.h"
#include "core/app_state.h"

namespace {

// Windows 2000 shuts down or restarts only for a process holding the shutdown
// privilege. The token functions are looked up so that nothing changes on the
// Windows 95/98 family, where there is no such privilege.
void EnableShutdownPrivilege() {
    if (RunningWindowsFamily() != WindowsFamily::WindowsNt) return;
    HMODULE advapi = LoadSystemLibrary("ADVAPI32.DLL");
    if (!advapi) return;
    auto openToken = LibraryFunction<decltype(::OpenProcessToken)>(advapi, "OpenProcessToken");
    auto lookup = LibraryFunction<decltype(::LookupPrivilegeValueA)>(advapi, "LookupPrivilegeValueA");
    auto adjust = LibraryFunction<decltype(::AdjustTokenPrivileges)>(advapi, "AdjustTokenPrivileges");
    HANDLE token;
    if (openToken && lookup && adjust &&
        openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges;
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (lookup(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            adjust(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    FreeLibrary(advapi);
}

bool AskYesNo(HWND owner, const char* question) {
    return MessageBoxA(owner, question, kMessageCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The change is also announced, so that a desktop the shell draws (Windows 98's
// Active Desktop) repaints with the new picture.
void SetWallpaper(const char* path) {
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

}  // namespace

void ExitWindowsAfterQuestion(HWND skinWindow, WindowsExit how) {
    const char* question;
    UINT flags;
    switch (how) {
    case WindowsExit::ShutDown: question = "Windowsを終了してよろしいですか"; flags = EWX_SHUTDOWN; break;
    case WindowsExit::Restart: question = "Windowsを再起動してよろしいですか"; flags = EWX_REBOOT; break;
    default: question = "ログオフしてよろしいですか"; flags = EWX_LOGOFF; break;
    }
    if (!AskYesNo(skinWindow, question)) return;
    if (how != WindowsExit::LogOff) EnableShutdownPrivilege();
    ExitWindowsEx(flags, 0);
}

void OpenControlPanelApplet(HWND skinWindow, const char* applet) {
    HINSTANCE result = ShellExecuteA(nullptr, "open", "control.exe", applet, nullptr, SW_SHOWNA);
    if (reinterpret_cast<ULONG_PTR>(result) < 32) MessageBoxA(skinWindow, "起動に失敗しました。", kMessageCaption, MB_OK);
}

void SetWallpaperByDialog(HWND skinWindow) {
    static const char kFilter[] = "ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)\0*.bmp\0";  // the literal adds the last zero
    char file[kTextSize];
    file[0] = '\0';
    if (!AskOpenFileName(skinWindow, kFilter, "C:\\Windows\\", file, sizeof file)) return;
    SetWallpaper(file);
}

void SetWallpaperByDrop(HWND skinWindow, const char* path) {
    std::string question = std::string(path) + "\nこのファイルを壁紙に設定しますか？";
    SetForegroundWindow(skinWindow);
    if (AskYesNo(skinWindow, question.c_str())) SetWallpaper(path);
}
