#include "settings_dialog/settings_dialog.h"

#include <shellapi.h>

#include <string>

#include "common/open_file_dialog.h"
#include "common/path_ops.h"
#include "common/text_buffers.h"
#include "common/text_scan.h"
#include "core/app_state.h"
#include "core/settings_store.h"
#include "core/skin_loader.h"
#include "core/tracking.h"
#include "resources/resource_ids.h"

namespace {

// Set when the skin in use changed, so that OK starts a new instance.
unsigned char RestartFlag = 0;
HWND DialogOwner = nullptr;

const char kUnexpectedError[] = "予期せぬエラーが発生しました。";

void ShowSkinFields(HWND dialog) {
    SetDlgItemTextA(dialog, IDC_SETTINGS_SKIN_FILE, Settings.SkinFileName);
    SetDlgItemTextA(dialog, IDC_SETTINGS_BITMAP, Skin.BitmapFileName);
    const std::string size = std::to_string(Skin.SkinWidth) + " x " + std::to_string(Skin.SkinHeight);
    SetDlgItemTextA(dialog, IDC_SETTINGS_SIZE, size.c_str());
    SetDlgItemTextA(dialog, IDC_SETTINGS_AUTHOR, Skin.Author);
}

void OnInit(HWND dialog) {
    RestartFlag = 0;
    SetDlgItemTextA(dialog, IDC_SETTINGS_INTERVAL, std::to_string(Settings.TimerInterval).c_str());
    ShowSkinFields(dialog);
    if (Settings.FollowingMouse == 1)
        SetDlgItemTextA(dialog, IDC_SETTINGS_FOLLOWING, "ON");
    else if (Settings.FollowingMouse == 0)
        SetDlgItemTextA(dialog, IDC_SETTINGS_FOLLOWING, "OFF");
    RestartFlag = 0;
}

void OnFollowing(HWND dialog) {
    if (Settings.FollowingMouse == 1) {
        Settings.FollowingMouse = 0;
        SetDlgItemTextA(dialog, IDC_SETTINGS_FOLLOWING, "OFF");
    } else if (Settings.FollowingMouse == 0) {
        Settings.FollowingMouse = 1;
        SetDlgItemTextA(dialog, IDC_SETTINGS_FOLLOWING, "ON");
    }
}

void OnBrowse(HWND dialog) {
    static const char kFilter[] = "スキン設定ﾌｧｲﾙ(*.skn)\0*.skn\0";  // the literal adds the last zero
    char file[128];
    file[0] = '\0';
    char folder[kTextSize];
    if (!JoinText(folder, sizeof folder, ProgramDir, "skin\\")) folder[0] = '\0';
    if (!AskOpenFileName(dialog, kFilter, folder[0] ? folder : nullptr, file, sizeof file)) return;
    file[sizeof file - 1] = '\0';

    // Only the name is kept: definitions are always looked up in skin\.
    TailAfterLast(file, '\\');
    CopyText(Settings.SkinFileName, sizeof Settings.SkinFileName, file);
    if (LoadSkinFile() == 1) {
        MessageBoxA(dialog, kUnexpectedError, kMessageCaption, MB_OK);
        PostQuitMessage(0);
    }
    ShowSkinFields(dialog);
    RestartFlag = 1;
}

void OnOk(HWND dialog) {
    char interval[128];
    interval[0] = '\0';
    GetDlgItemTextA(dialog, IDC_SETTINGS_INTERVAL, interval, sizeof interval);
    Settings.TimerInterval = LeadingInt(interval);  // as atoi reads it, clamped
    StopTracking(DialogOwner);
    StartTracking(DialogOwner);

    Settings.SkinFileName[0] = '\0';
    GetDlgItemTextA(dialog, IDC_SETTINGS_SKIN_FILE, Settings.SkinFileName, sizeof Settings.SkinFileName);
    if (Settings.SkinFileName[0] == '\0') RestartFlag = 1;

    if (SaveSettings() == 1) {
        MessageBoxA(dialog, kUnexpectedError, kMessageCaption, MB_OK);
        PostQuitMessage(0);
    }
    if (RestartFlag == 1) {
        char program[kTextSize];
        bool started = false;
        if (JoinText(program, sizeof program, ProgramDir, "Pelto.exe")) {
            HINSTANCE result = ShellExecuteA(nullptr, "open", program, nullptr, nullptr, SW_SHOWNORMAL);
            started = reinterpret_cast<ULONG_PTR>(result) >= 32;
        }
        if (!started) MessageBoxA(dialog, "起動に失敗しました。", kMessageCaption, MB_OK);
        SendMessageA(DialogOwner, WM_DESTROY, 0, 0);
    }
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: OnInit(dialog); return TRUE;
    case WM_COMMAND:
        // IDOK and IDCANCEL (Enter, Esc, the close box) are ignored: only the
        // dialog's own buttons end it.
        switch (LOWORD(wParam)) {
        case IDC_SETTINGS_OK: OnOk(dialog); break;
        case IDC_SETTINGS_BROWSE: OnBrowse(dialog); break;
        case IDC_SETTINGS_CANCEL: EndDialog(dialog, 0); break;
        case IDC_SETTINGS_FOLLOWING: OnFollowing(dialog); break;
        default: break;
        }
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void RunSettingsDialog(HWND skinWindow) {
    DialogOwner = skinWindow;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(skinWindow, GWLP_HINSTANCE));
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS), skinWindow, SettingsDialogProc, 0);
}
